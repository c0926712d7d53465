#include "support/EmulatedLine.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {
const QString kBuild = QStringLiteral(HW_BUILD_DIR);

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}
} // namespace

EmulatedLine::EmulatedLine() {
    for (const char* sub : {"/home", "/config/hushwire", "/run", "/app"})
        QDir().mkpath(m_dir.path() + QLatin1String(sub));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const char* sound : {"/donotcall.wav", "/ring.wav"})
        QFile::copy(kBuild + QLatin1String(sound), appFolder() + QLatin1String(sound));
}

EmulatedLine::~EmulatedLine() {
    modem.kill();
    modem.waitForFinished(2000);
}

bool EmulatedLine::Built() {
    for (const char* name : {"/hushwire", "/hushwire-service", "/hushwire-fakemodem"}) {
        if (!QFile::exists(kBuild + QLatin1String(name)))
            return false;
    }
    return true;
}

bool EmulatedLine::start() {
    modem.start(kBuild + QStringLiteral("/hushwire-fakemodem"),
                {QStringLiteral("--record"), m_dir.path() + QStringLiteral("/heard.wav"),
                 QStringLiteral("--log"), m_dir.path() + QStringLiteral("/modem.log")});
    if (!modem.waitForStarted())
        return false;
    while (!modem.canReadLine()) {
        if (!modem.waitForReadyRead(10000))
            return false;
    }
    const QString first = QString::fromLatin1(modem.readLine()).trimmed();
    if (!first.startsWith(QStringLiteral("DEVICE ")))
        return false;
    QFile conf(m_dir.path() + QStringLiteral("/config/hushwire/hushwire.conf"));
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    conf.write("[Config]\nLine0=1\n\n[Telephony]\nDevices=" + first.mid(7).toLocal8Bit() + "\n");
    return true;
}

QProcessEnvironment EmulatedLine::environment(bool display) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path() + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path() + QStringLiteral("/run"));
    env.insert(QStringLiteral("HUSHWIRE_APPFOLDER"), appFolder());
    if (display) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
    }
    return env;
}

QString EmulatedLine::program(const QString& name) const {
    return kBuild + QLatin1Char('/') + name;
}

void EmulatedLine::setSettings(const QVariantMap& values) const {
    QSettings settings(m_dir.path() + QStringLiteral("/config/hushwire/hushwire.conf"),
                       QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

void EmulatedLine::startService(QProcess& service, QString& journal, const QStringList& launcher,
                                const QProcessEnvironment& env) const {
    service.setProcessEnvironment(env.isEmpty() ? environment(false) : env);
    QObject::connect(&service, &QProcess::readyReadStandardError, &service, [&service, &journal] {
        journal += QString::fromLocal8Bit(service.readAllStandardError());
    });
    const QStringList command = launcher + QStringList{program(QStringLiteral("hushwire-service")),
                                                       QStringLiteral("--service")};
    service.start(command.first(), command.mid(1));
}

QString EmulatedLine::modemLog() const {
    return readText(m_dir.path() + QStringLiteral("/modem.log"));
}

int EmulatedLine::modemLogCount(const QString& text) const {
    return int(modemLog().count(text));
}

bool EmulatedLine::onHook() const {
    const QString log = modemLog();
    return log.lastIndexOf(QStringLiteral("EV onhook")) >=
           log.lastIndexOf(QStringLiteral("EV offhook"));
}

QStringList EmulatedLine::logLines() const {
    QStringList lines;
    const QDir logs(appFolder() + QStringLiteral("/LogFiles"));
    for (const QString& name : logs.entryList({QStringLiteral("*.txt")}, QDir::Files))
        lines += readText(logs.filePath(name)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines;
}

EmulatedLine::Result EmulatedLine::run(const QStringList& args, const QString& name) const {
    QProcess process;
    process.setProcessEnvironment(environment(false));
    process.start(program(name), args);
    Result result;
    if (!process.waitForFinished(20000))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}
