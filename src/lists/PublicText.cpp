#include "lists/PublicText.h"

#include <charconv>
#include <cmath>

QString PublicMatchText(double v) {
    // The C library's "%.15G" form, rounded exactly as it rounds (ties to even on the exact
    // binary value) but independent of the locale's decimal point. A whole value below 10^15
    // has at most 15 digits, so this form prints it as plain digits.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text.toUpper();
}

QString PublicDisplayText(double v) {
    const QString text = PublicMatchText(v);
    return std::signbit(v) && !std::isnan(v) ? QLatin1Char('-') + text : text;
}
