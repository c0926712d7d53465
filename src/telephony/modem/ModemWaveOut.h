#pragma once

#include "platform/audio/WavePlaybacks.h"
#include "telephony/modem/VoiceFormatChoice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class ModemLine;
class ModemPort;

// The voice transmit channel of the modem lines: wave-out device i plays on line device i,
// which must have a connected call. A buffer is converted to the modem's voice format (chosen
// from AT+VSM=?), sent after AT+VTX with every DLE doubled and closed by DLE ETX, written no
// faster than the modem plays it. WOM_DONE follows the modem's final OK (or any failure, so
// the program never waits for a message that cannot play); waveOutReset stops at once.
class ModemWaveOut : public QObject, public WaveOut {
    Q_OBJECT
public:
    using LineLookup = std::function<ModemLine*(uint32_t deviceId)>;
    explicit ModemWaveOut(LineLookup lines, QObject* parent = nullptr);
    ~ModemWaveOut() override;

    uint32_t waveOutOpen(WaveOutHandle* handle, int32_t deviceId, const WaveFormatEx* format,
                         WaveOutCallback callback, uintptr_t instance, uint32_t flags) override;
    uint32_t waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutReset(WaveOutHandle handle) override;
    uint32_t waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t size) override;
    uint32_t waveOutClose(WaveOutHandle handle) override;

    // Stops whatever plays on a line device (it is hanging up or has gone).
    void stopDevice(uint32_t deviceId);

    // How far ahead of the modem's playback the sender may be.
    static constexpr int kLeadMs = 200;
    static constexpr int kTickMs = 20;

    static QByteArray EscapeDle(const QByteArray& audio);

private:
    enum class Stage { Open, Starting, Streaming, Finishing };
    struct Playback : LinePlayback {
        uint32_t deviceId = 0;
        Stage stage = Stage::Open;
        QPointer<ModemPort> port;
        QByteArray source;  // the PCM handed to waveOutWrite
        QByteArray audio;   // converted, not yet escaped
        int generation = 0; // replies of an abandoned playback see another value
        qsizetype sent = 0;
        QElapsedTimer clock;
    };

    Playback* find(WaveOutHandle handle) { return m_playbacks.find(handle); }
    void startPlayback(WaveOutHandle handle);
    void selectFormat(WaveOutHandle handle, int generation, const VoiceFormatChoice& choice);
    void sendTransmit(WaveOutHandle handle, int generation, ModemVoiceFormat format);
    void beginStream(WaveOutHandle handle, ModemVoiceFormat format);
    Playback* current(WaveOutHandle handle, int generation);
    void pump();
    void finish(WaveOutHandle handle);
    void abort(WaveOutHandle handle);

    LineLookup m_lines;
    WavePlaybacks<Playback> m_playbacks{0x5700};
    QTimer m_pump;
};
