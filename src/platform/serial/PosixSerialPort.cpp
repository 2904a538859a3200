#include "platform/serial/PosixSerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "platform/serial/PortDevice.h"
#include "platform/serial/TermiosSetup.h"

namespace platform {

namespace {

[[noreturn]] void fail(int number, const std::string& detail) {
    throw RuntimeError(number, errorDescription(number) + " (" + detail + ")");
}

std::string errnoText(int error) { return std::strerror(error); }

// Errors that mean nothing answers at that node: no file, no driver, or a
// serial driver without a UART behind the minor number.
bool meansNoDevice(int error) { return error == ENOENT || error == ENXIO || error == ENODEV || error == EIO; }

// Pseudo-terminals and some adapters have no modem lines or counters.
bool meansUnsupported(int error) { return error == ENOTTY || error == EINVAL; }

class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

int openDevice(const std::string& name, const std::string& device) {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) return fd;
    int error = errno;
    if (meansNoDevice(error)) fail(err::InvalidPortNumber, name + ": no device at " + device + ", " + errnoText(error));
    if (error == EBUSY) fail(err::PortAlreadyOpen, name + ": " + device + " is in use");
    fail(err::PortOpenFailed, name + ": " + device + " could not be opened, " + errnoText(error));
}

// flock works for every process, root included (TIOCEXCL does not stop
// root), and for a second open inside this process too.
void lockDevice(int fd, const std::string& name, const std::string& device) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        if (error == EWOULDBLOCK) fail(err::PortAlreadyOpen, name + ": " + device + " is in use");
        fail(err::PortOpenFailed, name + ": " + device + " could not be locked, " + errnoText(error));
    }
    ::ioctl(fd, TIOCEXCL);
}

// The serial driver creates every /dev/ttySn whether or not a UART sits
// behind it; such a node opens but has the unknown port type.
void requireHardware(int fd, const std::string& name, const std::string& device) {
    serial_struct info {};
    if (::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN)
        fail(err::InvalidPortNumber, name + ": no serial hardware behind " + device);
}

void configureLine(int fd, const std::string& name, const std::string& device, const LineSettings& line,
                   int handshaking, bool dtr) {
    termios tio {};
    bool applied = ::tcgetattr(fd, &tio) == 0;
    if (applied) {
        applyLineSettings(tio, line, handshaking);
        applied = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    }
    if (!applied) {
        int error = errno;
        if (error == EIO) fail(err::InvalidPortNumber, name + ": no serial hardware behind " + device);
        fail(err::PortOpenFailed, name + ": " + device + " could not be set up, " + errnoText(error));
    }
    int bits = TIOCM_DTR;
    if (::ioctl(fd, dtr ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
        int error = errno;
        if (!meansUnsupported(error))
            fail(err::PortOpenFailed, name + ": " + device + " could not set DTR, " + errnoText(error));
    }
}

bool readCounters(int fd, std::array<int, 5>& counts) {
    serial_icounter_struct c {};
    if (::ioctl(fd, TIOCGICOUNT, &c) != 0) return false;
    counts = {c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
    return true;
}

constexpr std::array<int, 5> kCounterEvents = {comm::ErFrame, comm::ErOverrun, comm::ErRxParity, comm::ErBreak,
                                               comm::ErRxOver};
constexpr int kLinesWithoutModem = TIOCM_CTS | TIOCM_DSR;

}  // namespace

PosixSerialPort::PosixSerialPort(EventLoop& loop) : loop_(loop) {}

PosixSerialPort::~PosixSerialPort() { close(); }

void PosixSerialPort::setPortOpen(bool open) {
    if (open) {
        if (PortOpen()) fail(err::PortAlreadyOpen, portName(CommPort) + " is already open");
        this->open();
    } else {
        close();
    }
}

void PosixSerialPort::open() {
    // Everything the control can refuse by itself is refused before the
    // device is touched.
    LineSettings line = parseLineSettings(Settings);
    termios probe {};
    applyLineSettings(probe, line, Handshaking);
    if (InBufferSize <= 0) fail(err::InvalidProperty, "InBufferSize " + std::to_string(InBufferSize));

    std::string name = portName(CommPort);
    std::string device = portDevice(CommPort, app().path());
    if (device.empty()) fail(err::InvalidPortNumber, name + " has no device");

    FdGuard owner(openDevice(name, device));
    int fd = owner.get();
    lockDevice(fd, name, device);
    requireHardware(fd, name, device);
    configureLine(fd, name, device, line, Handshaking, DTREnable);

    fd_ = owner.release();
    device_ = device;
    inputLimit_ = static_cast<std::size_t>(InBufferSize);
    lost_ = false;
    session_ = std::make_shared<int>(0);
    startWatching();
}

void PosixSerialPort::startWatching() {
    int lines = 0;
    hasModemLines_ = ::ioctl(fd_, TIOCMGET, &lines) == 0;
    lastLines_ = hasModemLines_ ? lines : kLinesWithoutModem;
    hasCounters_ = readCounters(fd_, lastCounts_);

    watch_ = loop_.watch(fd_, IoRead, [this](unsigned ready) { onReady(ready); });
    if (hasModemLines_ || hasCounters_) {
        lineTimer_ = std::make_unique<Timer>(loop_);
        lineTimer_->onTimer = [this] {
            pollLines();
            pollCounters();
        };
        lineTimer_->setInterval(kLinePollMs);
    }
}

void PosixSerialPort::close() {
    if (fd_ < 0) return;
    lineTimer_.reset();
    if (watch_ != 0) loop_.unwatch(watch_);
    watch_ = 0;
    writeWatched_ = false;
    // Discarding output the port still holds keeps close() from waiting for
    // a receiver that holds CTS low. Output already handed over is left to
    // go: a terminal (a pseudo-terminal above all, whose queue never counts)
    // would otherwise drop a command written just before the close.
    ::tcflush(fd_, output_.empty() && heldByTerminal() == 0 ? TCIFLUSH : TCIOFLUSH);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    device_.clear();
    input_.clear();
    output_.clear();
    receivePosted_ = false;
    session_.reset();
}

void PosixSerialPort::requireOpen() const {
    if (fd_ < 0) fail(err::PortNotOpen, portName(CommPort) + " is not open");
}

void PosixSerialPort::Output(const Bytes& data) {
    requireOpen();
    if (lost_) fail(err::PortOpenFailed, portName(CommPort) + ": " + device_ + " is gone");
    output_.insert(output_.end(), data.begin(), data.end());
    flushOutput();
    if (lost_) fail(err::PortOpenFailed, portName(CommPort) + ": " + device_ + " is gone");
}

Bytes PosixSerialPort::Input() {
    requireOpen();
    readInput();
    std::size_t take = input_.size();
    if (InputLen > 0) take = std::min(take, static_cast<std::size_t>(InputLen));
    Bytes taken(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(take));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(take));
    return taken;
}

int PosixSerialPort::InBufferCount() const {
    requireOpen();
    int waiting = 0;
    if (lost_ || ::ioctl(fd_, FIONREAD, &waiting) != 0) waiting = 0;
    std::size_t total = std::min(input_.size() + static_cast<std::size_t>(std::max(waiting, 0)), inputLimit_);
    return static_cast<int>(total);
}

void PosixSerialPort::setInBufferCount(int zero) {
    requireOpen();
    if (zero != 0) fail(err::InvalidProperty, "InBufferCount can only be set to 0");
    input_.clear();
    ::tcflush(fd_, TCIFLUSH);
}

int PosixSerialPort::OutBufferCount() {
    requireOpen();
    if (!lost_) flushOutput();
    return static_cast<int>(output_.size()) + heldByTerminal();
}

int PosixSerialPort::heldByTerminal() const {
    int inKernel = 0;
    if (lost_ || ::ioctl(fd_, TIOCOUTQ, &inKernel) != 0) return 0;
    return std::max(inKernel, 0);
}

void PosixSerialPort::setOutBufferCount(int zero) {
    requireOpen();
    if (zero != 0) fail(err::InvalidProperty, "OutBufferCount can only be set to 0");
    output_.clear();
    ::tcflush(fd_, TCOFLUSH);
    updateWriteInterest();
}

bool PosixSerialPort::CTSHolding() const {
    requireOpen();
    return (modemLines() & TIOCM_CTS) != 0;
}

bool PosixSerialPort::DSRHolding() const {
    requireOpen();
    return (modemLines() & TIOCM_DSR) != 0;
}

// Read live, not from the last poll: the printer link checks CTS right after
// a blocking sleep during which no timer ran.
int PosixSerialPort::modemLines() const {
    if (lost_) return 0;
    if (!hasModemLines_) return kLinesWithoutModem;
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0) return 0;
    return lines;
}

void PosixSerialPort::onReady(unsigned ready) {
    if (ready & IoRead) readInput();
    if ((ready & IoWrite) && fd_ >= 0 && !lost_) flushOutput();
}

void PosixSerialPort::readInput() {
    if (fd_ < 0 || lost_) return;
    std::uint8_t chunk[4096];
    bool arrived = false;
    bool dropped = false;
    for (;;) {
        ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            std::size_t room = inputLimit_ - std::min(input_.size(), inputLimit_);
            std::size_t keep = std::min(room, static_cast<std::size_t>(n));
            input_.insert(input_.end(), chunk, chunk + keep);
            arrived = arrived || keep > 0;
            dropped = dropped || keep < static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        deviceLost();  // 0: hung up; EIO and the like: gone
        break;
    }
    if (dropped) postEvent(comm::ErRxOver);
    if (arrived) postReceive();
}

void PosixSerialPort::flushOutput() {
    while (!output_.empty()) {
        ssize_t n = ::write(fd_, output_.data(), output_.size());
        if (n > 0) {
            output_.erase(output_.begin(), output_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        deviceLost();
        return;
    }
    updateWriteInterest();
}

void PosixSerialPort::updateWriteInterest() {
    bool want = !output_.empty() && !lost_;
    if (want == writeWatched_ || watch_ == 0) return;
    loop_.setInterest(watch_, want ? (IoRead | IoWrite) : IoRead);
    writeWatched_ = want;
}

void PosixSerialPort::deviceLost() {
    if (lost_) return;
    lost_ = true;
    output_.clear();
    if (watch_ != 0) loop_.unwatch(watch_);
    watch_ = 0;
    writeWatched_ = false;
    if (lineTimer_) lineTimer_->setEnabled(false);
    reportLineChanges(0);
}

void PosixSerialPort::pollLines() {
    if (!hasModemLines_ || lost_) return;
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0) {
        if (!meansUnsupported(errno)) deviceLost();
        return;
    }
    reportLineChanges(lines);
}

void PosixSerialPort::reportLineChanges(int lines) {
    int changed = lines ^ lastLines_;
    int rising = changed & lines;
    lastLines_ = lines;
    if (changed & TIOCM_CTS) postEvent(comm::EvCTS);
    if (changed & TIOCM_DSR) postEvent(comm::EvDSR);
    if (changed & TIOCM_CD) postEvent(comm::EvCD);
    if (rising & TIOCM_RI) postEvent(comm::EvRing);
}

void PosixSerialPort::pollCounters() {
    if (!hasCounters_ || lost_) return;
    std::array<int, 5> counts {};
    if (!readCounters(fd_, counts)) return;
    for (std::size_t i = 0; i < counts.size(); ++i)
        if (counts[i] != lastCounts_[i]) postEvent(kCounterEvents[i]);
    lastCounts_ = counts;
}

void PosixSerialPort::postEvent(int code) {
    std::weak_ptr<int> session = session_;
    loop_.post([this, session, code] {
        if (session.expired()) return;
        CommEvent = code;
        if (OnComm) OnComm();
    });
}

// One receive event is queued at a time; when it runs it reports what is
// waiting then, so a handler that already took the input sees no empty event.
void PosixSerialPort::postReceive() {
    if (RThreshold <= 0 || receivePosted_ || input_.size() < static_cast<std::size_t>(RThreshold)) return;
    receivePosted_ = true;
    std::weak_ptr<int> session = session_;
    loop_.post([this, session] {
        if (session.expired()) return;
        receivePosted_ = false;
        if (RThreshold <= 0 || input_.size() < static_cast<std::size_t>(RThreshold)) return;
        CommEvent = comm::EvReceive;
        if (OnComm) OnComm();
    });
}

}  // namespace platform
