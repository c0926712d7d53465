#pragma once

#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/PhoneLists.h"
#include "platform/audio/Mmio.h"
#include "platform/time/VirtualTime.h"
#include "settings/DeviceDescription.h"
#include "support/FakeLineApi.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeWaveOut.h"
#include "support/LogRecorder.h"
#include "support/MessageRecorder.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// Records the sounds played with the virtual time they started at.
class TimedSoundPlayer final : public FakeSoundPlayer {
public:
    explicit TimedSoundPlayer(const VirtualTime& time) : m_time(time) {}
    void play(const QString& path) override {
        FakeSoundPlayer::play(path);
        times.append(m_time.elapsedMs());
    }
    QList<qint64> times;

private:
    const VirtualTime& m_time;
};

// The engine wired to fakes in virtual time: fake telephony with four devices, fake wave
// output over real files, a recording sound player and log, phone lists and sound files in a
// temporary folder, and the options in memory (applied by start() and applyOptions()).
class EngineHarness {
public:
    explicit EngineHarness(int deviceCount = 4);
    ~EngineHarness();

    // Chooses the lines (their choice "1") and applies the options, then ResetLines,
    // InitTelephony and OpenLines, as start-up does, and lets the notices run.
    void start(const QList<int>& lines = {0, 1, 2, 3});
    // Hands the options to the engine.
    void applyOptions() { engine->setOptions(options); }
    // The devices of the started session, as start-up and the setup window list them.
    LineDevices lineDevices();

    QString folder() const { return m_dir.path(); }
    // Writes donotcall.wav (8 kHz, 8-bit mono) lasting ms, or removes it.
    void writeMessage(int ms = 2000);
    void writeMessageBytes(const QByteArray& bytes);
    void removeMessage();
    void setPublicList(const std::vector<double>& values);
    void setPrivateList(const QList<QPair<QString, QString>>& entries);

    // Offers a call on the device, sends its first ring, lets it run, then sends the caller
    // ID and lets that run. Returns the call handle.
    uint32_t incomingCall(int device, const QByteArray& number, const QByteArray& name = {},
                          uint32_t extraFlags = 0);

    // Everything back at rest: no call in any slot, no timer running, no wave device open.
    bool atRest() const;
    QString restReport() const;

    QTemporaryDir m_dir;
    VirtualTime time;
    FakeLineApi line;
    FakeWaveOut waveOut;
    FileMmio mmio;
    Wave wave;
    TimedSoundPlayer sound;
    LogRecorder log;
    MessageRecorder messages;
    std::unique_ptr<PhoneLists> lists;
    EngineOptions options;
    int telephonyFailures = 0;
    std::unique_ptr<CallScreener> engine;
};
