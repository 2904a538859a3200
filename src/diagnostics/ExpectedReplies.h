// Which request a status byte answers. The status poll's GS EOT n requests
// and the real-time status request DLE EOT 2 are answered with one byte each
// of the same form ((b AND 93h) = 12h), the kiosk requests DLE EM 1 and 2
// with one byte each of another, ESC v and ESC u with one of a third; the
// printer answers its requests in the order it got them, however late. The
// diagnostics window keeps one book per reply form, notes each request as
// it sends it, and each byte of that form that comes back answers the
// oldest request still open: a poll's row, or a real-time status request,
// whose answer shows on no row.
//
// Order alone cannot tell a lost reply from a late one, so the window never
// owes more than one set of requests of a form: it asks again only once
// nothing of that form is owed (owes()). A request open for longer than
// kGiveUpMicros is given up, so nothing stays owed for good and a lost reply
// costs only the set it belonged to. A byte that came before the oldest open
// request was sent, or when none is open, answers nothing. No rule here
// looks at the time between bytes: how a line, the printer's flow control
// or its work spaces out a set's replies does not move them to other rows.
//
// Pure bookkeeping on the caller's times; nothing here blocks.
#pragma once

#include <deque>

#include "platform/loop/Clock.h"

namespace diagnostics {

class ExpectedReplies {
public:
    // Longer than the link's reply wait (5 s), which a printer that answers
    // late still passes: given up sooner, the late answers of such a printer
    // would answer nothing, and the rows would miss them.
    static constexpr platform::Micros kGiveUpMicros = 5'500'000;
    // What take() finds a byte answers besides a set's row (0 for GS EOT 1).
    static constexpr int kRealTimeStatus = -1;
    static constexpr int kNothing = -2;

    // A set of requests for rows firstRow .. firstRow + rows - 1, sent
    // together at `now`.
    void expectPoll(int rows, platform::Micros now, int firstRow = 0);
    // A DLE EOT 2 sent at `now`.
    void expectRealTimeStatus(platform::Micros now);
    // What a byte of the book's form that arrived at `arrivedAt` answers.
    int take(platform::Micros arrivedAt);
    // Whether a request is still open at `now`: another sent now would have
    // its answer come after that one's, or in its place if it was lost.
    bool owes(platform::Micros now);

private:
    struct Request {
        int row;  // kRealTimeStatus or the set's row
        platform::Micros sentAt;
    };
    void giveUpOld(platform::Micros now);

    std::deque<Request> open_;
};

}  // namespace diagnostics
