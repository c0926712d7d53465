#pragma once

#include <QCoreApplication>
#include <QStringList>

// The fixed texts of the setup window's "Operating Mode" frame: each mode explained as a small
// program, one label per line, and the note on when the caller ID arrives.
namespace setuptexts {

inline QStringList Mode1Lines() {
    return {QCoreApplication::translate("SetupTexts", "First ring comes"),
            QCoreApplication::translate("SetupTexts", "Receive the Caller ID"),
            QCoreApplication::translate("SetupTexts", "If Caller ID is in BLACK LIST then"),
            QCoreApplication::translate("SetupTexts", "Hang up the call"),
            QCoreApplication::translate("SetupTexts", "Else"),
            QCoreApplication::translate("SetupTexts", "Let this call goes on"),
            QCoreApplication::translate("SetupTexts", "You will hear the next rings"),
            QCoreApplication::translate("SetupTexts", "End If")};
}

inline QStringList Mode2Lines() {
    return {
        QCoreApplication::translate("SetupTexts", "First ring comes (you will not hear it)"),
        QCoreApplication::translate("SetupTexts", "Receive the Caller ID"),
        QCoreApplication::translate("SetupTexts", "If Caller ID is in BLACK LIST then"),
        QCoreApplication::translate("SetupTexts", "Hang up the call"),
        QCoreApplication::translate("SetupTexts", "Else"),
        QCoreApplication::translate(
            "SetupTexts", "A ring sound will be played through pc's speaker while each ring comes"),
        QCoreApplication::translate("SetupTexts", "End If")};
}

inline QString Note() {
    return QCoreApplication::translate(
        "SetupTexts", "Note: Caller ID message is sent from the telephone company between "
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
