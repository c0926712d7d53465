#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {
const char* const kSoundFiles[] = {"donotcall.wav", "ring.wav"};

bool folderIsWritable(const QString& dir) {
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}
} // namespace

QString InstalledShareFolder(const QString& executableDir) {
    return QDir::cleanPath(executableDir + QStringLiteral("/../share/hushwire"));
}

AppFolderChoice ChooseAppFolder(const AppFolderInputs& in) {
    if (!in.override.isEmpty())
        return {QDir::cleanPath(in.override), AppFolderKind::Override};
    // A bin folder beside share/hushwire is an installed program even where it happens to be
    // writable (a root user, a home-folder prefix): its sound files live in the share folder,
    // so the data must go to the user's data folder, which receives copies of them.
    const bool installedLayout = QFileInfo(in.executableDir).fileName() == QLatin1String("bin") &&
                                 QFileInfo(InstalledShareFolder(in.executableDir)).isDir();
    if (!installedLayout && in.isWritable && in.isWritable(in.executableDir))
        return {QDir::cleanPath(in.executableDir), AppFolderKind::Portable};
    QString dataHome = in.dataHome;
    // XDG requires an absolute path; anything else is ignored like an unset variable.
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = in.homeDir + QStringLiteral("/.local/share");
    return {QDir::cleanPath(dataHome + QStringLiteral("/hushwire")), AppFolderKind::UserData};
}

bool PrepareUserDataFolder(const QString& folder, const QString& shareDir) {
    if (!QDir().mkpath(folder))
        return false;
    for (const char* name : kSoundFiles) {
        const QString target = folder + QLatin1Char('/') + QLatin1String(name);
        const QString source = shareDir + QLatin1Char('/') + QLatin1String(name);
        if (!QFileInfo::exists(target) && QFileInfo::exists(source) &&
            QFile::copy(source, target)) {
            // Copies of read-only installed files must stay replaceable by the user.
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        }
    }
    return true;
}

QString AppFolder() {
    const QString exeDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    const AppFolderChoice choice = ChooseAppFolder({qEnvironmentVariable("HUSHWIRE_APPFOLDER"),
                                                    exeDir, qEnvironmentVariable("XDG_DATA_HOME"),
                                                    QDir::homePath(), folderIsWritable});
    if (choice.kind == AppFolderKind::UserData) {
        // Prepared once per folder and run; later calls only build the path.
        static QMutex mutex;
        static QSet<QString> prepared;
        const QMutexLocker lock(&mutex);
        if (!prepared.contains(choice.folder)) {
            PrepareUserDataFolder(choice.folder, InstalledShareFolder(exeDir));
            prepared.insert(choice.folder);
        }
    }
    return choice.folder;
}

QString AppFile(const QString& name) {
    return AppFolder() + QLatin1Char('/') + name;
}
