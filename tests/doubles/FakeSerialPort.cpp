#include "doubles/FakeSerialPort.h"

#include <algorithm>

#include <termios.h>

#include "platform/RuntimeError.h"
#include "platform/serial/TermiosSetup.h"

namespace doubles {

using platform::Bytes;
namespace comm = platform::comm;

FakeSerialPort::FakeSerialPort(platform::EventLoop& loop, platform::VirtualClock& clock)
    : loop_(loop), clock_(clock) {
    ports_[peerPort_];
}

void FakeSerialPort::addPort(int commPort) { ports_[commPort]; }

void FakeSerialPort::setPortInUse(int commPort, bool inUse) { ports_[commPort].inUse = inUse; }

void FakeSerialPort::attachPeer(int commPort) {
    ports_[commPort];
    peerPort_ = commPort;
}

void FakeSerialPort::setPortOpen(bool open) {
    if (!open) {
        open_ = false;
        ++openGeneration_;
        inBuffer_.clear();
        outBuffer_.clear();
        lineFreeAt_ = 0;
        ++outputGeneration_;
        receivePosted_ = false;
        return;
    }
    if (open_) platform::raiseError(platform::err::PortAlreadyOpen);
    // The same checks, in the same order, as the termios control: what the
    // control refuses by itself comes before the device.
    const platform::LineSettings line = platform::parseLineSettings(Settings);
    termios probe{};
    platform::applyLineSettings(probe, line, Handshaking);
    if (InBufferSize <= 0) platform::raiseError(platform::err::InvalidProperty);
    const auto port = ports_.find(CommPort);
    if (port == ports_.end() || (CommPort == peerPort_ && !devicePresent_))
        platform::raiseError(platform::err::InvalidPortNumber);
    if (port->second.inUse) platform::raiseError(platform::err::PortAlreadyOpen);
    openedSettings_ = line;
    open_ = true;
    openedPort_ = CommPort;
    ++openGeneration_;
    inBuffer_.clear();
    outBuffer_.clear();
}

void FakeSerialPort::requireOpen() const {
    if (!open_) platform::raiseError(platform::err::PortNotOpen);
}

bool FakeSerialPort::deviceGone() const { return open_ && openedPort_ == peerPort_ && !devicePresent_; }

void FakeSerialPort::Output(const Bytes& data) {
    requireOpen();
    if (deviceGone()) platform::raiseError(platform::err::PortOpenFailed);
    outBuffer_.insert(outBuffer_.end(), data.begin(), data.end());
    if (!paceAtLineSpeed) {
        clock_.scheduleAfter(wireDelay, life_.wrap([this, gen = openGeneration_] {
            if (gen == openGeneration_) deliverOutput();
        }));
        return;
    }
    lineFreeAt_ = std::max(lineFreeAt_, clock_.now()) + lineMicros(data.size());
    clock_.scheduleAt(lineFreeAt_ + wireDelay, life_.wrap([this, n = data.size(), gen = outputGeneration_] {
        if (gen == outputGeneration_) deliverOutput(n);
    }));
}

// Bits per byte at the opened settings, over the line's bits per second.
platform::Micros FakeSerialPort::lineMicros(std::size_t bytes) const {
    const int bits = 1 + openedSettings_.dataBits + (openedSettings_.parity == 'N' ? 0 : 1) + openedSettings_.stopBits;
    return static_cast<platform::Micros>(bytes) * bits * 1'000'000 / std::max(openedSettings_.baud, 1);
}

void FakeSerialPort::deliverOutput(std::size_t upTo) {
    if (!open_ || outBuffer_.empty()) return;
    // With RTS/CTS handshaking a deasserted CTS holds the bytes back; they go
    // out when the peer raises CTS again.
    if (Handshaking == comm::HandshakeRtsCts && !CTSHolding()) return;
    const auto end = outBuffer_.begin() + static_cast<std::ptrdiff_t>(std::min(upTo, outBuffer_.size()));
    const Bytes bytes(outBuffer_.begin(), end);
    outBuffer_.erase(outBuffer_.begin(), end);
    if (onPeerPort() && devicePresent_ && peerReceive) peerReceive(overTheLine(bytes));
}

Bytes FakeSerialPort::Input() {
    requireOpen();
    const std::size_t take =
        InputLen > 0 ? std::min<std::size_t>(static_cast<std::size_t>(InputLen), inBuffer_.size()) : inBuffer_.size();
    Bytes out(inBuffer_.begin(), inBuffer_.begin() + static_cast<std::ptrdiff_t>(take));
    inBuffer_.erase(inBuffer_.begin(), inBuffer_.begin() + static_cast<std::ptrdiff_t>(take));
    return out;
}

int FakeSerialPort::InBufferCount() const {
    requireOpen();
    return static_cast<int>(inBuffer_.size());
}

void FakeSerialPort::setInBufferCount(int zero) {
    requireOpen();
    if (zero != 0) platform::raiseError(platform::err::InvalidProperty);
    inBuffer_.clear();
}

int FakeSerialPort::OutBufferCount() {
    requireOpen();
    if (!paceAtLineSpeed) return static_cast<int>(outBuffer_.size());
    const platform::Micros onTheWay = std::max<platform::Micros>(lineFreeAt_ - clock_.now(), 0);
    const platform::Micros perByte = std::max<platform::Micros>(lineMicros(1), 1);
    const auto notSent = static_cast<std::size_t>((onTheWay + perByte - 1) / perByte);
    return static_cast<int>(std::min(notSent, outBuffer_.size()));
}

void FakeSerialPort::setOutBufferCount(int zero) {
    requireOpen();
    if (zero != 0) platform::raiseError(platform::err::InvalidProperty);
    outBuffer_.clear();
    lineFreeAt_ = 0;
    ++outputGeneration_;
}

bool FakeSerialPort::CTSHolding() const {
    requireOpen();
    // A port with nothing plugged in has its modem lines low.
    return onPeerPort() && devicePresent_ && cts_;
}

bool FakeSerialPort::DSRHolding() const {
    requireOpen();
    return onPeerPort() && devicePresent_ && dsr_;
}

void FakeSerialPort::peerSend(const Bytes& bytes) {
    if (!onPeerPort() || !devicePresent_ || bytes.empty()) return;
    const Bytes arrived = overTheLine(bytes);
    // Bytes beyond InBufferSize are lost and reported as an overflow.
    const std::size_t limit = static_cast<std::size_t>(std::max(InBufferSize, 0));
    const std::size_t room = limit - std::min(inBuffer_.size(), limit);
    const std::size_t keep = std::min(room, arrived.size());
    inBuffer_.insert(inBuffer_.end(), arrived.begin(), arrived.begin() + static_cast<std::ptrdiff_t>(keep));
    if (keep < arrived.size()) postEvent(comm::ErRxOver);
    if (keep > 0) postReceive();
}

void FakeSerialPort::setCts(bool asserted) {
    if (asserted == cts_) return;
    cts_ = asserted;
    if (onPeerPort() && devicePresent_) postEvent(comm::EvCTS);
    if (asserted && !outBuffer_.empty()) deliverOutput();
}

void FakeSerialPort::setDsr(bool asserted) {
    if (asserted == dsr_) return;
    dsr_ = asserted;
    if (onPeerPort() && devicePresent_) postEvent(comm::EvDSR);
}

void FakeSerialPort::removeDevice() {
    if (!devicePresent_) return;
    const bool sawLines = onPeerPort();
    devicePresent_ = false;
    if (!sawLines) return;
    if (cts_) postEvent(comm::EvCTS);
    if (dsr_) postEvent(comm::EvDSR);
}

void FakeSerialPort::restoreDevice() { devicePresent_ = true; }

void FakeSerialPort::setPeerSettings(const std::string& settings) {
    peerSettings_ = platform::parseLineSettings(settings);
}

bool FakeSerialPort::settingsMatch() const {
    if (!peerSettings_) return true;
    return peerSettings_->baud == openedSettings_.baud && peerSettings_->parity == openedSettings_.parity &&
           peerSettings_->dataBits == openedSettings_.dataBits;
}

Bytes FakeSerialPort::overTheLine(const Bytes& bytes) const {
    if (settingsMatch()) return bytes;
    Bytes garbled(bytes);
    for (auto& b : garbled) b = static_cast<std::uint8_t>(~b);
    return garbled;
}

void FakeSerialPort::postEvent(int code) {
    loop_.post(life_.wrap([this, code, gen = openGeneration_] {
        if (!open_ || gen != openGeneration_) return;
        CommEvent = code;
        if (OnComm) OnComm();
    }));
}

// One receive event is queued at a time and reports what waits when it runs,
// so a handler that already took the input sees no empty event.
void FakeSerialPort::postReceive() {
    if (receivePosted_ || !thresholdReached()) return;
    receivePosted_ = true;
    loop_.post(life_.wrap([this, gen = openGeneration_] {
        if (!open_ || gen != openGeneration_) return;
        receivePosted_ = false;
        if (!thresholdReached()) return;
        CommEvent = comm::EvReceive;
        if (OnComm) OnComm();
    }));
}

bool FakeSerialPort::thresholdReached() const {
    return RThreshold > 0 && inBuffer_.size() >= static_cast<std::size_t>(RThreshold);
}

}  // namespace doubles
