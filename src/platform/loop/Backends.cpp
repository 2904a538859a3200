#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <stdexcept>

#include "platform/loop/EventLoop.h"

namespace platform {

namespace {
void pollDescriptors(const std::vector<IoWatchRequest>& watches, int extraFd, Micros timeout,
                     std::vector<IoReady>& ready, bool& woken) {
    std::vector<pollfd> fds;
    fds.reserve(watches.size() + 1);
    for (const auto& w : watches) {
        short ev = 0;
        if (w.interest & IoRead) ev |= POLLIN;
        if (w.interest & IoWrite) ev |= POLLOUT;
        fds.push_back({w.fd, ev, 0});
    }
    if (extraFd >= 0) fds.push_back({extraFd, POLLIN, 0});

    timespec ts{};
    timespec* tsp = nullptr;
    if (timeout != kForever) {
        ts.tv_sec = timeout / 1000000;
        ts.tv_nsec = (timeout % 1000000) * 1000;
        tsp = &ts;
    }
    int n = ppoll(fds.data(), fds.size(), tsp, nullptr);
    if (n <= 0) return;  // time-out, or EINTR: the caller simply runs another pass
    for (std::size_t i = 0; i < watches.size(); ++i) {
        unsigned bits = 0;
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) bits |= IoRead;
        if (fds[i].revents & (POLLOUT | POLLERR)) bits |= IoWrite;
        if (bits) ready.push_back({fds[i].fd, bits});
    }
    if (extraFd >= 0 && (fds.back().revents & POLLIN)) woken = true;
}
}  // namespace

void useFineTimerSlack() {
    constexpr unsigned long kSlackNanos = 1000;
    prctl(PR_SET_TIMERSLACK, kSlackNanos, 0, 0, 0);
}

PollBackend::PollBackend() {
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe_[0] = wakePipe_[1] = -1;
}

PollBackend::~PollBackend() {
    if (wakePipe_[0] >= 0) close(wakePipe_[0]);
    if (wakePipe_[1] >= 0) close(wakePipe_[1]);
}

void PollBackend::wait(const std::vector<IoWatchRequest>& watches, Micros timeout, std::vector<IoReady>& ready) {
    bool woken = false;
    pollDescriptors(watches, wakePipe_[0], timeout, ready, woken);
    if (woken) {
        char buf[64];
        while (read(wakePipe_[0], buf, sizeof buf) > 0) {
        }
    }
}

void PollBackend::wake() {
    // Only needed when the wake comes from outside the loop's own pass (a
    // signal handler); inside a pass the loop recomputes its wait anyway.
    if (wakePipe_[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] auto n = write(wakePipe_[1], &c, 1);
    }
}

void VirtualBackend::wait(const std::vector<IoWatchRequest>& watches, Micros timeout, std::vector<IoReady>& ready) {
    if (!watches.empty()) {
        bool woken = false;
        pollDescriptors(watches, -1, 0, ready, woken);
        if (!ready.empty()) return;
    }
    const Micros now = clock_.now();
    const Micros target = timeout == kForever ? kForever : now + timeout;
    const Micros next = clock_.nextActionTime();
    if (next != kForever && next <= target) {
        clock_.advanceTo(std::max(next, now));
        return;
    }
    if (target == kForever)
        throw std::logic_error("event loop waits for ever: no timer, no posted event and no world action is pending");
    clock_.advanceTo(target);
}

}  // namespace platform
