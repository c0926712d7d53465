#pragma once

#include "platform/audio/SoundPlayer.h"

#include <QStringList>

// Records the paths played, in order.
class FakeSoundPlayer : public SoundPlayer {
public:
    void play(const QString& path) override { played.append(path); }
    QStringList played;
};
