// The one way a work window asks the printer for its status, per link.
//
// The printer answers each status request with one byte (a USB HID report
// on that link), answers in the order it was asked, however late, and now
// and then not at all. Its replies come in a few forms told apart by fixed
// bits (PrinterCommands.h): GS EOT n and DLE EOT 2 share one, the kiosk's
// DLE EM another, ESC v, ESC u and GS r 1 a third. Order alone cannot tell a
// lost reply from a late one, so the door keeps the rule in one place:
//
// - A set of requests of a form goes out only when nothing of that form is
//   owed (tryAsk skips its turn; ask waits, serving events, for its turn).
//   Exceptions are booked behind what is owed: a keyed request (askKeyed),
//   whose answer names it; the link's own check (askBehind), which cannot
//   wait for an answer a silent printer may never send; and an own request
//   asked again behind one that read past a real-time request's possibly
//   late answer. Booked, their answers are told from the earlier ones by
//   order.
// - Every reader hands each reply byte to the door one way, take(Reply),
//   and the door says whose it is (Whose): the answer to a request, a
//   possibly late answer, or nobody's. Each reply of a form answers the
//   oldest request of that form still open; one that comes when none is
//   open answers nothing. A request whose answer its asker will not read is
//   let go (release): dropped, not answered, it proves nothing.
// - A request open kGiveUpMicros after it left is given up, so nothing
//   stays owed for good. Its answer may still come and take the place of
//   the next request's: its give-up leaves a mark on the form, and the next
//   reply of the form uses the mark up and says it may be late (maybeLate).
//   Nothing that feeds, prints or writes acts on such a byte, nor does the
//   panel show a sample holding one.
// - A window's own request and a MICR read stay open after a possibly late
//   byte (they read past it), so that their own answer, which may still
//   come, is theirs. One that read past such a byte and got nothing more
//   was answered by that byte, or lost, and by the printer's order no
//   answer to a request of its form asked before it can still come: given
//   up or let go (release), it leaves no new mark and every earlier mark of
//   its form lapses, and the asker may ask once more with nothing marked.
//   So lost answers, however many, cost the next request of their form one
//   wait, once.
// - A mark carries who asked its request, what for (its tag) and when. A
//   byte that may be the late answer of the same asker's request of the
//   same tag asked since the moment the asker cares about (ask's `since`:
//   the OK on a prompt) tells what the request's own answer would: it is
//   that answer, and the request, closed on it, leaves a mark in turn.
// - A mark lapses once the answer it stands for can no longer come: when a
//   reply to a request asked after it arrives (the printer answers in
//   order; a real-time request's answer overtakes, and proves nothing), or
//   kLateAnswerMicros after its request left. Every reply of every form is
//   to pass the door, those nobody awaits too (a byte of a form the reader
//   does not await is handed with `awaited` false: it answers only where
//   it may be late), so a mark is used up by the reply it stands for and
//   not by the next request's answer.
// - The real-time status request takes a possibly late byte as its own: it
//   asks only whether the printer sends at all, which a late answer shows
//   as well as its own.
// - A window enters when it opens and leaves when it closes: what it asked
//   is dropped and its waits end. Nobody would read the replies still on
//   their way, and kept owed they would hold the next window back until
//   given up; dropped, they count as given up: the next replies of their
//   form may be them.
//
// ID item requests (GS I @) are answered by the code that leads their
// reply, not by order: askKeyed, and a Reply with its `key`, which answers
// the oldest open request of the code. An answer to any request (a
// real-time one excepted) gives up every keyed request asked before it,
// whoever asked it: the printer answers in order. A keyed request whose
// answer nobody will read is let go (release), not answered: it proves
// nothing of the others.
//
// A poll whose answer nobody reads (post) is not booked: nobody would take
// its answer, and it would stay owed until given up. When its window leaves,
// the posts it sent within the give-up time count as given up instead, so
// their answers, still on the way, show on no row of the next window; a
// post whose send read its answer (a USB HID poll) counts as answered. At
// worst a left window's posts cost the next window's first sample of their
// form, or its first own request one wait.
//
// Ownership: the link owns one and forgets everything when it closes. Only
// ask(), awaitQuiet() and awaitAnswers() block; they run the loop nested
// (any handler may run inside them), end as soon as what they wait for
// came (a USB HID report is read as it arrives) and at the latest when it
// is given up.
// Everything else is bookkeeping on the loop's clock.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "platform/loop/Clock.h"

namespace platform {
class EventLoop;
}

namespace printerlink {

// Text: a reply that begins with a printable byte of no status form (the
// scanner's answer to its clear), read whole by the window that asked.
enum class ReplyForm : std::uint8_t { Status, Kiosk, Esc, IdItem, Text };

// The status form a reply byte has by its fixed bits; nothing for a byte of
// no status form (text, a sensor message).
std::optional<ReplyForm> replyForm(std::uint8_t b);

// What a window asked, as the answer's tag tells it.
enum RequestTag : int {
    kPollSet = 0,         // a status poll's set, one request per row
    kRealTimeStatus = 1,  // DLE EOT 2: is the printer there?
    kOwnRequest = 2,      // a request a window waits for itself (slip status, flash status)
    kMicrRead = 3,        // a MICR read: the reply's status byte answers it
};

class RequestDoor {
public:
    // Longer than the link's reply wait (5 s), which a printer that answers
    // late still passes: given up sooner, the late answers of such a printer
    // would answer nothing, and the rows would miss them.
    static constexpr platform::Micros kGiveUpMicros = 5'500'000;
    // Longer than the latest answer a printer that answers at all was seen
    // to give (a MICR read 7 s after it was asked).
    static constexpr platform::Micros kLateAnswerMicros = 2 * kGiveUpMicros;

    using Owner = unsigned;   // a window's pass; 0 is nobody
    using Ticket = unsigned;  // one set of requests; 0 is none

    // Whose a byte is, as the door tells its reader.
    enum class Whose : std::uint8_t {
        Nobody,  // it answers no request anybody waits for
        Answer,  // the answer to the request
        Late,    // the request's answer, or the late answer of one given up
    };
    struct Answer {
        Owner owner = 0;  // 0: the byte answers nothing that anybody waits for
        Ticket ticket = 0;
        int tag = 0;      // what the asker called the set
        int row = 0;      // which request of the set, 0 first
        bool last = false;  // the set is whole with this answer
        // A request of this form was given up lately: the byte may be its
        // answer, come late, rather than this request's.
        bool maybeLate = false;
        // The request stays open past this byte (it may be late): its asker
        // reads on.
        bool readPast = false;
        // The one late answer the byte may be is a real-time request's: that
        // answer overtakes, so the byte after it answers a request asked
        // after the real-time one, by the printer's order.
        bool lateRealTimeOnly = false;
        bool answers(Ticket t) const { return t != 0 && ticket == t; }
        Whose whose() const { return owner == 0 ? Whose::Nobody : maybeLate ? Whose::Late : Whose::Answer; }
    };
    // A reply byte as its reader hands it to the door.
    struct Reply {
        ReplyForm form;
        platform::Micros arrivedAt;
        // An ID item's reply, taken whole (or as its report comes): the code
        // that leads it. It answers the oldest open request of that code.
        std::optional<int> key = std::nullopt;
        // False: the reader awaits no byte of this value (a noisy line's,
        // unless it is a late answer); it answers only where it may be late.
        bool awaited = true;
    };

    // readDevice(waitMs): reads the replies that wait on the device (USB
    // HID), waiting at most waitMs for the first, so that they are taken
    // before the door decides nothing is owed and a wait ends when its
    // report comes. False when the link reads no device: its replies come
    // as the loop's events.
    RequestDoor(platform::EventLoop& loop, std::function<bool(int waitMs)> readDevice);

    Owner enter();
    void leave(Owner owner);
    bool present(Owner owner) const { return owner != 0 && present_.count(owner) != 0; }

    // A set of `rows` requests of `form` through `send` (which returns
    // whether it went out), only if nothing of the form is owed. The set's
    // ticket, or 0 when nothing was sent. The give-up clock starts when
    // send has returned: a send may wait long for the line.
    Ticket tryAsk(Owner owner, ReplyForm form, int tag, int rows, const std::function<bool()>& send);
    // Waits, serving events, until nothing of the form is owed, then as
    // tryAsk. 0 when the owner left, `stop` held, or the send failed; 0 at
    // once when what is owed was asked by a send that has not returned (a
    // handler run while that send yields), which cannot return meanwhile.
    // `since`: the moment the asker cares about (the OK on a prompt). A
    // byte that may be the late answer of the same asker's request of the
    // same tag asked since then tells what this one's answer would: it is
    // taken as the answer, not as possibly late.
    Ticket ask(Owner owner, ReplyForm form, int tag, int rows, const std::function<bool()>& send,
               const std::function<bool()>& stop = {}, platform::Micros since = platform::kForever);
    // A poll whose answer nobody reads (it only keeps the link's watchdog
    // fed): sent only when nothing of the form is owed (the replies waiting
    // on the device read first, as for tryAsk), and owed by nobody.
    // `answeredInSend`: the send read its answer (a USB HID poll's read), so
    // none can come late.
    bool post(Owner owner, ReplyForm form, const std::function<bool()>& send,
              const std::function<bool()>& answeredInSend = {});
    // A request answered by its key; sent whatever else is owed.
    Ticket askKeyed(Owner owner, ReplyForm form, int key, const std::function<bool()>& send);
    // A request booked behind whatever is owed: the link's own check, which
    // cannot wait for an earlier answer a silent printer may never send (sent
    // unbooked, its answers would go to a window), and an own request asked
    // again behind one that read past a real-time request's possibly late
    // answer (`since` as for ask). Booked, its answer is told from the
    // earlier ones by order.
    Ticket askBehind(Owner owner, ReplyForm form, int tag, int rows, const std::function<bool()>& send,
                     platform::Micros since = platform::kForever);

    // The one way every reader hands the door a reply byte, those nobody
    // awaits too: what it answers, and whose it is.
    Answer take(const Reply& reply);
    // The set of `ticket` is still owed (not answered whole, given up or
    // dropped).
    bool open(Ticket ticket);
    // The oldest request of `form` still owed is the owner's, of `tag`.
    bool nextIs(ReplyForm form, Owner owner, int tag);
    // A send of a request runs below the caller (a handler run while it
    // yields): an ask now would find its turn taken by it.
    bool sendUnderWay();
    // Waits, serving events, until none of the owner's requests of `form`
    // is open, the owner left, or `within` has passed since the oldest of
    // them went out. True when none is open.
    bool awaitAnswers(Owner owner, ReplyForm form, platform::Micros within);
    // Waits, serving events, until nothing of any form is owed: for a wait
    // that reads the printer's bytes itself, whatever their form. False
    // when the owner left or `stop` held, or, as for ask, at once when what
    // is owed was asked by a send that has not returned.
    bool awaitQuiet(Owner owner, const std::function<bool()>& stop = {});
    // The asker of `ticket` waits no more, or will not read its answer:
    // the set counts as given up now, dropped, not answered. True when it
    // had read past a possibly late byte: nothing more is owed for it, and
    // its give-up leaves no mark.
    bool release(Ticket ticket);
    // A reply of `form` that came now might be the late answer of a request
    // given up other than a real-time one, which comes in the printer's
    // order and only a wait tells from a lost one.
    bool marked(ReplyForm form);
    // The owner's requests of `tag` still owed are given up now: a request
    // that supersedes them (an own request after the window's polls, the
    // link's check asked again) need not wait out a lost reply before it
    // goes out. Their answers, should they still come, come marked.
    void giveUpAsked(Owner owner, int tag);
    // The link closed: nothing more comes for what was asked on it.
    void forgetAll();
    // Who asked the oldest open keyed request of `key` (0: nobody): the
    // reply of that key that comes next is theirs, and only theirs to take.
    Owner keyedAskedBy(ReplyForm form, int key);

private:
    struct Request {
        Owner owner;
        Ticket ticket;
        int tag;
        int row;
        int rows;
        platform::Micros askedAt;  // the send began
        platform::Micros leftAt;   // the send returned; kForever while it runs
        bool readPast = false;     // a possibly late byte came for it
        platform::Micros since = platform::kForever;  // see ask
    };
    // A request given up whose answer may still come.
    struct Mark {
        platform::Micros askedAt;
        platform::Micros lapsesAt;
        Owner owner;
        int tag;
    };
    using Book = std::deque<Request>;
    static constexpr std::size_t kForms = 5;

    Book& book(ReplyForm form) { return books_[static_cast<std::size_t>(form)]; }
    platform::Micros now() const;
    // Drops the form's requests `which` picks; their answers may still come.
    void giveUp(ReplyForm form, const std::function<bool(const Request&)>& which);
    void giveUpOld(ReplyForm form, platform::Micros now);
    static bool isOld(const Request& request, platform::Micros at);
    void giveUpEverywhere(const std::function<bool(const Request&)>& which);
    // ask's and awaitQuiet's wait: false when the owner left, `stop` held,
    // or what is owed was asked by a send that has not returned.
    bool awaitNoneOwed(Owner owner, const std::vector<ReplyForm>& forms, const std::function<bool()>& stop);
    bool owes(ReplyForm form);
    // A request of the form was noted by a send that has not returned.
    bool sending(ReplyForm form);
    Ticket send(Owner owner, ReplyForm form, int tag, int rows, const std::function<bool()>& send,
                platform::Micros since);
    Answer answerFor(const Request& request) const;
    Answer takeInOrder(ReplyForm form, platform::Micros arrivedAt);
    // The oldest keyed request of `key`: the keyed requests asked before it
    // are given up, whoever asked them, as the printer answers in order.
    Answer takeKeyed(ReplyForm form, int key, platform::Micros arrivedAt);
    // An own request or a MICR read: acted on, so answered only for certain.
    static bool waitsForSureAnswer(const Request& request);
    // One pass of the loop, then a wait of at most a short step that ends
    // when a reply comes: the printer has its time, and no more.
    void serve();
    void readQueued();

    platform::EventLoop& loop_;
    std::function<bool(int waitMs)> readDevice_;
    std::array<Book, kForms> books_;
    // Per form, oldest first: the next replies that may be late answers.
    std::array<std::deque<Mark>, kForms> marks_;
    void mark(ReplyForm form, const Request& given);
    // Marks whose answers can no longer come at `at`, and those of requests
    // asked before `answeredAskedAt` once a reply to a later one came.
    void lapseMarks(platform::Micros at, platform::Micros answeredAskedAt = 0);
    // The form's marks still standing at `at`.
    const std::deque<Mark>& marksAt(ReplyForm form, platform::Micros at);
    // Uses up the form's oldest mark, if any.
    std::optional<Mark> useMark(ReplyForm form, platform::Micros arrivedAt);
    // A reply of `form` came to a request asked at `askedAt`.
    void answered(ReplyForm form, platform::Micros arrivedAt, platform::Micros askedAt);
    std::set<Owner> present_;
    // Posts still within the give-up time, for the count at their window's leaving.
    struct Post {
        Owner owner;
        ReplyForm form;
        platform::Micros leftAt;
    };
    std::deque<Post> posts_;
    // Those too old to be answered still.
    void dropOldPosts(platform::Micros at);
    Owner nextOwner_ = 1;
    Ticket nextTicket_ = 1;
};

}  // namespace printerlink
