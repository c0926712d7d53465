#pragma once

class QApplication;

// The program once Qt is up: the single-instance check, the real services (voice modems,
// PC audio, sound files), the shell with its start-up, the shut-down on SIGTERM, SIGINT,
// SIGHUP and the end of the desktop session. Returns the exit status.
int RunHushwire(QApplication& app);
