#pragma once

#include <QString>

// A line's "from:to" rewrite of caller numbers: the prefix from at the start of the number is
// replaced with to ("+1:" drops a country code, "+44:0" makes a national number). A rewrite not
// of that form, or a number that does not start with from, leaves the number as it is; so does a
// rewrite that would leave nothing.
QString ApplyNumberRewrite(const QString& number, const QString& rewrite);
