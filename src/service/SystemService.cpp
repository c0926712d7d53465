#include "service/SystemService.h"

#include "service/ControlProtocol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace systemservice {
namespace {
QString Root() {
    return qEnvironmentVariable("HUSHWIRE_SYSTEM_ROOT");
}
} // namespace

QString DataFolder() {
    return Root() + QStringLiteral("/var/lib/hushwire");
}

QString ConfigFolder() {
    return DataFolder() + QStringLiteral("/config");
}

QString RuntimeFolder() {
    return Root() + QStringLiteral("/run/hushwire");
}

bool IsRunning() {
    return QFileInfo(RuntimeFolder()).isDir();
}

void UseFolders() {
    qputenv("HUSHWIRE_APPFOLDER", QFile::encodeName(DataFolder()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigFolder()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(RuntimeFolder()));
}

QString FolderNotice(const QString& ownSocketPath, const QString& ownDataFolder) {
    if (!IsRunning() || control::Ask(ownSocketPath, QLatin1String(control::kStatus), 1000))
        return {};
    const QString reach = QStringLiteral("add --system (as root or the hushwire user) to act on "
                                         "the system service's %1")
                              .arg(QDir::toNativeSeparators(DataFolder()));
    if (ownDataFolder.isEmpty())
        return QStringLiteral("note: your own Hushwire service is not running, but the system "
                              "service is; ") +
               reach + QLatin1Char('.');
    return QStringLiteral("note: your own Hushwire service is not running, but the system "
                          "service is. This acts on your folder %1; ")
               .arg(QDir::toNativeSeparators(ownDataFolder)) +
           reach + QLatin1Char('.');
}

} // namespace systemservice
