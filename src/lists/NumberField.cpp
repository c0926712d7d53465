#include "lists/NumberField.h"

#include <cmath>

bool ReadTypedNumber(const QString& text, const QLocale& locale, double* value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    const double v = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}
