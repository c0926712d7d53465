#include "settings/RunEntry.h"

#include "platform/SafeWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// One argument of an Exec line: in double quotes, with ", `, $ and \ escaped by a backslash,
// and % doubled, since Exec expands %-codes even inside quotes.
QString QuoteExecArgument(const QString& arg) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

// A desktop-entry string value: backslashes are themselves escaped, and line breaks, which
// would end the value, are written as escapes.
QString EscapeValue(const QString& value) {
    QString out;
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

} // namespace

QString RunEntryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative values are invalid by the XDG rules and ignored.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config) + QStringLiteral("/autostart/hushwire.desktop");
}

QString ProgramFolder() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString real = exe.canonicalPath();
    return real.isEmpty() ? exe.absolutePath() : real;
}

QByteArray RunEntryText(const QString& programFolder, int state) {
    QString program = QDir::cleanPath(programFolder);
    if (!program.endsWith(u'/'))
        program += u'/';
    program += QStringLiteral("hushwire");
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Hushwire\n"
                                  "Comment=Screens incoming calls on a voice modem line\n"
                                  "Icon=hushwire\n"
                                  "Terminal=false\n");
    text += QStringLiteral("Exec=") + EscapeValue(QuoteExecArgument(program)) + u'\n';
    if (state != 1)
        text += QStringLiteral("Hidden=true\n");
    return text.toUtf8();
}

bool WriteRunEntryTo(const QString& path, const QString& programFolder, int state, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(folder);
        return false;
    }
    return WriteFileAtomically(path, RunEntryText(programFolder, state), error);
}

bool WriteRunEntry(int state, QString* error) {
    return WriteRunEntryTo(RunEntryPath(), ProgramFolder(), state, error);
}
