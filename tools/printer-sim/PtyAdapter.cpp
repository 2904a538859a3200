#include "printer-sim/PtyAdapter.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace sim {

using platform::Bytes;

namespace {
[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }
}  // namespace

PtyAdapter::PtyAdapter(SimPrinter& printer, platform::EventLoop& loop) : printer_(printer), loop_(loop) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        const int saved = errno;
        ::close(master_);
        errno = saved;
        fail("grantpt/unlockpt");
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        fail("ptsname_r");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        ::close(master_);
        fail("open pty slave");
    }
    // Raw from the start: no echo of the printer's own replies back to it and
    // no line editing, before the client sets up the port its own way.
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    watch_ = loop_.watch(master_, platform::IoRead, [this](unsigned ready) { onReady(ready); });
    printer_.attach(this);
}

PtyAdapter::~PtyAdapter() {
    printer_.attach(nullptr);
    loop_.unwatch(watch_);
    ::close(slave_);
    ::close(master_);
}

void PtyAdapter::onReady(unsigned ready) {
    if (ready & platform::IoWrite) flush();
    if (!(ready & platform::IoRead)) return;
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) printer_.receive(Bytes(buffer, buffer + n));
}

void PtyAdapter::send(const Bytes& bytes) {
    outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end());
    flush();
}

void PtyAdapter::flush() {
    while (!outgoing_.empty()) {
        const ssize_t n = ::write(master_, outgoing_.data(), outgoing_.size());
        if (n <= 0) break;
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
    }
    loop_.setInterest(watch_, outgoing_.empty() ? platform::IoRead : platform::IoRead | platform::IoWrite);
}

}  // namespace sim
