#pragma once

#include <QString>

// Plays a sound file on the PC, asynchronously: play() returns at once, and a new sound
// replaces one that is still playing. A missing or unreadable file plays a short default tone;
// with no audio device nothing is heard and nothing is reported.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& path) = 0;
};
