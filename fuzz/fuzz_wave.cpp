// WAV files of any shape through the RIFF reader and the message loader, then played and
// stopped on a fake device: never a crash, a read outside the data or an oversized queue.
#include "FuzzSupport.h"

#include "engine/Wave.h"
#include "platform/audio/Mmio.h"
#include "support/FakeWaveOut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::ensureApp();
    static const QString path = fuzzsupport::scratch() + QStringLiteral("/donotcall.wav");
    fuzzsupport::writeFile(path, data, size);

    FileMmio mmio;
    FakeWaveOut out;
    Wave wave(mmio, out);
    wave.LoadWave(path, 1);
    if (wave.isLoaded(1)) {
        WaveSlot& slot = wave.slot(1);
        fuzzsupport::check(slot.waveBuffer.size() <= size, "buffer larger than the file");
        wave.PlayWave(-1, 1);
        fuzzsupport::check(slot.waveHeader.dwBufferLength <= slot.waveBuffer.size(),
                           "queued length exceeds the data");
        out.finishAll();
        wave.StopWave(1);
    }
    wave.LoadWave(path, 1); // a second load replaces the first buffer
    return 0;
}
