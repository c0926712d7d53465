#include "core/LineServices.h"

#include "calllog/LogSink.h"
#include "core/ModemPlaces.h"
#include "core/ServicePassword.h"
#include "platform/MessageSeam.h"
#include "platform/audio/RoutingWaveOut.h"
#include "settings/SettingsStore.h"
#include "telephony/modem/DeviceDiscovery.h"
#include "telephony/sip/SipLineService.h"
#include "telephony/sip/SipSecrets.h"

#include <QEventLoop>
#include <QTimer>
#include <memory>

namespace {

std::vector<LineApi*> servicesOf(ModemLineService& modems, SipLineService* sip) {
    std::vector<LineApi*> services{&modems};
    if (sip)
        services.push_back(sip);
    return services;
}

} // namespace

LineServices::LineServices(QStringList modemPaths, QList<SipLineConfig> sipLines, QObject* parent)
    : QObject(parent), m_modems(std::move(modemPaths)),
      m_sip(sipLines.isEmpty() ? nullptr : std::make_unique<SipLineService>(sipLines)),
      m_lines(servicesOf(m_modems, m_sip.get())), m_access(m_lines, {&m_modems, m_sip.get()}) {}

LineServices::~LineServices() = default;

void LineServices::routeWaves(RoutingWaveOut& waveOut) {
    waveOut.setDeviceRoute([this](int32_t device, int32_t* local) -> WaveOut* {
        size_t service = 0;
        if (!m_lines.waveDeviceOf(device, &service, local))
            return nullptr;
        if (service == 0)
            return &m_modems.modemWaveOut();
        return m_sip ? &m_sip->sipWaveOut() : nullptr;
    });
}

void LineServices::reportProblemsTo(LogSink& log) {
    if (!m_sip)
        return;
    connect(m_sip.get(), &SipLineService::lastErrorChanged, this,
            [this, &log](uint32_t device, const QString& text) {
                const uint32_t line = m_lines.firstDevice(1) + device;
                log.AddLogLine(
                    text.isEmpty()
                        ? QStringLiteral("Line%1 is ready").arg(line)
                        : QStringLiteral("Line%1 - %2").arg(QString::number(line), text));
            });
}

namespace {

// How long a password read waits for the secret store: a locked keyring may wait for an unlock
// that never comes, and the other lines are not held up by it.
constexpr int kKeyringWaitMs = 5000;

struct PasswordRead {
    SipSecrets::Where where = SipSecrets::Where::Nowhere;
    QString password;
    bool answered = false;
    QEventLoop* wait = nullptr;
};

// Runs the event loop until the secret store has answered, or kKeyringWaitMs have passed. An
// answer after that finds the read given up and is dropped.
PasswordRead readPassword(SipSecrets& secrets, int group) {
    auto read = std::make_shared<PasswordRead>();
    secrets.read(group, [read](SipSecrets::Where where, const QString& password) {
        read->where = where;
        read->password = password;
        read->answered = true;
        if (read->wait)
            read->wait->quit();
    });
    if (!read->answered) {
        QEventLoop wait;
        read->wait = &wait;
        QTimer::singleShot(kKeyringWaitMs, &wait, &QEventLoop::quit);
        wait.exec();
        read->wait = nullptr;
    }
    return *read;
}

SipSecrets::Where writePassword(SipSecrets& secrets, int group, const QString& password) {
    QEventLoop wait;
    bool done = false;
    SipSecrets::Where result = SipSecrets::Where::Nowhere;
    secrets.write(group, password, [&](SipSecrets::Where where) {
        result = where;
        done = true;
        wait.quit();
    });
    if (!done)
        wait.exec();
    return result;
}

} // namespace

QStringList DiscoverModemDevices() {
    const QStringList configured = ReadDevicesSetting();
    if (!configured.isEmpty())
        return configured;
    // Tests and containers give another folder to look in.
    const QString root = qEnvironmentVariable("HUSHWIRE_DEVICE_ROOT", QStringLiteral("/dev"));
    return KeepChosenModemPlaces(DeviceDiscovery::ScanDevices(root));
}

QList<SipLineConfig> LoadSipLines(const QString& settingsFile, SipSecrets& secrets,
                                  MissingPassword missing) {
    QList<SipLineConfig> lines = ReadSipLines(settingsFile);
    for (SipLineConfig& line : lines) {
        if (line.isListening())
            continue;
        const PasswordRead read = readPassword(secrets, line.group);
        if (read.where != SipSecrets::Where::Nowhere) {
            line.password = read.password;
            continue;
        }
        // A service with no keyring has the password as a credential or in a file.
        const ServicePassword given = ReadServicePassword(settingsFile, line.group);
        if (given.found()) {
            line.password = given.password;
            continue;
        }
        if (missing == MissingPassword::Report) {
            line.passwordMissing = true;
            line.passwordProblem = given.problem;
            if (line.passwordProblem.isEmpty() && !read.answered)
                line.passwordProblem =
                    QStringLiteral("The keyring did not answer within %1 seconds, so the "
                                   "password of the SIP account %2 is not known and Hushwire "
                                   "does not register it.")
                        .arg(kKeyringWaitMs / 1000)
                        .arg(line.account);
            continue;
        }
        // Not known: asked once for this run. Where no secret store answered, the question
        // says the password will only last until Hushwire ends.
        const QString kept = secrets.statusText();
        const QString question =
            QStringLiteral("Hushwire needs the password of the SIP account %1 (line Sip%2) to "
                           "register it.\n\n%3")
                .arg(line.account)
                .arg(line.group)
                .arg(kept.isEmpty()
                         ? QStringLiteral("It will be kept in your desktop's secret store.")
                         : kept);
        const std::optional<QString> answer = AskSecret(question, AppTitle());
        if (!answer || answer->isEmpty())
            continue;
        line.password = *answer;
        if (writePassword(secrets, line.group, *answer) == SipSecrets::Where::Session &&
            kept.isEmpty())
            ShowMessage(secrets.statusText(), AppTitle(), MessageIcon::Warning);
    }
    return lines;
}
