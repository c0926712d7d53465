#include "telephony/modem/CallerIdParser.h"

namespace {

enum class Tag { None, Date, Time, Number, Name, Message };

// Splits "KEY = value" / "KEY=value" into its tag and its value (outer blanks removed).
Tag splitLine(const QByteArray& line, QByteArray* value) {
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0)
        return Tag::None;
    const QByteArray key = line.left(eq).trimmed().toUpper();
    *value = line.mid(eq + 1).trimmed();
    if (key == "DATE")
        return Tag::Date;
    if (key == "TIME")
        return Tag::Time;
    if (key == "NMBR" || key == "DDN_NMBR" || key == "NBR")
        return Tag::Number;
    if (key == "NAME")
        return Tag::Name;
    if (key == "MESG")
        return Tag::Message;
    return Tag::None;
}

CallerId::Part classify(const QByteArray& value, bool isNumber) {
    if (value.isEmpty())
        return CallerId::Part::Absent;
    if (value == "P" || (isNumber && value == "A"))
        return CallerId::Part::Private;
    if (value == "O")
        return CallerId::Part::OutOfArea;
    return CallerId::Part::Present;
}

} // namespace

bool CallerIdParser::isCallerIdLine(const QByteArray& line) {
    QByteArray value;
    return splitLine(line, &value) != Tag::None;
}

CallerIdParser::Feed CallerIdParser::feed(const QByteArray& line) {
    QByteArray value;
    const Tag tag = splitLine(line, &value);
    switch (tag) {
    case Tag::None:
        return Feed::NotCallerId;
    case Tag::Date:
    case Tag::Time:
    case Tag::Message:
        break;
    case Tag::Number:
        // A second NMBR (often masked as "O") does not replace the first.
        if (!m_numberSeen) {
            m_numberSeen = true;
            m_current.number = classify(value, true);
            if (m_current.number == CallerId::Part::Present)
                m_current.numberText = value;
        }
        break;
    case Tag::Name:
        m_current.name = classify(value, false);
        m_current.nameText = m_current.name == CallerId::Part::Present ? value : QByteArray();
        m_pending = true;
        // NAME ends a report only once the number is known; a modem that sends the name
        // first still gets its number line.
        return m_numberSeen ? Feed::Complete : Feed::Partial;
    }
    m_pending = true;
    return Feed::Partial;
}

CallerId CallerIdParser::take() {
    CallerId result = m_current;
    m_current = CallerId();
    m_pending = false;
    m_numberSeen = false;
    return result;
}
