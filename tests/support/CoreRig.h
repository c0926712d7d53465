#pragma once

#include "core/ScreeningCore.h"
#include "platform/audio/Mmio.h"
#include "platform/time/Clock.h"
#include "platform/time/QtTime.h"
#include "platform/time/VirtualTime.h"
#include "support/FakeLineApi.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeWaveOut.h"

// What the screening core runs on, as fakes: a fake telephony service whose device 0 is a voice
// modem, fake audio, real files. In real time the notices come through the Qt event loop and the
// host supplies timers; in virtual time the clock, the engine's timers and the notices wait for
// time.advance().
struct CoreRig {
    enum class Time { Real, Virtual };

    explicit CoreRig(Time kind = Time::Real) : virtualTime(kind == Time::Virtual) {
        lines.devices[0].name = QStringLiteral("Voice Modem");
        lines.devices[0].mediaModes = 28;
    }

    CoreServices services(const QString& appFolder) {
        CoreServices s{lines, waveOut, sound, mmio, clock(), appFolder, &lines};
        if (virtualTime) {
            s.timers = &time;
            s.loop = &time;
        }
        return s;
    }
    const Clock& clock() const {
        return virtualTime ? static_cast<const Clock&>(time) : systemClock;
    }
    QStringList opNames() const {
        QStringList names;
        for (const FakeLineApi::Op& op : lines.ops)
            names << op.name;
        return names;
    }

    const bool virtualTime;
    QtEventLoop qtLoop;
    VirtualTime time;
    SystemClock systemClock;
    FakeLineApi lines{virtualTime ? static_cast<EventLoop&>(time) : qtLoop, 1};
    FakeWaveOut waveOut;
    FakeSoundPlayer sound;
    FileMmio mmio;
};
