#include "platform/loop/EventLoop.h"

#include <algorithm>

#include "platform/RuntimeError.h"

namespace platform {

namespace {
EventLoop* g_current = nullptr;
}

EventLoop::EventLoop(Clock& clock, std::unique_ptr<LoopBackend> backend) : clock_(clock) {
    if (!backend) {
        if (clock.isVirtual())
            backend = std::make_unique<VirtualBackend>(static_cast<VirtualClock&>(clock));
        else
            backend = std::make_unique<PollBackend>();
    }
    backend_ = std::move(backend);
    if (!clock.isVirtual()) useFineTimerSlack();
    if (!g_current) g_current = this;
}

EventLoop::~EventLoop() {
    if (g_current == this) g_current = nullptr;
}

EventLoop& EventLoop::current() {
    if (!g_current) throw std::logic_error("no current event loop");
    return *g_current;
}

EventLoop* EventLoop::currentOrNull() { return g_current; }

void EventLoop::setCurrent(EventLoop* loop) { g_current = loop; }

void EventLoop::setBackend(std::unique_ptr<LoopBackend> backend) { backend_ = std::move(backend); }

void EventLoop::doEvents() {
    // An idle yield costs its quantum in all: the first pass's own work (the
    // window system's events included) counts, and so does the time the
    // kernel takes to wake the thread after a timed wait (tens of
    // microseconds), which is learnt from the yields so far and waited less.
    const Micros start = clock_.now();
    if (runPass(0)) return;
    const Micros until = start + kYieldQuantum - yieldLateness8_ / 8;
    if (runPass(std::max<Micros>(0, until - clock_.now()))) return;  // something came: not a full yield
    // Eighths of a microsecond, so the estimate follows small errors too;
    // never more than half the quantum, so a yield always sleeps.
    const Micros late = clock_.now() - start - kYieldQuantum;
    yieldLateness8_ = std::clamp<Micros>(yieldLateness8_ + late, 0, kYieldQuantum * 4);
}

void EventLoop::sleep(std::int64_t ms) {
    if (ms > 0) clock_.sleepFor(ms * 1000);
}

void EventLoop::runUntil(const std::function<bool()>& done) {
    while (!done()) runPass(kForever);
}

void EventLoop::run() {
    quit_ = false;
    while (!quit_) runPass(kForever);
    quit_ = false;
}

void EventLoop::post(std::function<void()> fn) {
    posted_.push_back(std::move(fn));
    backend_->wake();
}

EventLoop::WatchId EventLoop::watch(int fd, unsigned interest, std::function<void(unsigned)> handler) {
    const WatchId id = nextWatch_++;
    watches_[id] = Watch{fd, interest, std::make_shared<std::function<void(unsigned)>>(std::move(handler))};
    backend_->wake();
    return id;
}

void EventLoop::setInterest(WatchId id, unsigned interest) {
    auto it = watches_.find(id);
    if (it != watches_.end()) it->second.interest = interest;
}

void EventLoop::unwatch(WatchId id) { watches_.erase(id); }

Micros EventLoop::nextTimerDue() const {
    Micros best = kForever;
    const Micros now = clock_.now();
    for (const Timer* t : timers_) {
        // A timer inside its own handler cannot fire, so it must not cut a
        // nested wait short either.
        if (t->running_ || t->due_ == kForever) continue;
        best = std::min(best, std::max<Micros>(0, t->due_ - now));
    }
    return best;
}

bool EventLoop::runPass(Micros waitLimit) {
    Micros limit = posted_.empty() ? waitLimit : 0;
    limit = std::min(limit, nextTimerDue());

    std::vector<IoWatchRequest> requests;
    requests.reserve(watches_.size());
    for (const auto& [id, w] : watches_)
        if (w.interest) requests.push_back({w.fd, w.interest});

    readyScratch_.clear();
    backend_->wait(requests, limit, readyScratch_);
    bool ran = false;
    // A copy, as a handler may run a nested pass; most passes have none.
    const std::vector<IoReady> ready = readyScratch_.empty() ? std::vector<IoReady>{} : readyScratch_;
    for (const IoReady& r : ready) {
        // Collect first: a handler may add or remove watches.
        std::vector<std::pair<WatchId, std::shared_ptr<std::function<void(unsigned)>>>> hits;
        for (const auto& [id, w] : watches_)
            if (w.fd == r.fd && (w.interest & r.ready)) hits.emplace_back(id, w.handler);
        for (auto& [id, handler] : hits) {
            auto it = watches_.find(id);
            if (it == watches_.end()) continue;
            const unsigned bits = r.ready & it->second.interest;
            runEventHandler([&] { (*handler)(bits); });
            ran = true;
        }
    }
    ran |= runDueTimers();
    ran |= runPosted();
    return ran;
}

bool EventLoop::runDueTimers() {
    // Most passes find no timer due (a yield is a pass or two): they leave
    // without the copy and the sort below.
    const Micros start = clock_.now();
    if (std::none_of(timers_.begin(), timers_.end(),
                     [start](const Timer* t) { return !t->running_ && t->due_ != kForever && t->due_ <= start; }))
        return false;
    bool ran = false;
    // Timers held up together (by a blocking sleep) fire in the order they
    // fell due: a handler that restarts a later one, as a request restarts
    // the watchdog waiting for its reply, keeps that one from firing stale.
    std::vector<Timer*> snapshot = timers_;
    std::stable_sort(snapshot.begin(), snapshot.end(), [](const Timer* a, const Timer* b) { return a->due_ < b->due_; });
    for (Timer* t : snapshot) {
        if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;  // destroyed meanwhile
        const Micros now = clock_.now();
        if (t->running_ || t->due_ == kForever || t->due_ > now) continue;
        // The next tick counts from now, so a timer that was held up (by a
        // blocking sleep) fires once, not once per missed interval.
        t->due_ = now + Micros(t->interval_) * 1000;
        t->running_ = true;
        // An error is reported while the running mark still holds, so a
        // failing timer does not fire again under its own report.
        auto handler = t->onTimer;
        if (handler) runEventHandler(handler);
        if (std::find(timers_.begin(), timers_.end(), t) != timers_.end()) t->running_ = false;
        ran = true;
    }
    return ran;
}

bool EventLoop::runPosted() {
    // Only what was queued before this pass runs now, so an event that posts
    // another cannot keep one pass going for ever.
    std::size_t n = posted_.size();
    if (n == 0) return false;
    while (n-- > 0 && !posted_.empty()) {
        auto fn = std::move(posted_.front());
        posted_.pop_front();
        if (fn) runEventHandler(fn);
    }
    return true;
}

void EventLoop::registerTimer(Timer* t) { timers_.push_back(t); }

void EventLoop::unregisterTimer(Timer* t) { std::erase(timers_, t); }

}  // namespace platform
