#include "lists/NumberInput.h"

#include "lists/ListFiles.h"

#include <cmath>

namespace {
constexpr int kMostDigits = 15;
}

QString NumberInputProblem(const QString& number, bool plusAllowed) {
    QStringView digits(number);
    if (plusAllowed && digits.startsWith(QLatin1Char('+')))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return QStringLiteral("'%1' is not a telephone number: it has no digits").arg(number);
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return QStringLiteral("'%1' is not a telephone number: only digits%2 are allowed")
                .arg(number, plusAllowed ? QStringLiteral(" and a leading '+'") : QString());
    }
    if (digits.size() > kMostDigits)
        return QStringLiteral("'%1' has %2 digits; a telephone number has at most %3")
            .arg(number)
            .arg(digits.size())
            .arg(kMostDigits);
    if (!plusAllowed && digits.count(QLatin1Char('0')) == digits.size())
        return QStringLiteral("'%1' is not a telephone number: it is 0").arg(number);
    return {};
}

QString NameInputProblem(const QString& name) {
    if (name.size() > listfile::kNameWidth)
        return QStringLiteral("the name '%1' has %2 characters; the private list keeps at most %3")
            .arg(name)
            .arg(name.size())
            .arg(listfile::kNameWidth);
    for (QChar c : name) {
        if (c.unicode() > 0xff || c.unicode() < 0x20)
            return QStringLiteral("the name '%1' holds a character the private list cannot keep")
                .arg(name);
    }
    return {};
}

bool IsPhoneNumberRecord(double value) {
    const double magnitude = std::fabs(value);
    return std::isfinite(value) && magnitude >= 1 && magnitude < 1e15 &&
           magnitude == std::floor(magnitude);
}
