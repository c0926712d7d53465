#pragma once

// The desktop program hands the service and the command line to the headless executable
// (hushwire-service, beside it) before it creates any window system connection.

// Whether the desktop program's first argument asks for the headless executable.
bool IsHeadlessCommand(const char* firstArgument);
// Replaces the process with <own folder>/<own name>-service, same arguments. Returns only on
// failure, with the exit status to end with (the reason is on standard error).
int ExecHeadless(char** argv);
