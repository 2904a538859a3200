// The simulated printer behind a real pseudo-terminal.
//
// The adapter holds the master side and serves it on an event loop watch;
// the utility (or a person with a terminal program) opens slavePath() as its
// serial port. It also keeps the slave open itself, so the master never sees
// a hang-up while no client has the port open (a hung-up master reads as
// ready forever and would spin the loop). A pseudo-terminal has no modem
// lines, so CTS faults and restarts only silence the printer.
//
// Ownership: owns both descriptors; the loop and the printer outlive it.
// Throws std::system_error when no pseudo-terminal can be made.
#pragma once

#include <string>

#include "platform/loop/EventLoop.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

class PtyAdapter final : public SimPort {
public:
    PtyAdapter(SimPrinter& printer, platform::EventLoop& loop);
    ~PtyAdapter() override;
    PtyAdapter(const PtyAdapter&) = delete;
    PtyAdapter& operator=(const PtyAdapter&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    void send(const platform::Bytes& bytes) override;
    void setLinkUp(bool) override {}

private:
    void onReady(unsigned ready);
    void flush();

    SimPrinter& printer_;
    platform::EventLoop& loop_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    platform::EventLoop::WatchId watch_ = 0;
    platform::Bytes outgoing_;
};

}  // namespace sim
