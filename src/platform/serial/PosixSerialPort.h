// The serial control on a POSIX terminal device (termios).
//
// Ownership: the port owns its descriptor, its receive buffer and its output
// queue; it watches the descriptor on the event loop it was made with and
// polls the modem lines and the kernel's error counters on a timer of that
// loop while open. It must be destroyed before that loop.
//
// Blocking: nothing blocks. Opening resolves COMn (see PortDevice.h) and
// opens the device non-blocking and exclusively; Output hands what the
// device takes at once to the kernel and queues the rest until the device
// is writable. Received bytes collect in the receive buffer as the loop
// reads them; InBufferCount also counts bytes still in the kernel, so a
// caller that blocks in Sleep and polls the count sees them arrive; likewise
// OutBufferCount first hands the device what it takes, so such a caller sees
// its output leave.
//
// Events: every OnComm is posted and runs at a later pass of the loop, never
// inside the call that caused it; events still queued when the port closes
// or is destroyed are dropped. A device that vanishes while open (a hang-up,
// an unplugged adapter) stops being read, reads CTS, DSR and CD as dropped
// and reports the change as events 3, 4 and 5.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/loop/EventLoop.h"
#include "platform/serial/SerialControl.h"

namespace platform {

class PosixSerialPort final : public SerialControl {
public:
    explicit PosixSerialPort(EventLoop& loop = EventLoop::current());
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    void setPortOpen(bool open) override;
    bool PortOpen() const override { return fd_ >= 0; }

    void Output(const Bytes& data) override;
    Bytes Input() override;

    int InBufferCount() const override;
    void setInBufferCount(int zero) override;
    int OutBufferCount() override;
    void setOutBufferCount(int zero) override;

    bool CTSHolding() const override;
    bool DSRHolding() const override;

    // The device node the open port uses ("" while closed).
    const std::string& devicePath() const { return device_; }

    static constexpr int kLinePollMs = 50;

private:
    void open();
    void close();
    void startWatching();
    void requireOpen() const;

    void onReady(unsigned ready);
    void readInput();
    void flushOutput();
    // Bytes the terminal holds that have not gone out yet.
    int heldByTerminal() const;
    void updateWriteInterest();
    void deviceLost();

    int modemLines() const;
    void pollLines();
    void reportLineChanges(int lines);
    void pollCounters();

    void postEvent(int code);
    void postReceive();

    EventLoop& loop_;
    int fd_ = -1;
    std::string device_;
    EventLoop::WatchId watch_ = 0;
    std::unique_ptr<Timer> lineTimer_;

    Bytes input_;
    std::size_t inputLimit_ = 0;
    Bytes output_;
    bool writeWatched_ = false;

    bool lost_ = false;
    bool hasModemLines_ = false;
    bool hasCounters_ = false;
    int lastLines_ = 0;
    std::array<int, 5> lastCounts_{};
    bool receivePosted_ = false;

    // Posted events hold a weak reference; closing replaces it, so nothing
    // queued before a close is delivered after it.
    std::shared_ptr<int> session_;
};

}  // namespace platform
