#pragma once

#include <functional>

// The GUI thread's event loop as the engine sees it: work posted to run later, and a way to
// let pending events run in the middle of a handler.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Runs fn later on the GUI thread, after the current handler has returned.
    virtual void post(std::function<void()> fn) = 0;
    // Lets events that are already pending run now, then returns.
    virtual void yield() = 0;
};
