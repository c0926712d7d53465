#pragma once

#include <QString>

// The executable's base name, without a "-service" ending: the headless service and command
// line (<name>-service) share the program's settings, lock and control socket. Programs started
// under another name keep separate ones. "hushwire" before the application object exists.
QString ApplicationName();
