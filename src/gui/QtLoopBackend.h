// The event loop's backend while the Qt front end runs: one wait serves the
// utility's descriptors and timers and Qt's own events (window system,
// Qt timers, posted Qt events), so there is only one event loop.
//
// wait() dispatches Qt events (which may post utility events, never run
// them), and blocks inside Qt's event dispatcher with socket notifiers on
// the watched descriptors and a timer for the timeout; an idle utility
// therefore sleeps in the kernel. Waits shorter than a couple of
// milliseconds (the yield quantum of DoEvents) are done with ppoll after a
// non-blocking round of Qt events, because Qt's timers count whole
// milliseconds. wake() writes to a pipe that the wait watches. Needs a
// QCoreApplication for its whole life; single-threaded.
#pragma once

#include <memory>

#include "platform/loop/EventLoop.h"

namespace gui {

class QtLoopBackend final : public platform::LoopBackend {
public:
    QtLoopBackend();
    ~QtLoopBackend() override;
    QtLoopBackend(const QtLoopBackend&) = delete;
    QtLoopBackend& operator=(const QtLoopBackend&) = delete;

    void wait(const std::vector<platform::IoWatchRequest>& watches, platform::Micros timeout,
              std::vector<platform::IoReady>& ready) override;
    void wake() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace gui
