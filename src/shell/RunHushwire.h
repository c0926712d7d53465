#pragma once

class AppShell;
class QApplication;
class QGuiApplication;

// The program once Qt is up: the single-instance check, the real services (voice modems,
// PC audio, sound files), the shell with its start-up, the shut-down on SIGTERM, SIGINT,
// SIGHUP and the end of the desktop session. When a service holds the lock, the program opens
// as its window instead (one window per service). Returns the exit status.
int RunHushwire(QApplication& app);

// Runs the shell's orderly shut-down (once) when the application quits, which is how the end of
// the desktop session reaches the program. A session checkpoint does not end it.
void ShutDownWhenTheApplicationQuits(QGuiApplication& app, AppShell& shell);
