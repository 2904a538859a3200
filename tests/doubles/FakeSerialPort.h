// In-memory serial port on the virtual clock, for tests of the printer link.
//
// The utility's side is the SerialControl interface, with the same
// observable behaviour as the termios control: the same error numbers for a
// missing port (8002), a port in use (8005), a malformed Settings text (380),
// calls that need an open port (8018) and a write to a vanished device
// (8015); OnComm always posted to the loop, never raised inside the call that
// caused it, and nothing queued before a close delivered after it.
//
// The far side ("the peer", normally the simulated printer) sits on one port
// of the machine. Bytes the utility writes reach peerReceive as a world
// action on the virtual clock (after wireDelay), so the peer answers while
// the utility sleeps or yields. peerSend() fills the receive buffer and posts
// OnComm 2 when RThreshold > 0; setCts()/setDsr() post OnComm 3/4.
//
// Ownership: the port keeps references to the loop and the clock, which must
// outlive it. Nothing here blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/loop/LifeToken.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"
#include "platform/serial/SerialControl.h"

namespace doubles {

class FakeSerialPort final : public platform::SerialControl {
public:
    FakeSerialPort(platform::EventLoop& loop, platform::VirtualClock& clock);
    ~FakeSerialPort() override = default;

    // --- The machine's ports ---------------------------------------------
    // A port that exists and is free; the peer is attached to COM1 unless
    // attachPeer() says otherwise (attaching also adds the port).
    void addPort(int commPort);
    void setPortInUse(int commPort, bool inUse);
    void attachPeer(int commPort);
    int peerPort() const { return peerPort_; }

    // --- SerialControl ----------------------------------------------------
    void setPortOpen(bool open) override;
    bool PortOpen() const override { return open_; }
    void Output(const platform::Bytes& data) override;
    platform::Bytes Input() override;
    int InBufferCount() const override;
    void setInBufferCount(int zero) override;
    int OutBufferCount() override;
    void setOutBufferCount(int zero) override;
    bool CTSHolding() const override;
    bool DSRHolding() const override;

    // --- The peer's side --------------------------------------------------
    std::function<void(const platform::Bytes&)> peerReceive;
    // Bytes from the peer; lost when the utility has not opened the peer's
    // port (nobody listens on a closed port).
    void peerSend(const platform::Bytes& bytes);
    void setCts(bool asserted);
    void setDsr(bool asserted);
    bool cts() const { return cts_; }
    bool dsr() const { return dsr_; }
    // The device behind the peer's port vanishes (a USB adapter pulled) or
    // comes back. While it is gone the port cannot be opened (8002); an open
    // port reads its lines low (events 3 and 4) and fails writes with 8015.
    void removeDevice();
    void restoreDevice();
    // The peer's own line settings. When the utility opens the port with a
    // different speed, parity or word length, bytes arrive garbled both ways,
    // with no error, as on a real line.
    void setPeerSettings(const std::string& settings);

    // Virtual time a write takes to reach the peer.
    platform::Micros wireDelay = 0;
    // When set, written bytes go out one after another at the opened line's
    // speed (start, data, parity and stop bits), each write reaching the peer
    // when its last byte is out, and OutBufferCount counts the bytes not yet
    // on the line. Otherwise a write goes out whole at once.
    bool paceAtLineSpeed = false;

private:
    struct Port {
        bool inUse = false;
    };

    bool onPeerPort() const { return open_ && openedPort_ == peerPort_; }
    bool settingsMatch() const;
    void requireOpen() const;
    bool deviceGone() const;
    bool thresholdReached() const;
    void postEvent(int code);
    void postReceive();
    void deliverOutput(std::size_t upTo = SIZE_MAX);
    platform::Micros lineMicros(std::size_t bytes) const;
    platform::Bytes overTheLine(const platform::Bytes& bytes) const;

    platform::EventLoop& loop_;
    platform::VirtualClock& clock_;
    std::map<int, Port> ports_;
    int peerPort_ = 1;
    bool devicePresent_ = true;
    std::optional<platform::LineSettings> peerSettings_;

    bool open_ = false;
    int openedPort_ = 0;
    unsigned openGeneration_ = 0;
    platform::LineSettings openedSettings_;
    platform::Bytes inBuffer_;
    platform::Bytes outBuffer_;
    // When the paced line has sent everything written, and the count of
    // purges and closes, which cancels the paced deliveries made before.
    platform::Micros lineFreeAt_ = 0;
    unsigned outputGeneration_ = 0;
    bool receivePosted_ = false;
    bool cts_ = true;
    bool dsr_ = true;
    platform::LifeToken life_;
};

}  // namespace doubles
