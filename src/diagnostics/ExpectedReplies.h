// Which request a status byte answers. The status poll's GS EOT n requests
// and the real-time status request DLE EOT 2 are answered with one byte each
// of the same form ((b AND 93h) = 12h), the kiosk requests DLE EM 1 and 2
// with one byte each of another; the printer answers its requests in the
// order it got them, however late. The diagnostics window keeps one book per
// reply form, notes each request as it sends it, and each byte of that form
// that comes back answers the oldest request still open: a poll's row, or a
// real-time status request, whose answer shows on no row.
//
// The book puts itself right again when the printer did not answer as asked:
// a request open for longer than kGiveUpMicros is given up; a byte that came
// before the oldest open request was sent, or when none is open, answers
// nothing. A poll's requests are answered back to back, so a poll's rest may
// come after the next poll went out (it is still that poll's), but not after
// a pause: a poll that was partly answered when a byte comes more than
// kBurstGapMicros after the last one was answered by a stray byte, and its
// answer begins with this byte. Bytes that the link took itself as the
// answer to the window's real-time status request are counted off in their
// turn (takenByLink).
//
// Pure bookkeeping on the caller's times; nothing here blocks.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "platform/loop/Clock.h"

namespace diagnostics {

class ExpectedReplies {
public:
    // Longer than the link's reply wait (5 s), which a printer that answers
    // late still passes: given up sooner, the late answers of such a printer
    // would take the rows of later requests, a real-time status answer a
    // poll's row among them.
    static constexpr platform::Micros kGiveUpMicros = 5'500'000;
    // Far longer than a byte takes on the slowest line, far shorter than the
    // poll's interval.
    static constexpr platform::Micros kBurstGapMicros = 200'000;
    // What take() finds a byte answers besides a poll's row (0 for GS EOT 1).
    static constexpr int kRealTimeStatus = -1;
    static constexpr int kNothing = -2;

    // A poll's requests for rows firstRow .. firstRow + rows - 1, sent
    // together at `now`.
    void expectPoll(int rows, platform::Micros now, int firstRow = 0);
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
    Request pop(platform::Micros at);

    std::deque<Request> open_;
    int nextGroup_ = 0;
    // The requests of the oldest open poll answered so far, and when the
    // last byte that answered anything came.
    std::vector<Request> partlyAnswered_;
    platform::Micros lastAnswerAt_ = 0;
};

}  // namespace diagnostics
