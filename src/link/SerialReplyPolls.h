// The polls of a wait for a serial reply. The reply cannot come before the
// request has left the port, and what was sent before it (a logo block) may
// still be going out at the line's speed: the wait counts from when the
// output is empty, and until then gives up only on output that stops
// leaving.
#pragma once

namespace printerlink {

class SerialReplyPolls {
public:
    static constexpr int kMaxPolls = 100;
    static constexpr int kPollSleepMs = 50;

    // `queued`: what waits to go out as the wait begins.
    explicit SerialReplyPolls(int queued) : queued_(queued) {}

    // After one poll's sleep, with what is still queued for output.
    void polled(int left) {
        if (left == 0)
            ++idle_;
        else if (left < queued_)
            stalled_ = 0;
        else
            ++stalled_;
        queued_ = left;
    }
    bool over() const { return idle_ >= kMaxPolls || stalled_ >= kMaxPolls; }

private:
    int idle_ = 0, stalled_ = 0;
    int queued_;
};

}  // namespace printerlink
