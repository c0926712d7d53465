#pragma once

#include <QStringList>

// "hushwire rule show|add|remove|test|import": the screening rules from the command line. args
// leaves out "rule". Returns the exit status: 0 done, 1 failed, 2 bad input or refused.
int RuleCommand(const QStringList& args);
