// Which request a status byte answers. The status poll's GS EOT n requests
// and the real-time status request DLE EOT 2 are answered with one byte each
// of the same form ((b AND 93h) = 12h), and the printer answers its requests
// in the order it got them, however late. The diagnostics window notes each
// such request as it sends it, and each byte of that form that comes back
// answers the oldest request still open: a poll's row, or a real-time status
// request, whose answer shows on no row.
//
// The book puts itself right again when the printer did not answer as asked:
// a request open for longer than kGiveUpMicros is given up; a poll's replies
// come together, so what is still open of a poll that was partly answered is
// given up when the next poll goes out; a byte that came before the oldest
// open request was sent, or when none is open, answers nothing. Bytes that
// the link took itself as the answer to the window's real-time status request
// are counted off in their turn (takenByLink).
//
// Pure bookkeeping on the caller's times; nothing here blocks.
#pragma once

#include <cstddef>
#include <deque>

#include "platform/loop/Clock.h"

namespace diagnostics {

class ExpectedReplies {
public:
    // Longer than the link's reply wait (5 s), which a printer that answers
    // late still passes: given up sooner, the late answers of such a printer
    // would take the rows of later requests, a real-time status answer a
    // poll's row among them.
    static constexpr platform::Micros kGiveUpMicros = 5'500'000;
    // What take() finds a byte answers besides a poll's row (0 for GS EOT 1).
    static constexpr int kRealTimeStatus = -1;
    static constexpr int kNothing = -2;

    // A poll's GS EOT 1 to `rows`, sent together at `now`.
    void expectPoll(int rows, platform::Micros now);
    // A DLE EOT 2 sent at `now`.
    void expectRealTimeStatus(platform::Micros now);
    // What a status byte that arrived at `arrivedAt` answers.
    int take(platform::Micros arrivedAt);
    // `count` status bytes that the link took as the real-time status answer,
    // noticed at `now`.
    void takenByLink(std::size_t count, platform::Micros now);
    // How many requests are open at `now`: the status bytes that come before
    // the answer to a request sent now.
    std::size_t openAt(platform::Micros now);

private:
    struct Request {
        int row;  // kRealTimeStatus or the poll's row
        int group;
        platform::Micros sentAt;
    };
    void giveUpOld(platform::Micros now);
    void pop();

    std::deque<Request> open_;
    int nextGroup_ = 0;
    // The group of the last request answered.
    int answeredGroup_ = -1;
};

}  // namespace diagnostics
