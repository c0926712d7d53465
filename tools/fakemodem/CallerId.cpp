#include "CallerId.h"

namespace {

bool IsFlag(const QString& w) {
    static const QStringList flags = {QStringLiteral("nospace"), QStringLiteral("before"),
                                      QStringLiteral("DDN"),     QStringLiteral("NBR"),
                                      QStringLiteral("MESG"),    QStringLiteral("twice")};
    return flags.contains(w, Qt::CaseInsensitive) ||
           w.startsWith(QLatin1String("NMBR="), Qt::CaseInsensitive) ||
           w.startsWith(QLatin1String("NAME="), Qt::CaseInsensitive);
}

} // namespace

QStringList SplitWords(const QString& text) {
    QStringList words;
    QString word;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
            word += QLatin1Char('"');
            any = true;
            ++i;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any)
                words << word;
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words << word;
    return words;
}

bool BuildCallerId(const QStringList& words, const QDateTime& now, CallerIdMessage* out,
                   QString* error) {
    bool spaces = true;
    bool twice = false;
    bool mesg = false;
    bool haveNumber = false;
    bool haveName = false;
    QString numberKey = QStringLiteral("NMBR");
    QString number;
    QString name;
    out->beforeRing = false;

    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        if (w.compare(QLatin1String("nospace"), Qt::CaseInsensitive) == 0) {
            spaces = false;
        } else if (w.compare(QLatin1String("before"), Qt::CaseInsensitive) == 0) {
            out->beforeRing = true;
        } else if (w.compare(QLatin1String("DDN"), Qt::CaseInsensitive) == 0) {
            numberKey = QStringLiteral("DDN_NMBR");
        } else if (w.compare(QLatin1String("NBR"), Qt::CaseInsensitive) == 0) {
            numberKey = QStringLiteral("NBR");
        } else if (w.compare(QLatin1String("MESG"), Qt::CaseInsensitive) == 0) {
            mesg = true;
        } else if (w.compare(QLatin1String("twice"), Qt::CaseInsensitive) == 0) {
            twice = true;
        } else if (w.startsWith(QLatin1String("NMBR="), Qt::CaseInsensitive)) {
            number = w.mid(5);
            haveNumber = true;
        } else if (w.startsWith(QLatin1String("NAME="), Qt::CaseInsensitive)) {
            // An unquoted name takes the following words up to the next flag.
            name = w.mid(5);
            while (i + 1 < words.size() && !IsFlag(words[i + 1]))
                name += QLatin1Char(' ') + words[++i];
            haveName = true;
        } else {
            if (error)
                *error = QStringLiteral("unknown caller-ID word: ") + w;
            return false;
        }
    }
    if (!haveNumber) {
        if (error)
            *error = QStringLiteral("caller ID needs NMBR=<number>|P|O|A");
        return false;
    }

    const QByteArray eq = spaces ? " = " : "=";
    auto line = [&](const QString& key, const QString& value) {
        return key.toLatin1() + eq + value.toLatin1();
    };
    out->lines.clear();
    out->lines << line(QStringLiteral("DATE"), now.toString(QStringLiteral("MMdd")));
    out->lines << line(QStringLiteral("TIME"), now.toString(QStringLiteral("HHmm")));
    if (mesg)
        out->lines << line(QStringLiteral("MESG"), QStringLiteral("060342"));
    out->lines << line(numberKey, number);
    if (twice)
        out->lines << line(numberKey, QStringLiteral("O"));
    if (haveName)
        out->lines << line(QStringLiteral("NAME"), name);
    return true;
}
