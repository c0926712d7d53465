#pragma once

#include "telephony/CompositeLineAccess.h"
#include "telephony/CompositeLineApi.h"
#include "telephony/modem/ModemLineService.h"
#include "telephony/sip/SipLineConfig.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

class LogSink;
class RoutingWaveOut;
class SipLineService;
class SipSecrets;

// The telephony lines of the program as one line service: the voice modems (configured or
// found) are line devices 0..n-1, the SIP lines follow in the order of their groups. The
// engine sees one LineApi and one LineAccess and does not learn what kind a line is.
class LineServices : public QObject {
    Q_OBJECT
public:
    // sipLines: with their passwords filled in (LoadSipLines); none means no SIP service runs.
    LineServices(QStringList modemPaths, QList<SipLineConfig> sipLines, QObject* parent = nullptr);
    ~LineServices() override;

    LineApi& api() { return m_lines; }
    const LineAccess& access() const { return m_access; }
    ModemLineService& modems() { return m_modems; }
    SipLineService* sip() { return m_sip.get(); }

    // Sends the wave-out device of each line to the service that plays on it.
    void routeWaves(RoutingWaveOut& waveOut);
    // Writes to the log when a SIP line cannot take calls (a refused password, a server that
    // does not answer) and when it can again. The log must outlive this object.
    void reportProblemsTo(LogSink& log);

private:
    ModemLineService m_modems;
    std::unique_ptr<SipLineService> m_sip;
    CompositeLineApi m_lines;
    CompositeLineAccess m_access;
};

// The modems to offer, in a stable order: those of setting Telephony/Devices, else a scan of
// /dev (DeviceDiscovery::ScanDevices; $HUSHWIRE_DEVICE_ROOT instead of /dev when set) in which
// a chosen modem that is not there keeps its line number (KeepChosenModemPlaces).
QStringList DiscoverModemDevices();

// What becomes of an account whose password the secret store does not hold.
enum class MissingPassword {
    // Asked for once (AskSecret) and put in the store, or kept for this run only where no
    // store answers, which the question then says.
    Ask,
    // Nobody can be asked (no display): the line says so and does not register.
    Report,
};

// The SIP lines of the settings file, each account with its password from the secret store.
QList<SipLineConfig> LoadSipLines(const QString& settingsFile, SipSecrets& secrets,
                                  MissingPassword missing = MissingPassword::Ask);
