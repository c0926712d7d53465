#pragma once

class QListWidget;
class QMenu;
class QString;

// Adds to the call log's context menu "Always let this number ring" (an allow rule for the
// selected caller's number) and "Block numbers like this..." (the rule dialog with a block rule
// of the number's first six digits and '*', to edit before it is added).
void AddRuleItemsToLogMenu(QMenu* menu, QListWidget* lstWhite, const QString& folder);

// The prefix rule "Block numbers like this..." starts from: a leading + and the first six
// digits of the number, then '*'. Empty for a number with fewer than six digits.
QString PrefixPatternFor(const QString& number);
