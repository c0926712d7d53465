#pragma once

#include <QString>

// Text forms of a public list entry. The value is a phone number taken as a number; whole values
// below 10^15 give their plain digits, any other value the general form with 15 significant
// digits (a decimal point or an exponent, such as 1.5 or 1E+15), so it matches no caller number
// made of digits alone.

// The text a caller number must equal for the entry to match: the text of |v|, no sign, no blank.
// Negative entries (taken over from a shared number file) match like their positive value.
QString PublicMatchText(double v);

// The text shown for an entry: the match text, with a leading "-" for a negative value.
QString PublicDisplayText(double v);
