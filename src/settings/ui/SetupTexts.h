#pragma once

#include <QStringList>

// The fixed texts of the setup window's "Operating Mode" frame: each mode explained as a small
// program, one label per line, and the note on when the caller ID arrives.
namespace setuptexts {

inline QStringList Mode1Lines() {
    return {QStringLiteral("First ring comes"),
            QStringLiteral("Receive the Caller ID"),
            QStringLiteral("If Caller ID is in BLACK LIST then"),
            QStringLiteral("Hang up the call"),
            QStringLiteral("Else"),
            QStringLiteral("Let this call goes on"),
            QStringLiteral("You will hear the next rings"),
            QStringLiteral("End If")};
}

inline QStringList Mode2Lines() {
    return {
        QStringLiteral("First ring comes (you will not hear it)"),
        QStringLiteral("Receive the Caller ID"),
        QStringLiteral("If Caller ID is in BLACK LIST then"),
        QStringLiteral("Hang up the call"),
        QStringLiteral("Else"),
        QStringLiteral("A ring sound will be played through pc's speaker while each ring comes"),
        QStringLiteral("End If")};
}

inline QString Note() {
    return QStringLiteral("Note: Caller ID message is sent from the telephone company between "
                          "the first and the second ring.");
}

// Which lines of a mode's program are indented (the branches of the If).
inline bool IsIndented(const QString& line) {
    return line == QLatin1String("Hang up the call") ||
           line == QLatin1String("Let this call goes on") ||
           line == QLatin1String("You will hear the next rings") ||
           line.startsWith(QLatin1String("A ring sound"));
}

} // namespace setuptexts
