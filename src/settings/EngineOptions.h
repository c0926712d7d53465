#pragma once

#include "settings/QuietHours.h"

#include <QString>
#include <array>
#include <cstdint>

// How one telephone line is used.
struct LineOptions {
    // The stored choice of the line (Config/Line<i>) as text. The line is opened only when it
    // is exactly "1"; the setup window shows any text with a non-zero leading number as chosen.
    QString choice = QStringLiteral("0");
    // The media mode the line is opened for (interactive or automated voice), taken from the
    // device's capabilities; 0 for a device that cannot be used.
    uint32_t mediaMode = 0x4;
    // "from:to": a prefix of caller numbers replaced before they are logged and screened
    // (Line<i>/Rewrite); empty: numbers as the line delivers them.
    QString rewrite;

    bool opens() const { return choice == QLatin1String("1"); }
};

// The options the engine and the start-up run with, as the settings store keeps them under
// "Config". One value, loaded at start-up, edited and saved by the setup window.
struct EngineOptions {
    static constexpr int kLines = 4;
    static constexpr int kPinLength = 3;

    int mode = 1;          // 2 rings the PC instead of the telephone; every other value is mode 1
    int blockUnknown = 0;  // 1: block calls that deliver no number
    QString pin;           // the unlock PIN, at most kPinLength characters; empty: none
    int minOnStart = 0;    // 1: start with the main window minimised
    int autoStart = 0;     // 1: start with the desktop session
    int blockUnlisted = 0; // 1: only callers an allow rule (or the call-back window) lets in ring
    QuietHours quietHours; // while it lasts, callers are screened as with blockUnlisted
    int callBackMinutes = 10; // a caller who keyed the PIN rings through this long; 0: never
    int notifyBlocked = 1;    // 1: a desktop notification for each blocked call
    std::array<LineOptions, kLines> lines{};
};
