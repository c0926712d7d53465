#include "rules/VCardReader.h"

#include <QStringDecoder>
#include <optional>

namespace {

// Physical lines joined into logical ones: a line that starts with a blank continues the one
// before (the blank dropped); a quoted-printable value ending in '=' continues on the next line.
QList<QByteArray> Unfold(const QByteArray& data) {
    QList<QByteArray> out;
    const QList<QByteArray> lines = data.split('\n');
    bool softBreak = false;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!out.isEmpty() && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            out.last() += line.mid(1);
        } else if (softBreak && !out.isEmpty()) {
            out.last().chop(1); // the '=' of the soft break
            out.last() += line;
        } else {
            out.append(line);
        }
        const QByteArray upper = out.last().left(out.last().indexOf(':')).toUpper();
        softBreak = upper.contains("QUOTED-PRINTABLE") && out.last().endsWith('=');
    }
    return out;
}

QByteArray DecodeQuotedPrintable(const QByteArray& value) {
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size()) {
            bool ok = false;
            const int byte = value.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

QString Unescape(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            out += (next == u'n' || next == u'N') ? QChar(u' ') : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The parts of the N property split at unescaped ';'.
QStringList SplitStructured(const QString& value) {
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            part += value[i];
            part += value[++i];
        } else if (value[i] == u';') {
            parts.append(Unescape(part));
            part.clear();
        } else {
            part += value[i];
        }
    }
    parts.append(Unescape(part));
    return parts;
}

struct Property {
    QByteArray name; // upper case, group taken off
    QString value;
};

Property ReadProperty(const QByteArray& line) {
    const qsizetype colon = line.indexOf(':');
    if (colon < 0)
        return {};
    QList<QByteArray> head = line.left(colon).split(';');
    QByteArray name = head.takeFirst().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.mid(dot + 1);
    QByteArray raw = line.mid(colon + 1);
    QByteArray charset = "UTF-8";
    for (const QByteArray& param : std::as_const(head)) {
        const QByteArray p = param.trimmed().toUpper();
        if (p == "ENCODING=QUOTED-PRINTABLE" || p == "QUOTED-PRINTABLE")
            raw = DecodeQuotedPrintable(raw);
        else if (p.startsWith("CHARSET="))
            charset = p.mid(8);
    }
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return {name, decoder.decode(raw)};
}

} // namespace

QString ContactNumber(const QString& written) {
    QString text = written.trimmed();
    if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        text = text.mid(4);
    QString out;
    int digits = 0;
    for (const QChar c : std::as_const(text)) {
        if (c >= u'0' && c <= u'9') {
            out += c;
            ++digits;
        } else if (c == u'+' && out.isEmpty()) {
            out += c;
        } else if (c == u' ' || c == u'-' || c == u'.' || c == u'(' || c == u')' || c == u'/') {
            continue;
        } else {
            break; // an extension (";ext=", "x12") or a pause: the number itself has ended
        }
    }
    return digits >= 3 ? out : QString();
}

std::vector<VCardContact> ReadVCards(const QByteArray& data) {
    std::vector<VCardContact> contacts;
    std::optional<VCardContact> card;
    QString fallbackName;
    for (const QByteArray& line : Unfold(data)) {
        const Property p = ReadProperty(line);
        if (p.name == "BEGIN" && p.value.trimmed().compare(u"VCARD", Qt::CaseInsensitive) == 0) {
            card = VCardContact{};
            fallbackName.clear();
        } else if (!card) {
            continue;
        } else if (p.name == "END") {
            if (card->name.isEmpty())
                card->name = fallbackName;
            if (!card->numbers.isEmpty())
                contacts.push_back(std::move(*card));
            card.reset();
        } else if (p.name == "FN") {
            card->name = Unescape(p.value).simplified();
        } else if (p.name == "N") {
            const QStringList parts = SplitStructured(p.value);
            fallbackName = (parts.value(1) + u' ' + parts.value(0)).simplified();
        } else if (p.name == "TEL") {
            card->numbers.append(p.value.trimmed());
        }
    }
    return contacts;
}
