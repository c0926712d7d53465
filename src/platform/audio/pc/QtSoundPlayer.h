#pragma once

#include "platform/audio/SoundPlayer.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

class PcWaveStream;

// SoundPlayer on the PC's default output (Qt Multimedia). play() returns at once; a new sound
// stops the one still playing. A file that cannot be read as PCM WAV plays a short built-in
// tone instead; with no audio device nothing is heard and nothing is reported.
class QtSoundPlayer : public QObject, public SoundPlayer {
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& path) override;

    // True from play() until the sound has ended (or has been given up for lack of a device).
    bool isPlaying() const;
    // True when the last play() fell back to the built-in tone.
    bool lastWasFallback() const { return m_lastWasFallback; }

private:
    std::vector<uint8_t> m_data; // samples of the sound playing, kept while it plays
    std::unique_ptr<PcWaveStream> m_stream;
    bool m_lastWasFallback = false;
};
