// The one way the work windows and the link ask the printer, per link.
//
// The printer answers in the order it was asked, however late or slow, and
// now and then not at all. Its replies come in a few forms told apart by
// fixed bits (PrinterCommands.h); an ID item's reply names its code.
//
// - Owed. A set of requests of a form goes out only when nothing of that
//   form is owed (tryAsk skips its turn, ask waits for it). Keyed requests
//   (askKeyed), the link's own (askBehind) and asks made again (askAgain)
//   are booked behind whatever is owed.
// - Marks. A request owed kGiveUpMicros after it left is given up, and one
//   its asker lets go (release, leave) is dropped: its answer may still
//   come, so it leaves a mark on its form (on its code when keyed). A mark
//   lapses kLateAnswerMicros after its request left. Asks made again after
//   their set was answered are neither dropped nor marked: they stay owed
//   for twice the time the printer took, kAgainMicros at least.
// - Whose. A mark counts only when it stands before the oldest request
//   owed of the reply's form (code), any when none is: the reply uses the
//   oldest such mark up and is Late for that request, but for a mark of an
//   earlier ask of that same sure request, not a text: the byte answers the
//   request, and the ask owed leaves a mark in its place, as its own answer
//   may still come. With no such mark it is the Answer of the oldest
//   request owed, and by the printer's order everything asked before was
//   answered or lost: those marks go, and the keyed requests still owed. A
//   keyed reply with no request of its code owed is the asker's of the mark
//   it used, while that asker is there. While a real-time request is owed
//   on a form, no reply of that form proves anything of what was asked
//   before: its answer overtakes.
// - Polls. A poll's rows leave in one write: once one was answered, the
//   others are given up if not answered within the time it took once
//   more, kRowsBehindMicros at least. A row, or the real-time request, closed on
//   a Late byte leaves a mark in its place, which lapses soon once its set
//   is over; a poll's next set is not asked while such a mark stands, so
//   none meets the next sample's replies and renews itself.
// - Sure. A request whose answer is acted on stays owed past a Late byte.
//   Where asking twice does no harm its asker asks again (askAgain) until
//   the set owes more than the marks standing: by order the first reply
//   past them answers one of its asks.
// - Silent. A printer that answers within the give-up, however slowly,
//   sends something of the form within a sure request's whole wait and its
//   ask again: a set that heard nothing of its form since it first left
//   finds the printer silent when let go (releaseSilent), and the form's
//   older marks go.
// - Windows. A window enters when it opens and leaves when it closes: what
//   it asked is dropped and its waits end. A poll nobody reads (post) is not
//   booked; when its window leaves, the posts within the give-up time leave
//   marks, but a USB HID post whose send read its own answer.
//
// Readers act on whose() for whether a byte is an answer; the rest of the
// Answer says which request it is (a poll's row and set, a tag to route it
// by). The queries look ahead where a reader must decide before a reply is
// whole: a MICR read's first byte (nextIs), an ID reply's code (keyedAskedBy,
// keyedMarked), how many asks make a sure answer (marked, owed, open).
//
// Ownership: the link owns one and forgets everything when it closes. Only
// ask(), awaitQuiet() and awaitAnswers() block; they run the loop nested
// (any handler may run inside them), end as soon as what they wait for
// came (a USB HID report is read as it arrives) and at the latest when it
// is given up. Everything else is bookkeeping on the loop's clock.
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

// What a request was asked for.
enum RequestTag : int {
    kPollSet = 0,         // a status poll's set, one request per row
    kRealTimeStatus = 1,  // DLE EOT 2: is the printer there? Its answer overtakes.
    kOwnRequest = 2,      // a request a window waits for itself (slip status, flash status)
    kMicrRead = 3,        // a MICR read: the reply's status byte answers it
    kIdItem = 4,          // GS I @: answered by its code (the request's key)
    kLinkProbe = 5,       // the link's probes after a TCP connect
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
    // The least a sure request's other asks stay owed after its answer.
    static constexpr platform::Micros kAgainMicros = 300'000;
    // The least a poll's rows wait once one of their set was answered: a
    // printer that answers the first half of a poll a while before the
    // rest is still read whole.
    static constexpr platform::Micros kRowsBehindMicros = 1'000'000;

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
        bool answers(Ticket t) const { return t != 0 && ticket == t; }
        Whose whose() const { return owner == 0 ? Whose::Nobody : late_ ? Whose::Late : Whose::Answer; }

    private:
        friend class RequestDoor;
        bool late_ = false;
    };
    // A reply byte as its reader hands it to the door.
    struct Reply {
        ReplyForm form;
        platform::Micros arrivedAt;
        // An ID item's reply, taken whole (or as its report comes): the code
        // that leads it.
        std::optional<int> key = std::nullopt;
        // False: the reader awaits no byte of this value (a noisy line's,
        // unless it is a late answer); it only uses up a mark.
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
    Ticket ask(Owner owner, ReplyForm form, int tag, int rows, const std::function<bool()>& send,
               const std::function<bool()>& stop = {});
    // The same request as the set of `ticket` asked again, behind whatever
    // is owed, as one more row of that set: its answers are the set's.
    bool askAgain(Ticket ticket, const std::function<bool()>& send);
    // A poll whose answer nobody reads (it only keeps the link's watchdog
    // fed): sent only when nothing of the form is owed, and owed by nobody.
    // `readInSend`: the byte the send read (a USB HID poll's read), which
    // is its answer only if of its form with no mark standing before it.
    bool post(Owner owner, ReplyForm form, const std::function<bool()>& send,
              const std::function<std::optional<std::uint8_t>()>& readInSend = {});
    // A request answered by its code; booked behind whatever is owed.
    Ticket askKeyed(Owner owner, ReplyForm form, int key, const std::function<bool()>& send);
    // A request booked behind whatever is owed: the link's own.
    Ticket askBehind(Owner owner, ReplyForm form, int tag, int rows, const std::function<bool()>& send);

    // The one way every reader hands the door a reply byte, those nobody
    // awaits too: what it answers, and whose it is.
    Answer take(const Reply& reply);
    // The set of `ticket` is still owed (not answered whole, given up or
    // dropped).
    bool open(Ticket ticket);
    // The oldest request of `form` still owed is the owner's, of `tag`.
    bool nextIs(ReplyForm form, Owner owner, int tag);
    // The oldest request of `form` still owed is the owner's, whatever its tag.
    bool nextIsOwners(ReplyForm form, Owner owner);
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
    // The asker of `ticket` waits no more, or will not read its answer: its
    // requests still owed are dropped (those asked again after the set's
    // answer stay owed until their time is up).
    void release(Ticket ticket);
    // As release, after the set was asked again once a whole wait got
    // nothing: if nothing of its form came since its first ask left, the
    // printer is silent, and the form's marks older than its last ask go.
    void releaseSilent(Ticket ticket);
    // The marks standing on the form: the replies of it that come first
    // would be Late.
    std::size_t marked(ReplyForm form);
    // The requests of the set of `ticket` still owed.
    std::size_t owed(Ticket ticket);
    // The owner's requests of `tag` still owed are given up now: a request
    // that supersedes them (an own request after the window's polls, the
    // link's check asked again) need not wait out a lost reply before it
    // goes out.
    void giveUpAsked(Owner owner, int tag);
    // The link closed: nothing more comes for what was asked on it.
    void forgetAll();
    // Whose the next reply of `key` is: who asked its request still owed,
    // or given up while the asker is still there (0: nobody).
    Owner keyedAskedBy(ReplyForm form, int key);
    // The next reply of `key` may be the late answer of a request given up.
    bool keyedMarked(ReplyForm form, int key);

private:
    struct Request {
        Owner owner;
        Ticket ticket;
        int tag;
        int key;  // the code of a keyed request; -1 for others
        int row;
        int rows;
        std::uint64_t order;       // when it was asked, among all requests
        platform::Micros askedAt;  // the send began
        platform::Micros leftAt;   // the send returned; kForever while it runs
        platform::Micros giveUpAt;  // kForever while the send runs
        bool again = false;        // asked again (askAgain)
        bool leftover = false;     // asked again, and the set was answered: no mark
    };
    // An answer that may still come.
    struct Mark {
        std::uint64_t order;
        platform::Micros leftAt;
        platform::Micros lapsesAt;
        int key;
        Owner owner;
        Ticket ticket;
        bool readPast;  // its request closed on a Late byte
    };
    using Book = std::deque<Request>;
    static constexpr std::size_t kForms = 5;

    Book& book(ReplyForm form) { return books_[static_cast<std::size_t>(form)]; }
    std::deque<Mark>& marks(ReplyForm form) { return marks_[static_cast<std::size_t>(form)]; }
    platform::Micros now() const;
    // Drops the requests `which` picks; their answers may still come.
    void drop(const std::function<bool(const Request&)>& which);
    // Gives up what is past its time, and lapses old marks.
    void expire(platform::Micros at);
    // `lapsesAt` 0: kLateAnswerMicros after the request left.
    void mark(ReplyForm form, const Request& given, platform::Micros lapsesAt = 0, bool readPast = false);
    // The set of `ticket` may be over at `at`, its last answer having
    // taken the printer `took`: if none of it is owed any more, the marks
    // its requests left closing on Late bytes lapse soon.
    void setOver(ReplyForm form, Ticket ticket, platform::Micros at, platform::Micros took);
    // `row` closed on a reply at `at`: a poll's other rows, sent with it in
    // one write, are answered right behind it or were lost.
    void rowClosed(ReplyForm form, const Request& row, platform::Micros at);
    // A mark a Late byte left stands: the answer it stands for comes, if at
    // all, before anything asked now.
    bool readPastStanding(ReplyForm form);
    // By when an answer right behind one that came `at` comes: twice the
    // time the printer `took` to answer, and kAgainMicros at least.
    static platform::Micros soon(platform::Micros at, platform::Micros took);
    // An Answer to a request asked at `order`: what was asked before it is over.
    void provedBefore(std::uint64_t order);
    bool realTimeOwed(ReplyForm form) const;
    // The oldest mark that stands before the request asked at `order` (of
    // `key`, when keyed).
    std::deque<Mark>::iterator markBefore(ReplyForm form, std::uint64_t order, int key);
    Book::iterator oldest(ReplyForm form, int key);
    // The mark that stands before `owed`, the oldest request of `key` (or
    // before all, when none is owed).
    std::deque<Mark>::iterator keyedMarkBefore(ReplyForm form, int key, Book::iterator owed);
    Answer answerFor(const Request& request, bool late) const;
    Answer lateKeyed(const Mark& used) const;
    Answer answered(ReplyForm form, Book::iterator request, platform::Micros at);
    // ask's and awaitQuiet's wait: false when the owner left, `stop` held,
    // or what is owed was asked by a send that has not returned.
    bool awaitNoneOwed(Owner owner, const std::vector<ReplyForm>& forms, const std::function<bool()>& stop);
    bool owes(ReplyForm form);
    // A request of the form was noted by a send that has not returned.
    bool sending(ReplyForm form) const;
    Ticket send(Owner owner, ReplyForm form, int tag, int key, int rows, const std::function<bool()>& send,
                Ticket ticket = 0);
    // One pass of the loop, then a wait of at most a short step that ends
    // when a reply comes: the printer has its time, and no more.
    void serve();
    void readQueued();

    platform::EventLoop& loop_;
    std::function<bool(int waitMs)> readDevice_;
    std::array<Book, kForms> books_;
    // Per form, oldest first.
    std::array<std::deque<Mark>, kForms> marks_;
    // Per form, when a reply of it last came.
    std::array<platform::Micros, kForms> heardAt_{};
    std::set<Owner> present_;
    // Posts still within the give-up time, for the count at their window's leaving.
    struct Post {
        Owner owner;
        ReplyForm form;
        std::uint64_t order;
        platform::Micros leftAt;
    };
    std::deque<Post> posts_;
    Owner nextOwner_ = 1;
    Ticket nextTicket_ = 1;
    std::uint64_t nextOrder_ = 1;
};

}  // namespace printerlink
