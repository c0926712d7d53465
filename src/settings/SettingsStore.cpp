#include "settings/SettingsStore.h"

#include "platform/AppFolder.h"
#include "platform/MessageSeam.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace {
QString configHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative values are invalid by the XDG rules and are ignored like an unset variable.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

void reportSaveFailure(const QString& section, const QString& key, const QString& where,
                       const QString& cause) {
    ShowMessage(QCoreApplication::translate(
                    "SettingsStore",
                    "The setting %1/%2 could not be saved to %3 (%4).\n\nThe program "
                    "keeps running, but this setting may be lost.")
                    .arg(section, key, QDir::toNativeSeparators(where), cause),
                AppTitle(), MessageIcon::Critical);
}

QString statusText(QSettings::Status status) {
    // QSettings reports every failed write as an access error, a full disk included.
    return status == QSettings::AccessError
               ? QCoreApplication::translate(
                     "SettingsStore", "it could not be written: no permission, or the disk is full")
               : QCoreApplication::translate("SettingsStore", "the file is not valid");
}

bool appendJournal(const QString& section, const QString& key, const QString& value) {
    const QString path = SettingsJournalPath();
    QFile journal(path);
    const QByteArray line =
        (section + QLatin1Char('@') + key + QLatin1Char('@') + value).toLatin1() + "\r\n";
    if (journal.open(QIODevice::WriteOnly | QIODevice::Append) &&
        journal.write(line) == line.size() && journal.flush()) {
        journal.close();
        return true;
    }
    // The setting itself is stored; only its journal line is missing.
    ShowMessage(QCoreApplication::translate(
                    "SettingsStore",
                    "The setting %1/%2 was saved, but its line could not be added to "
                    "the journal %3 (%4).")
                    .arg(section, key, QDir::toNativeSeparators(path), journal.errorString()),
                AppTitle(), MessageIcon::Critical);
    return false;
}
} // namespace

QString SettingsFilePath() {
    return configHome() + QStringLiteral("/hushwire/") + ApplicationName() +
           QStringLiteral(".conf");
}

QStringList SplitDeviceSetting(const QString& value) {
    QStringList result;
    // Device paths hold neither separator: udev writes ',' and ';' in by-id names as '_'.
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    for (const QString& part : value.split(separators)) {
        const QString p = part.trimmed();
        if (!p.isEmpty())
            result.append(p);
    }
    return result;
}

QStringList ReadDevicesSetting() {
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    const QVariant v = settings.value(QStringLiteral("Telephony/Devices"));
    // Devices=a,b is QSettings' own list syntax and comes back as a list. A ';' outside quotes
    // starts a comment in its INI files, so only a quoted "a;b" arrives whole.
    const QString text = v.typeId() == QMetaType::QStringList
                             ? v.toStringList().join(QLatin1Char(','))
                             : v.toString();
    return SplitDeviceSetting(text);
}

QString SettingsJournalPath() {
    return AppFile(QStringLiteral("settings.txt"));
}

QString ReadSetting(const QString& section, const QString& key, const QString& def) {
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return def;
    // A hand-edited value holding commas reads back as a list; give the text as it stands.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SaveSettingDirect(const QString& section, const QString& key, const QString& value) {
    const QString path = SettingsFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        reportSaveFailure(
            section, key, path,
            QCoreApplication::translate("SettingsStore", "the folder could not be created"));
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    QSettings::Status status = settings.status();
    if (status == QSettings::FormatError) {
        // The error may be the old file's, found when it was read: a file that now reads back
        // with the value was written after all (the unreadable one is replaced).
        const QSettings written(path, QSettings::IniFormat);
        if (written.status() == QSettings::NoError &&
            written.value(section + QLatin1Char('/') + key).toString() == value)
            status = QSettings::NoError;
    }
    if (status != QSettings::NoError) {
        reportSaveFailure(section, key, path, statusText(status));
        return false;
    }
    return true;
}

bool SaveSettingLogged(const QString& section, const QString& key, const QString& value) {
    if (!SaveSettingDirect(section, key, value))
        return false;
    return appendJournal(section, key, value);
}

bool SaveSettingLogged(const QString& section, const QString& key, int value) {
    return SaveSettingLogged(section, key, QString::number(value));
}

void ResetLineCounters(int line, bool all) {
    const QString section = QStringLiteral("Line") + QString::number(line);
    const QString param = QStringLiteral("6500");
    const int last = all ? 6 : 1;
    for (int i = 1; i <= last; ++i)
        if (!SaveSettingDirect(section, QStringLiteral("Param") + QString::number(i), param))
            return;
    SaveSettingDirect(section, QStringLiteral("Calls"), QStringLiteral("50"));
}
