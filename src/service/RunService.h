#pragma once

class QCoreApplication;

// The headless service: the single-instance lock, the real line services, the host with its
// start-up, the control socket, SIGHUP to reload and SIGTERM or SIGINT to end. Returns the exit
// status.
int RunService(QCoreApplication& app);
