#pragma once

#include <QLocale>
#include <QString>

// The numeric test of a typed phone number: the text passes when it reads as one number in the
// given locale (surrounding blanks, a sign, digits with the locale's decimal and group separators,
// an exponent). Empty text, letters or dashes among the digits fail. On success *value holds the
// number that was read, group separators included ("1,234" in English reads 1234).
bool ReadTypedNumber(const QString& text, const QLocale& locale, double* value);
