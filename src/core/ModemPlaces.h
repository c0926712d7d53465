#pragma once

#include <QString>
#include <QStringList>

// A scan numbers the modems it finds in order, and the SIP lines follow them, so a chosen modem
// that is not there at start (not plugged in yet, its driver loaded late) would hand its line
// number to the next modem or SIP line, which would then take its choice and its counters. The
// modem's path, kept in the description stored for its line, holds the place instead: the line
// is missing until the device appears at that path, and the lines after it keep their numbers.
//
// found: the modems a scan found, in order. A chosen line whose stored description names a
// modem path that is not among them gets that path at its own index, where the modems before
// it allow (a line past the modems found and reserved has no place to keep). When a modem that
// no line's description names was found, it may be the missing one's replacement: the scan's
// order is kept, as it always was, and the new modem takes the line.
QStringList KeepChosenModemPlaces(QStringList found);

// The modem path in the description stored for a line ("USR 5637 (/dev/ttyACM0)  [28]"); empty
// for a SIP line, a line that never answered, or no description.
QString ModemPathOfDescription(const QString& description);
