#include "link/LanReplyWatchdog.h"

#include "link/LinkFlags.h"

namespace printerlink {

LanReplyWatchdog::LanReplyWatchdog(platform::EventLoop& loop, std::function<bool()> replyWaiting,
                                   std::function<void()> timedOut)
    : TimerWinsock(loop), clock_(loop.clock()), replyWaiting_(std::move(replyWaiting)), timedOut_(std::move(timedOut)) {
    TimerWinsock.setEnabled(false);
}

// The watchdog counts from the oldest send still unanswered: were every send
// to restart it, a window's regular poll would keep a printer that stopped
// answering online for ever.
void LanReplyWatchdog::StartResponseTimer() {
    if (TimerWinsock.enabled() && TimerWinsock.interval() > 0) return;
    responseTimerStartedAt_ = clock_.now();
    TimerWinsock.setInterval(kLanReplyTimeoutMs);
    TimerWinsock.setEnabled(true);
}

void LanReplyWatchdog::StopResponseTimer() {
    TimerWinsock.setEnabled(false);
    TimerWinsock.setInterval(0);
}

void LanReplyWatchdog::releaseReplyWatchdog() {
    if (replyWatchdogHolds_ == 0 || --replyWatchdogHolds_ > 0) return;
    StopResponseTimer();
}

// A reply that came in time but still waits for its data event is no
// time-out. Nor is a silence the program could not hear: when a blocking
// sleep held the loop well past the watchdog's time (a print's long wait,
// with sends that nothing answers before it), the printer gets its full time
// again from now, and the window's next poll tells.
void LanReplyWatchdog::TimerWinsock_Timer() {
    const bool replyWaiting = replyWaiting_();
    const platform::Micros dueAt = responseTimerStartedAt_ + platform::Micros(kLanReplyTimeoutMs) * 1000;
    if (!replyWaiting && clock_.now() - dueAt > kLanWatchdogLateUs) {
        StopResponseTimer();
        StartResponseTimer();
        return;
    }
    if (!bSuppressLanTimeout && replyWatchdogHolds_ == 0 && !replyWaiting) reportLanTimeout();
    StopResponseTimer();
}

void LanReplyWatchdog::reportLanTimeout() {
    lanTimeoutReported_ = true;
    timedOut_();
}

bool LanReplyWatchdog::lanAnswersAgain() {
    if (!lanTimeoutReported_) return false;
    lanTimeoutReported_ = false;
    return true;
}

void LanReplyWatchdog::disarmWatchdog() {
    StopResponseTimer();
    lanTimeoutReported_ = false;
}

}  // namespace printerlink
