#pragma once

#include "lists/ui/ListWindows.h"
#include "support/ListFolder.h"
#include "support/MessageRecorder.h"

#include <memory>

// A list folder with the window registry over it, as the program has them, and every message
// recorded. Header only: just the tests that link the list windows include it.
struct ListWindowsRig {
    ListWindowsRig() { start({}); }
    ~ListWindowsRig() { windows.reset(); }

    // Writes the list files, loads them as at start-up and puts a fresh registry over them.
    void start(const std::vector<double>& publicValues,
               const std::vector<PrivateEntry>& privateEntries = {}) {
        windows.reset();
        folder.start(publicValues, privateEntries);
        windows = std::make_unique<ListWindows>(folder.store, folder.time);
    }

    MessageRecorder messages;
    ListFolder folder;
    std::unique_ptr<ListWindows> windows;
};
