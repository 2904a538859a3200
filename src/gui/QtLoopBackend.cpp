#include "gui/QtLoopBackend.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>

namespace gui {

using platform::IoRead;
using platform::IoWrite;
using platform::kForever;
using platform::Micros;

namespace {

// Below this a wait is done with ppoll: Qt's timers have millisecond steps.
constexpr Micros kShortWait = 2000;
// A longer wait simply ends early and is asked for again.
constexpr Micros kLongestTimerMs = 3600 * 1000;

// Polls the watched descriptors (and the wake pipe) for at most `timeout`;
// returns whether the wake pipe was readable.
bool pollOnce(const std::vector<platform::IoWatchRequest>& watches, int wakeFd, Micros timeout,
              std::vector<platform::IoReady>& ready) {
    std::vector<pollfd> fds;
    fds.reserve(watches.size() + 1);
    for (const auto& w : watches)
        fds.push_back({w.fd, static_cast<short>(((w.interest & IoRead) ? POLLIN : 0) |
                                                 ((w.interest & IoWrite) ? POLLOUT : 0)),
                       0});
    fds.push_back({wakeFd, POLLIN, 0});
    timespec ts{timeout / 1000000, (timeout % 1000000) * 1000};
    if (ppoll(fds.data(), fds.size(), &ts, nullptr) <= 0) return false;
    for (size_t i = 0; i < watches.size(); ++i) {
        unsigned bits = 0;
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) bits |= IoRead;
        if (fds[i].revents & (POLLOUT | POLLERR)) bits |= IoWrite;
        if (bits) ready.push_back({fds[i].fd, bits});
    }
    return (fds.back().revents & POLLIN) != 0;
}

void processQtEvents(bool block) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) return;
    dispatcher->processEvents(block ? QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents
                                    : QEventLoop::AllEvents);
}

}  // namespace

struct QtLoopBackend::Impl {
    int wakePipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> wakeNotifier;
    struct Notifiers {
        std::unique_ptr<QSocketNotifier> read, write;
    };
    std::map<int, Notifiers> notifiers;
    QTimer timer;

    Impl() {
        if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
        wakeNotifier = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
        wakeNotifier->setEnabled(false);
        // The blocking dispatch returns once the notifier was handled; the
        // pipe is drained after the wait.
        QObject::connect(wakeNotifier.get(), &QSocketNotifier::activated, [this] { wakeNotifier->setEnabled(false); });
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
    }
    ~Impl() {
        notifiers.clear();
        wakeNotifier.reset();
        if (wakePipe[0] >= 0) close(wakePipe[0]);
        if (wakePipe[1] >= 0) close(wakePipe[1]);
    }

    void drainWake() {
        char buf[64];
        while (read(wakePipe[0], buf, sizeof buf) > 0) {
        }
    }

    static std::unique_ptr<QSocketNotifier> makeNotifier(int fd, QSocketNotifier::Type type) {
        auto n = std::make_unique<QSocketNotifier>(fd, type);
        QSocketNotifier* raw = n.get();
        // Level-triggered: disabled at once so that a descriptor nobody reads
        // cannot keep the dispatcher busy; the loop reads the state by poll.
        QObject::connect(raw, &QSocketNotifier::activated, [raw] { raw->setEnabled(false); });
        return n;
    }

    // Enables one notifier per watched descriptor and direction and drops
    // those of descriptors no longer watched.
    void arm(const std::vector<platform::IoWatchRequest>& watches) {
        std::map<int, unsigned> wanted;
        for (const auto& w : watches) wanted[w.fd] |= w.interest;
        for (auto it = notifiers.begin(); it != notifiers.end();)
            it = wanted.count(it->first) ? std::next(it) : notifiers.erase(it);
        for (const auto& [fd, interest] : wanted) {
            Notifiers& n = notifiers[fd];
            if ((interest & IoRead) && !n.read) n.read = makeNotifier(fd, QSocketNotifier::Read);
            if ((interest & IoWrite) && !n.write) n.write = makeNotifier(fd, QSocketNotifier::Write);
            if (n.read) n.read->setEnabled((interest & IoRead) != 0);
            if (n.write) n.write->setEnabled((interest & IoWrite) != 0);
        }
        wakeNotifier->setEnabled(true);
    }

    void disarm() {
        for (auto& [fd, n] : notifiers) {
            if (n.read) n.read->setEnabled(false);
            if (n.write) n.write->setEnabled(false);
        }
        wakeNotifier->setEnabled(false);
    }
};

QtLoopBackend::QtLoopBackend() : d_(std::make_unique<Impl>()) {}

QtLoopBackend::~QtLoopBackend() = default;

void QtLoopBackend::wait(const std::vector<platform::IoWatchRequest>& watches, Micros timeout,
                         std::vector<platform::IoReady>& ready) {
    // Widgets of windows that went away are deleted here, between passes,
    // where none of their own code is on the stack.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const auto start = std::chrono::steady_clock::now();
    if (pollOnce(watches, d_->wakePipe[0], 0, ready) || !ready.empty() || timeout < kShortWait) {
        processQtEvents(false);
        // Qt's events took part of the wait already: a yield costs its
        // quantum, not the quantum on top of Qt's work.
        const Micros spent =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
        if (ready.empty() && timeout > spent) pollOnce(watches, d_->wakePipe[0], timeout - spent, ready);
        d_->drainWake();
        return;
    }

    d_->arm(watches);
    // Rounded up: a timer that fired a fraction early would only cost an
    // empty pass and a second wait.
    if (timeout != kForever) d_->timer.start(static_cast<int>(std::min<Micros>((timeout + 999) / 1000, kLongestTimerMs)));
    processQtEvents(true);
    d_->timer.stop();
    d_->disarm();
    pollOnce(watches, d_->wakePipe[0], 0, ready);
    d_->drainWake();
}

void QtLoopBackend::wake() {
    if (d_->wakePipe[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] auto n = write(d_->wakePipe[1], &c, 1);
    }
}

}  // namespace gui
