#pragma once

#include "support/FakeSoundPlayer.h"
#include "support/ListFolder.h"
#include "support/LogRecorder.h"
#include "support/WavWriter.h"

#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/PhoneLists.h"
#include "platform/audio/Mmio.h"
#include "platform/time/Clock.h"
#include "platform/time/QtTime.h"
#include "telephony/modem/ModemLineService.h"

#include <QTemporaryDir>

// The call screening engine on the real modem line service and voice channel, in real time, with
// line 0 on one device (an emulated modem) and the number 5551234567 in the public list.
struct ModemEngineRig {
    explicit ModemEngineRig(const QString& device)
        : service({device}), wave(mmio, service.modemWaveOut()),
          engine(EngineDeps{service, timers, loop, log, lists, wave, sound, folder.path(), [] {},
                            &service, &clock}) {}

    // The message blocked callers hear.
    bool writeMessage(const QByteArray& wav) { return WriteFileBytes(engine.messagePath(), wav); }

    // Loads the lists and opens line 0 for voice calls, as start-up does; false when the line did
    // not open.
    bool open() {
        if (!WriteFileBytes(folder.filePath(QStringLiteral("public.tel")),
                            PublicBytes({5551234567.0})))
            return false;
        lists.LoadPhoneLists();
        EngineOptions options;
        options.lines[0] = {QStringLiteral("1"), 0x8, {}};
        engine.setOptions(options);
        engine.ResetLines();
        engine.InitTelephony();
        engine.OpenLines();
        return engine.slot(0).lineHandle != 0;
    }

    QTemporaryDir folder;
    PhoneLists lists{folder.path()};
    ModemLineService service;
    QObject timerOwner;
    QtTimerFactory timers{&timerOwner};
    QtEventLoop loop;
    LogRecorder log;
    FileMmio mmio;
    Wave wave;
    FakeSoundPlayer sound;
    SystemClock clock;
    CallScreener engine;
};
