#include "engine/Wave.h"

#include <algorithm>
#include <cmath>

Wave::Wave(Mmio& mmio, WaveOut& waveOut) : m_mmio(mmio), m_waveOut(waveOut) {}

Wave::~Wave() {
    // A device still open would call back into this object and read its buffers.
    for (WaveSlot& s : m_slots)
        closeDevice(s);
}

WaveSlot& Wave::slot(int line) {
    return m_slots.at(static_cast<size_t>(line));
}

bool Wave::isPlaying(int line) const {
    return validLine(line) && m_slots[static_cast<size_t>(line)].playing.load();
}

bool Wave::isLoaded(int line) const {
    return validLine(line) && m_slots[static_cast<size_t>(line)].waveLoaded;
}

bool Wave::isDeviceOpen(int line) const {
    return validLine(line) && m_slots[static_cast<size_t>(line)].waveOut != 0;
}

WaveFileError Wave::problem(int line) const {
    return validLine(line) ? m_slots[static_cast<size_t>(line)].problem : WaveFileError::None;
}

void Wave::releaseBuffer(WaveSlot& s) {
    std::vector<uint8_t>().swap(s.waveBuffer);
    s.frameCount = 0;
    s.waveLoaded = false;
}

void Wave::closeDevice(WaveSlot& s) {
    if (s.waveOut == 0)
        return;
    m_waveOut.waveOutReset(s.waveOut);
    m_waveOut.waveOutUnprepareHeader(s.waveOut, &s.waveHeader, wave::kHeaderSize);
    m_waveOut.waveOutClose(s.waveOut);
    s.waveOut = 0;
    // The device is gone, so nothing plays any more, whether or not it reported the end.
    s.playing.store(false);
}

void Wave::LoadWave(const QString& path, int line) {
    if (!validLine(line))
        return;
    WaveSlot& s = m_slots[static_cast<size_t>(line)];
    // The old buffer may still be queued on a device left open by an earlier message.
    closeDevice(s);
    releaseBuffer(s);
    if (path.isEmpty()) {
        s.problem = WaveFileError::Missing;
        return;
    }
    s.problem = ReadWaveFile(m_mmio, path, &m_waveFormat, &s.waveBuffer, kMaxDataBytes);
    if (s.problem != WaveFileError::None)
        return;
    if (s.waveBuffer.empty())
        s.problem = WaveFileError::Empty;
    // Nearest integer, halves to even (the default rounding mode).
    s.frameCount = static_cast<int32_t>(
        std::nearbyint(static_cast<double>(s.waveBuffer.size()) / m_waveFormat.nBlockAlign));
    s.waveLoaded = true;
}

void Wave::PlayWave(int32_t deviceId, int line) {
    if (!validLine(line))
        return;
    WaveSlot& s = m_slots[static_cast<size_t>(line)];
    closeDevice(s);

    uint32_t flags = wave::CALLBACK_FUNCTION;
    if (deviceId != wave::WAVE_MAPPER)
        flags |= wave::WAVE_MAPPED;
    WaveOutHandle h = 0;
    auto done = [this, line](WaveOutHandle dev, uint32_t msg, uintptr_t instance, uintptr_t p1,
                             uintptr_t p2) { OnWaveDone(line, dev, msg, instance, p1, p2); };
    const uint32_t opened = m_waveOut.waveOutOpen(&h, deviceId, &m_waveFormat, done, 0, flags);
    if (opened != 0) {
        if (opened == wave::WAVERR_BADFORMAT)
            s.problem = WaveFileError::Unsupported;
        releaseBuffer(s);
        return;
    }
    s.waveOut = h;

    // A rounded-up frame count may ask for part of a frame more than was read.
    const uint64_t wanted =
        static_cast<uint64_t>(std::max(s.frameCount, 0)) * m_waveFormat.nBlockAlign;
    s.waveHeader = WaveHdr();
    s.waveHeader.lpData = s.waveBuffer.data();
    s.waveHeader.dwBufferLength =
        static_cast<uint32_t>(std::min<uint64_t>(wanted, s.waveBuffer.size()));
    if (m_waveOut.waveOutPrepareHeader(h, &s.waveHeader, wave::kHeaderSize) != 0)
        return;
    // Set before the write: a short buffer may complete on the audio thread before
    // waveOutWrite returns, and its completion must not be overwritten.
    s.playing.store(true);
    if (m_waveOut.waveOutWrite(h, &s.waveHeader, wave::kHeaderSize) != 0) {
        s.playing.store(false);
        releaseBuffer(s);
    }
}

void Wave::StopWave(int line) {
    if (!validLine(line))
        return;
    closeDevice(m_slots[static_cast<size_t>(line)]);
}

void Wave::OnWaveDone(int line, WaveOutHandle /*h*/, uint32_t msg, uintptr_t /*instance*/,
                      uintptr_t /*p1*/, uintptr_t /*p2*/) {
    // Runs on the audio thread: one atomic store and nothing else.
    if (msg == wave::WOM_DONE && validLine(line))
        m_slots[static_cast<size_t>(line)].playing.store(false);
}
