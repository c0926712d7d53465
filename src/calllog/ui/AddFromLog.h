#pragma once

#include <QString>

class ListWindows;
class QListWidget;
class QMenu;

// The number of a caller-ID line of the call log ("CallerID:<number>" followed by a space and
// the rest of the line): the text after the first nine characters up to the first space, blanks
// removed; without a space, the whole remainder. Returns false when the line is no caller-ID
// line (it does not contain "CallerID").
bool CallerNumberFromLogLine(const QString& line, QString* number);

// Gives lstWhite the popup menu mnutmp ("tmp") with the items mnuAddTele ("Add to Telemarketing
// List") and mnuAddPrivate ("Add to Private Block List"). Releasing the right mouse button over
// the list pops the menu up without changing the selection; each item takes the number of the
// selected line into the matching add dialog, opened modeless with the focus in its number
// field. Returns the menu, owned by lstWhite.
QMenu* InstallAddFromLogMenu(QListWidget* lstWhite, ListWindows& windows);
