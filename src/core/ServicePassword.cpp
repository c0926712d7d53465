#include "core/ServicePassword.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QtGlobal>
#include <sys/stat.h>

namespace {
// Passwords are short; a larger file is not a password file.
constexpr qint64 kMostBytes = 4096;

ServicePassword ReadPasswordFile(const QString& path, bool checkMode) {
    const QString shown = QDir::toNativeSeparators(path);
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {{}, QStringLiteral("The password file %1 does not exist.").arg(shown)};
    if (checkMode && (st.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH)) != 0)
        return {{},
                QStringLiteral("The password file %1 may be read by others (mode %2), so "
                               "Hushwire does not use it. Make it readable by its owner only: "
                               "chmod 600 %1")
                    .arg(shown)
                    .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{},
                QStringLiteral("The password file %1 could not be read: %2")
                    .arg(shown, file.errorString())};
    QByteArray bytes = file.read(kMostBytes + 1);
    if (bytes.size() > kMostBytes)
        return {{},
                QStringLiteral("The password file %1 is too long to hold a password.").arg(shown)};
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.isEmpty())
        return {{}, QStringLiteral("The password file %1 is empty.").arg(shown)};
    return {QString::fromUtf8(bytes), {}};
}
} // namespace

ServicePassword ReadServicePassword(const QString& settingsFile, int group) {
    // systemd makes the credentials folder readable by the service alone.
    const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (!credentials.isEmpty()) {
        const QString path = QDir(credentials).filePath(QStringLiteral("sip%1").arg(group));
        if (QFile::exists(path))
            return ReadPasswordFile(path, false);
    }
    const QSettings settings(settingsFile, QSettings::IniFormat);
    const QString named =
        settings.value(QStringLiteral("Sip%1/PasswordFile").arg(group)).toString().trimmed();
    if (named.isEmpty())
        return {};
    // A relative name is taken from the settings file's folder.
    return ReadPasswordFile(QDir(QFileInfo(settingsFile).absolutePath()).filePath(named), true);
}
