#include "telephony/modem/ModemWaveOut.h"

#include "platform/audio/PcmConvert.h"
#include "telephony/modem/ModemLine.h"
#include "telephony/modem/ModemPort.h"
#include "telephony/modem/ModemStreamParser.h"

using Result = ModemPort::Result;

namespace {
constexpr char kDle = ModemStreamParser::kDle;
const QByteArray kEndOfAudio = QByteArray() + kDle + ModemStreamParser::kEtx;
const QByteArray kCancel =
    QByteArray() + kDle + ModemStreamParser::kCan + kDle + ModemStreamParser::kEtx;
} // namespace

ModemWaveOut::ModemWaveOut(LineLookup lines, QObject* parent)
    : QObject(parent), m_lines(std::move(lines)) {
    m_pump.setTimerType(Qt::PreciseTimer);
    connect(&m_pump, &QTimer::timeout, this, &ModemWaveOut::pump);
}

ModemWaveOut::~ModemWaveOut() = default;

QByteArray ModemWaveOut::EscapeDle(const QByteArray& audio) {
    QByteArray out;
    out.reserve(audio.size() + audio.size() / 64 + 4);
    for (const char c : audio) {
        out.append(c);
        if (c == kDle)
            out.append(c);
    }
    return out;
}

ModemWaveOut::Playback* ModemWaveOut::current(WaveOutHandle handle, int generation) {
    Playback* pb = find(handle);
    if (!pb || pb->generation != generation || pb->stage == Stage::Open || !pb->port)
        return nullptr;
    return pb;
}

uint32_t ModemWaveOut::waveOutOpen(WaveOutHandle* handle, int32_t deviceId,
                                   const WaveFormatEx* format, WaveOutCallback callback,
                                   uintptr_t instance, uint32_t /*flags*/) {
    if (const uint32_t bad = WavePlaybacks<Playback>::CheckOpen(handle, format))
        return bad;
    ModemLine* line = deviceId >= 0 ? m_lines(uint32_t(deviceId)) : nullptr;
    if (!line || !line->port().isOpen())
        return wave::MMSYSERR_BADDEVICEID;
    const auto call = line->call();
    if (!call || call->state != LineCall::State::Connected)
        return wave::MMSYSERR_BADDEVICEID; // no voice channel without an answered call
    Playback pb;
    pb.deviceId = uint32_t(deviceId);
    pb.port = &line->port();
    *handle = m_playbacks.add(std::move(pb), *format, std::move(callback), instance);
    return wave::MMSYSERR_NOERROR;
}

uint32_t ModemWaveOut::waveOutPrepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    return m_playbacks.prepare(handle, header);
}

uint32_t ModemWaveOut::waveOutWrite(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    Playback* pb = find(handle);
    if (!pb)
        return wave::MMSYSERR_INVALHANDLE;
    if (const uint32_t bad = wave::CheckWritable(header))
        return bad;
    if (pb->stage != Stage::Open)
        return wave::WAVERR_STILLPLAYING; // one buffer at a time is all the program queues
    wave::MarkQueued(header);
    pb->header = header;
    pb->source = QByteArray(reinterpret_cast<const char*>(header->lpData),
                            qsizetype(header->dwBufferLength));
    pb->stage = Stage::Starting;
    ++pb->generation;
    startPlayback(handle);
    return wave::MMSYSERR_NOERROR;
}

void ModemWaveOut::startPlayback(WaveOutHandle handle) {
    Playback* pb = find(handle);
    const int gen = pb->generation;
    ModemLine* line = m_lines(pb->deviceId);
    if (!line || !pb->port || !pb->port->isOpen()) {
        // Completion always comes later, never from inside waveOutWrite.
        QMetaObject::invokeMethod(
            this,
            [this, handle, gen] {
                if (current(handle, gen))
                    finish(handle);
            },
            Qt::QueuedConnection);
        return;
    }
    if (line->voiceFormatKnown()) {
        selectFormat(handle, gen, line->voiceFormat());
        return;
    }
    const uint32_t deviceId = pb->deviceId;
    pb->port->command("AT+VSM=?",
                      [this, handle, gen, deviceId](Result r, const QList<QByteArray>& info) {
                          if (!current(handle, gen))
                              return;
                          const VoiceFormatChoice choice =
                              r == Result::Ok ? ChooseVoiceFormat(info) : VoiceFormatChoice();
                          if (!choice.valid()) {
                              finish(handle);
                              return;
                          }
                          if (ModemLine* l = m_lines(deviceId))
                              l->setVoiceFormat(choice);
                          selectFormat(handle, gen, choice);
                      });
}

void ModemWaveOut::selectFormat(WaveOutHandle handle, int gen, const VoiceFormatChoice& choice) {
    Playback* pb = find(handle);
    const QByteArray cmd = "AT+VSM=" + QByteArray::number(choice.number) + ",8000";
    const ModemVoiceFormat format = choice.format;
    pb->port->command(cmd, [this, handle, gen, cmd, format](Result r, const QList<QByteArray>&) {
        Playback* p = current(handle, gen);
        if (!p)
            return;
        if (r == Result::Ok) {
            sendTransmit(handle, gen, format);
            return;
        }
        if (r != Result::Error) {
            finish(handle);
            return;
        }
        // Some modems want the four-argument form.
        p->port->command(cmd + ",0,0",
                         [this, handle, gen, format](Result r2, const QList<QByteArray>&) {
                             if (!current(handle, gen))
                                 return;
                             if (r2 == Result::Ok)
                                 sendTransmit(handle, gen, format);
                             else
                                 finish(handle);
                         });
    });
}

void ModemWaveOut::sendTransmit(WaveOutHandle handle, int gen, ModemVoiceFormat format) {
    Playback* pb = find(handle);
    QPointer<ModemPort> port = pb->port;
    pb->port->command("AT+VTX",
                      [this, handle, gen, format, port](Result r, const QList<QByteArray>&) {
                          if (!current(handle, gen)) {
                              // Reset while the modem was getting ready: end the transmission it
                              // just began.
                              if (r == Result::Connect && port && port->isOpen()) {
                                  port->writeRaw(kCancel);
                                  port->awaitResult([](Result, const QList<QByteArray>&) {}, 1000);
                              }
                              return;
                          }
                          if (r == Result::Connect)
                              beginStream(handle, format);
                          else
                              finish(handle);
                      });
}

void ModemWaveOut::beginStream(WaveOutHandle handle, ModemVoiceFormat format) {
    Playback* pb = find(handle);
    pb->audio =
        ConvertForModem(pb->format, reinterpret_cast<const uint8_t*>(pb->source.constData()),
                        size_t(pb->source.size()), format);
    pb->sent = 0;
    pb->stage = Stage::Streaming;
    pb->clock.start();
    if (!m_pump.isActive())
        m_pump.start(kTickMs);
    pump();
}

void ModemWaveOut::pump() {
    bool streaming = false;
    std::vector<WaveOutHandle> broken;
    for (auto& [handle, pb] : m_playbacks.all()) {
        if (pb.stage != Stage::Streaming)
            continue;
        if (!pb.port || !pb.port->isOpen()) {
            broken.push_back(handle);
            continue;
        }
        // 8-bit audio at 8000 Hz: 8 bytes a millisecond, kept a little ahead of the modem.
        const qint64 due =
            qMin<qint64>(pb.audio.size(), (pb.clock.elapsed() + kLeadMs) * kModemSampleRate / 1000);
        if (due > pb.sent) {
            pb.port->writeRaw(EscapeDle(pb.audio.mid(pb.sent, due - pb.sent)));
            pb.sent = due;
        }
        if (pb.sent < pb.audio.size()) {
            streaming = true;
            continue;
        }
        pb.port->writeRaw(kEndOfAudio);
        pb.stage = Stage::Finishing;
        const WaveOutHandle h = handle;
        const int gen = pb.generation;
        pb.port->awaitResult(
            [this, h, gen](Result, const QList<QByteArray>&) {
                if (current(h, gen))
                    finish(h);
            },
            pb.port->commandTimeout() + kLeadMs);
    }
    if (!streaming)
        m_pump.stop();
    for (WaveOutHandle h : broken)
        finish(h);
}

void ModemWaveOut::finish(WaveOutHandle handle) {
    Playback* pb = find(handle);
    if (!pb || pb->stage == Stage::Open)
        return;
    pb->stage = Stage::Open;
    ++pb->generation;
    pb->audio.clear();
    pb->source.clear();
    WavePlaybacks<Playback>::Done(handle, *pb);
}

void ModemWaveOut::abort(WaveOutHandle handle) {
    Playback* pb = find(handle);
    if (!pb || pb->stage == Stage::Open)
        return;
    if ((pb->stage == Stage::Streaming || pb->stage == Stage::Finishing) && pb->port &&
        pb->port->isOpen()) {
        pb->port->writeRaw(kCancel);
        if (pb->stage == Stage::Streaming)
            pb->port->awaitResult([](Result, const QList<QByteArray>&) {}, 1000);
    }
    finish(handle);
}

uint32_t ModemWaveOut::waveOutReset(WaveOutHandle handle) {
    if (!find(handle))
        return wave::MMSYSERR_INVALHANDLE;
    abort(handle);
    return wave::MMSYSERR_NOERROR;
}

void ModemWaveOut::stopDevice(uint32_t deviceId) {
    std::vector<WaveOutHandle> handles;
    for (const auto& [handle, pb] : m_playbacks.all()) {
        if (pb.deviceId == deviceId)
            handles.push_back(handle);
    }
    for (WaveOutHandle h : handles)
        abort(h);
}

uint32_t ModemWaveOut::waveOutUnprepareHeader(WaveOutHandle handle, WaveHdr* header, uint32_t) {
    return m_playbacks.unprepare(handle, header);
}

uint32_t ModemWaveOut::waveOutClose(WaveOutHandle handle) {
    return m_playbacks.close(handle, [](const Playback& pb) { return pb.stage != Stage::Open; });
}
