#pragma once

#include <QString>

// Checks of numbers and names given on the command line, where nothing cuts or reformats them
// silently. Each returns an empty text for good input, else the reason it is refused.

// Digits only, 1 to 15 of them (the most a list entry is matched on), a leading '+' allowed
// when plusAllowed (the private list keeps the number as typed). A public entry may not be 0,
// since a 0 record ends the list file.
QString NumberInputProblem(const QString& number, bool plusAllowed);
// A private entry's name: at most the width the list keeps, and Latin-1 text (the file's
// encoding), so it is stored exactly as given.
QString NameInputProblem(const QString& name);
// Whether a record of a shared number database names a phone number: whole, not 0, at most 15
// digits.
bool IsPhoneNumberRecord(double value);
