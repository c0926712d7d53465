#pragma once

// The desktop program hands the service and the command line to the headless executable
// (hushwire-service, beside it) before it creates any window system connection.

// Whether the desktop program's arguments ask for the headless executable: every argument but
// the window system's own options (-platform, -display, -style...) does, so that a command or an
// option the program does not know is refused there with the usage, display or not.
bool IsHeadlessCommand(int argc, char** argv);
// Replaces the process with <own folder>/<own name>-service, same arguments. Returns only on
// failure, with the exit status to end with (the reason is on standard error).
int ExecHeadless(char** argv);
// Whether a window can be opened: a display, a Wayland socket or a chosen Qt platform.
bool HasDisplay(int argc, char** argv);
// Says on standard error, in one sentence, that there is no display to open the window on.
// Returns the exit status to end with.
int ReportNoDisplay();
