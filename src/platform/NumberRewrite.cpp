#include "platform/NumberRewrite.h"

QString ApplyNumberRewrite(const QString& number, const QString& rewrite) {
    const qsizetype colon = rewrite.indexOf(u':');
    if (colon <= 0)
        return number;
    const QString from = rewrite.left(colon).trimmed();
    const QString to = rewrite.mid(colon + 1).trimmed();
    if (!number.startsWith(from))
        return number;
    const QString rewritten = to + number.mid(from.size());
    return rewritten.isEmpty() ? number : rewritten;
}
