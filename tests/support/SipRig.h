#pragma once

#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/PhoneLists.h"
#include "platform/audio/Mmio.h"
#include "platform/audio/PcmConvert.h"
#include "platform/time/QtTime.h"
#include "support/FakeSoundPlayer.h"
#include "support/LogRecorder.h"
#include "telephony/sip/SipLineService.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <memory>

// The call screening engine on a real SIP line service, with SIPp (a real SIP traffic
// generator) as the far end on 127.0.0.1, and a socket that takes the RTP the line sends.
class SipRig {
public:
    // One listening line on 127.0.0.1:sipPort that takes calls from 127.0.0.1 only, unless
    // lines are given.
    explicit SipRig(QList<SipLineConfig> lines = {});
    ~SipRig();

    static int FreePort();
    // Writes the message (a 16-bit 22050 Hz WAV of ms) and lists number in the public list.
    void prepare(int messageMs, double listedNumber);
    // Changes one of the engine's options (before start).
    template <typename T, typename V> void setOption(T EngineOptions::*option, V value) {
        EngineOptions options = engine->options();
        options.*option = value;
        engine->setOptions(options);
    }
    // Opens every line through the engine, as start-up does.
    void start();

    // Runs SIPp with tests/sip/scenarios/<name>.xml, %KEY% replaced by vars (RTPPORT is the
    // rig's socket and CONTACT the Contact received unless given), for one call unless extra
    // sets -m. towardLine: it calls the
    // line; otherwise it waits for requests. Returns the process, already started.
    QProcess* sipp(const QString& name, QMap<QString, QString> vars = {}, QStringList extra = {},
                   bool towardLine = true);
    // Waits, running the event loop, until SIPp ends; true when its scenario passed. Its output
    // is printed when it did not.
    bool passed(QProcess* process, int timeoutMs = 30000);
    // The same, without running the event loop: the program's thread stays busy meanwhile.
    bool passedWhileBusy(QProcess* process, int timeoutMs = 30000);

    // The message as the line must send it in the codec.
    QByteArray expectedAudio(ModemVoiceFormat codec);

    QTemporaryDir dir;
    int sipPort = 0;
    int sippPort = 0;
    QUdpSocket rtp;         // where SIPp's SDP tells the line to send its audio
    QByteArray heard;       // RTP payloads received, in order
    QList<qint64> arrivals; // their arrival times, ms
    LogRecorder log;
    std::unique_ptr<PhoneLists> lists;
    std::unique_ptr<SipLineService> service;
    QObject timerOwner;
    QtTimerFactory timers{&timerOwner};
    QtEventLoop loop;
    FileMmio mmio;
    std::unique_ptr<Wave> wave;
    FakeSoundPlayer sound;
    std::unique_ptr<CallScreener> engine;
    std::vector<std::unique_ptr<QProcess>> processes;
};
