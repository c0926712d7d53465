#include "lists/PublicText.h"

#include <cmath>

QString PublicMatchText(double v) {
    // Qt's number formatting ignores the C locale, so the decimal point is always '.'. A whole
    // value below 10^15 has at most 15 digits, so the 15-digit general form prints it plainly.
    if (std::isnan(v))
        return QStringLiteral("NAN");
    if (std::isinf(v))
        return QStringLiteral("INF");
    return QString::number(std::fabs(v), 'G', 15);
}

QString PublicDisplayText(double v) {
    const QString text = PublicMatchText(v);
    return std::signbit(v) && !std::isnan(v) ? QLatin1Char('-') + text : text;
}
