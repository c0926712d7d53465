#pragma once

#include <QStringList>

// The command line for headless use: list edits through the same list store as the windows,
// the daily log, and the running service's status. args leaves out the program name. Returns
// the exit status: 0 done, 1 failed, 2 bad input (with a message on standard error).
int RunCommandLine(const QStringList& args);

// What --help prints.
QString CommandLineHelp();
