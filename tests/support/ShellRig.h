#pragma once

#include "shell/AppShell.h"
#include "support/CoreRig.h"

#include <memory>

// The desktop program's shell on the core's fakes.
// Header only: the shell's tests and benchmarks link the shell, the other tests do not.
struct ShellRig : CoreRig {
    using CoreRig::CoreRig;

    std::unique_ptr<AppShell> makeShell(const QString& appFolder, const QString& socket = {}) {
        return std::make_unique<AppShell>(services(appFolder), socket);
    }
};
