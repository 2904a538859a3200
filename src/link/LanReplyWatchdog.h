// The TCP reply watchdog: reports a TCP printer that leaves the oldest send
// still unanswered for kLanReplyTimeoutMs, and that it answers again after
// a time-out or TCP error was reported.
//
// Ownership: the link derives from it; the event loop outlives it. The link
// starts it on every TCP send, stops it when data arrives, and wires the
// timer's onTimer to TimerWinsock_Timer through its event guard. Nothing
// here blocks; the time-out's report runs the link's status event, whose
// handlers' errors reach the caller.
#pragma once

#include <functional>

#include "platform/loop/EventLoop.h"

namespace printerlink {

// The TCP reply watchdog's time.
inline constexpr int kLanReplyTimeoutMs = 5000;
// A reply watchdog that fires this much after its time was held up by the
// program (a blocking sleep), not by the printer. The work windows that tell
// a silence themselves (PollSilence) take a poll this late as held up too.
inline constexpr platform::Micros kLanWatchdogLateUs = 1'000'000;

class LanReplyWatchdog {
public:
    // replyWaiting: whether reply bytes wait for their data event;
    // timedOut: reports the time-out (the link's status 11053).
    LanReplyWatchdog(platform::EventLoop& loop, std::function<bool()> replyWaiting, std::function<void()> timedOut);

    platform::Timer TimerWinsock;  // one shot

    void StartResponseTimer();
    void StopResponseTimer();
    // While a window waits on sends nothing answers (its poll rests), the
    // watchdog reports no time-out. Holds nest; the last release lets the
    // watchdog count afresh from the next send.
    void holdReplyWatchdog() { ++replyWatchdogHolds_; }
    void releaseReplyWatchdog();
    // A window shows the printer offline because what it sent was lost: the
    // printer's next data tells it is answering again, as after a time-out,
    // even when the reconnect's first answer already told it before.
    void awaitAnswersAgain() { lanTimeoutReported_ = true; }
    // A time-out, TCP error or lost send was reported and the printer has
    // sent nothing since: it was found silent and is not yet answering again.
    bool lanSilenceReported() const { return lanTimeoutReported_; }

protected:
    void TimerWinsock_Timer();
    // Reports a time-out (also the link's for a TCP error).
    void reportLanTimeout();
    // Data arrived: true when it ends a reported time-out.
    bool lanAnswersAgain();
    // A closed connection's watchdog and reported time-out are not the next
    // link's.
    void disarmWatchdog();

private:
    platform::Clock& clock_;
    std::function<bool()> replyWaiting_;
    std::function<void()> timedOut_;
    // The watchdog's start, and whether a time-out or a TCP error was
    // reported and no data has arrived since.
    platform::Micros responseTimerStartedAt_ = 0;
    bool lanTimeoutReported_ = false;
    int replyWatchdogHolds_ = 0;
};

}  // namespace printerlink
