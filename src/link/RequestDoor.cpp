#include "link/RequestDoor.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "link/PrinterCommands.h"
#include "platform/loop/EventLoop.h"

namespace printerlink {

namespace {

// Short enough that a window waiting for its turn still feels live: the
// window system's events and timers are served between steps.
constexpr int kServeStepMs = 20;
constexpr std::uint64_t kAfterAll = std::numeric_limits<std::uint64_t>::max();
constexpr int kNoKey = -1;

// Acted on, so answered only for certain: it stays owed past a Late byte.
// A poll's row closes on it (its set is not shown), and the real-time
// request asks only whether the printer sends at all, which a late answer
// shows as well.
bool waitsForSureAnswer(int tag) { return tag == kOwnRequest || tag == kMicrRead || tag == kIdItem; }

// By when the answers right behind one that came `at`, `took` after the
// write it left in, come (`least` at the least): answered in turn, the
// k-th answer comes k+1 printer times after the write, the next k+2, so
// no later than `took` after the k-th.
platform::Micros behind(platform::Micros at, platform::Micros took, platform::Micros least) {
    return at + std::max(least, took);
}

}  // namespace

std::optional<ReplyForm> replyForm(std::uint8_t b) {
    if (isGsEotReply(b)) return ReplyForm::Status;
    if (isDleEmReply(b)) return ReplyForm::Kiosk;
    if (isEscReply(b)) return ReplyForm::Esc;
    return std::nullopt;
}

RequestDoor::RequestDoor(platform::EventLoop& loop, std::function<bool(int waitMs)> readDevice)
    : loop_(loop), readDevice_(std::move(readDevice)) {}

void RequestDoor::readQueued() {
    if (readDevice_) readDevice_(0);
}

platform::Micros RequestDoor::now() const { return loop_.clock().now(); }

RequestDoor::Owner RequestDoor::enter() {
    const Owner owner = nextOwner_++;
    present_.insert(owner);
    return owner;
}

// Those whose send still runs are dropped when it returns. Whether a post
// was answered nobody knows, but for one whose send read its answer.
void RequestDoor::leave(Owner owner) {
    present_.erase(owner);
    drop([&](const Request& r) { return r.owner == owner && r.leftAt != platform::kForever; });
    const platform::Micros at = now();
    std::erase_if(posts_, [&](const Post& p) {
        if (p.owner != owner) return false;
        if (at - p.leftAt <= kGiveUpMicros)
            mark(p.form, Request{.owner = p.owner, .ticket = 0, .tag = kPollSet, .key = kNoKey, .row = 0, .rows = 1,
                                 .order = p.order, .askedAt = p.leftAt, .leftAt = p.leftAt, .giveUpAt = at});
        return true;
    });
}

// Asked again after their set was answered, requests are never dropped:
// their answer, if it is still to come, comes within their short time.
void RequestDoor::drop(const std::function<bool(const Request&)>& which) {
    for (std::size_t f = 0; f < kForms; ++f)
        std::erase_if(books_[f], [&](const Request& r) {
            if (r.leftover || !which(r)) return false;
            mark(static_cast<ReplyForm>(f), r);
            return true;
        });
}

void RequestDoor::expire(platform::Micros at) {
    for (std::size_t f = 0; f < kForms; ++f) {
        const ReplyForm form = static_cast<ReplyForm>(f);
        std::vector<Ticket> givenUp;
        std::erase_if(books_[f], [&](const Request& r) {
            if (r.giveUpAt == platform::kForever || at <= r.giveUpAt) return false;
            if (!r.leftover) mark(form, r);
            givenUp.push_back(r.ticket);
            return true;
        });
        for (const Ticket ticket : givenUp) setOver(form, ticket, at, 0);
        std::erase_if(marks_[f], [&](const Mark& m) { return m.lapsesAt <= at; });
    }
    const auto old = std::find_if(posts_.begin(), posts_.end(),
                                  [&](const Post& p) { return at - p.leftAt <= kGiveUpMicros; });
    posts_.erase(posts_.begin(), old);
}

platform::Micros RequestDoor::soon(platform::Micros at, platform::Micros took) {
    return at + std::max(kAgainMicros, 2 * std::max<platform::Micros>(0, took));
}

void RequestDoor::setOver(ReplyForm form, Ticket ticket, platform::Micros at, platform::Micros took) {
    const Book& requests = book(form);
    if (std::any_of(requests.begin(), requests.end(), [&](const Request& r) { return r.ticket == ticket; })) return;
    for (Mark& m : marks(form))
        if (m.ticket == ticket && m.readPast) m.lapsesAt = std::min(m.lapsesAt, behind(at, took, kAgainMicros));
}

void RequestDoor::rowClosed(ReplyForm form, const Request& row, platform::Micros at) {
    // A row answered while its send still ran (a USB HID poll reads each) took no time to speak of.
    const platform::Micros took = row.leftAt == platform::kForever ? 0 : at - row.leftAt;
    if (row.tag == kPollSet)
        for (Request& r : book(form))
            if (r.ticket == row.ticket) r.giveUpAt = std::min(r.giveUpAt, behind(at, took, kRowsBehindMicros));
    setOver(form, row.ticket, at, took);
}

bool RequestDoor::readPastStanding(ReplyForm form) {
    const auto& standing = marks(form);
    return std::any_of(standing.begin(), standing.end(), [](const Mark& m) { return m.readPast; });
}

void RequestDoor::mark(ReplyForm form, const Request& given, platform::Micros lapsesAt, bool readPast) {
    auto& standing = marks(form);
    const platform::Micros left = given.leftAt == platform::kForever ? now() : given.leftAt;
    const Mark m{given.order, left, lapsesAt != 0 ? lapsesAt : left + kLateAnswerMicros, given.key, given.owner,
                 given.ticket, readPast};
    standing.insert(std::upper_bound(standing.begin(), standing.end(), m,
                                     [](const Mark& a, const Mark& b) { return a.order < b.order; }),
                    m);
}

void RequestDoor::provedBefore(std::uint64_t order) {
    for (auto& standing : marks_) std::erase_if(standing, [&](const Mark& m) { return m.order < order; });
    std::erase_if(book(ReplyForm::IdItem), [&](const Request& r) { return r.order < order; });
}

bool RequestDoor::realTimeOwed(ReplyForm form) const {
    const Book& requests = books_[static_cast<std::size_t>(form)];
    return std::any_of(requests.begin(), requests.end(), [](const Request& r) { return r.tag == kRealTimeStatus; });
}

std::deque<RequestDoor::Mark>::iterator RequestDoor::markBefore(ReplyForm form, std::uint64_t order, int key) {
    auto& standing = marks(form);
    return std::find_if(standing.begin(), standing.end(),
                        [&](const Mark& m) { return m.key == key && m.order < order; });
}

RequestDoor::Book::iterator RequestDoor::oldest(ReplyForm form, int key) {
    Book& requests = book(form);
    return std::find_if(requests.begin(), requests.end(), [&](const Request& r) { return r.key == key; });
}

void RequestDoor::giveUpAsked(Owner owner, int tag) {
    drop([&](const Request& r) { return r.owner == owner && r.tag == tag && r.leftAt != platform::kForever; });
}

std::size_t RequestDoor::marked(ReplyForm form) {
    expire(now());
    return marks(form).size();
}

std::size_t RequestDoor::owed(Ticket ticket) {
    expire(now());
    std::size_t n = 0;
    for (const Book& requests : books_)
        n += static_cast<std::size_t>(
            std::count_if(requests.begin(), requests.end(), [&](const Request& r) { return r.ticket == ticket; }));
    return n;
}

void RequestDoor::release(Ticket ticket) {
    if (ticket != 0) drop([&](const Request& r) { return r.ticket == ticket; });
}

void RequestDoor::releaseSilent(Ticket ticket) {
    expire(now());
    for (std::size_t f = 0; f < kForms; ++f) {
        platform::Micros firstLeft = platform::kForever;
        std::uint64_t lastOrder = 0;
        for (const Request& r : books_[f])
            if (r.ticket == ticket) {
                firstLeft = std::min(firstLeft, r.leftAt);
                lastOrder = std::max(lastOrder, r.order);
            }
        for (const Mark& m : marks_[f])
            if (m.ticket == ticket) firstLeft = std::min(firstLeft, m.leftAt);
        if (lastOrder == 0) continue;
        release(ticket);
        if (heardAt_[f] < firstLeft) std::erase_if(marks_[f], [&](const Mark& m) { return m.order < lastOrder; });
        return;
    }
}

bool RequestDoor::owes(ReplyForm form) {
    expire(now());
    return !book(form).empty();
}

// One thread: a request whose send has not returned was noted by a send
// further down the stack, which yields to the handler that asks now and
// cannot return before it has.
bool RequestDoor::sending(ReplyForm form) const {
    const Book& requests = books_[static_cast<std::size_t>(form)];
    return std::any_of(requests.begin(), requests.end(), [](const Request& r) { return r.leftAt == platform::kForever; });
}

RequestDoor::Ticket RequestDoor::send(Owner owner, ReplyForm form, int tag, int key, int rows,
                                      const std::function<bool()>& sendRequests, Ticket again) {
    const Ticket ticket = again != 0 ? again : nextTicket_++;
    const platform::Micros askedAt = now();
    const std::uint64_t first = nextOrder_;
    for (int row = 0; row < rows; ++row)
        book(form).push_back({owner, ticket, tag, key, row, rows, nextOrder_++, askedAt, platform::kForever,
                              platform::kForever, again != 0, false});
    // Noted before the send: a send yields, and an answer read meanwhile
    // must find its request. A send that fails or throws leaves nothing
    // owed: a request whose send never returned would never be given up.
    const auto ours = [ticket, first](const Request& r) { return r.ticket == ticket && r.order >= first; };
    struct Unnote {
        Book& requests;
        std::function<bool(const Request&)> which;
        bool active = true;
        ~Unnote() {
            if (active) std::erase_if(requests, which);
        }
    } unnote{book(form), ours};
    if (!sendRequests()) return 0;
    unnote.active = false;
    // The window left while its requests went out: as at its leaving, they
    // are dropped and their answers may still come.
    if (!present(owner)) {
        drop(ours);
        return 0;
    }
    const platform::Micros leftAt = now();
    for (Request& r : book(form))
        if (ours(r)) {
            r.leftAt = leftAt;
            r.giveUpAt = leftAt + kGiveUpMicros;
        }
    return ticket;
}

RequestDoor::Ticket RequestDoor::tryAsk(Owner owner, ReplyForm form, int tag, int rows,
                                        const std::function<bool()>& sendRequests) {
    if (!present(owner)) return 0;
    // Replies queued on the device belong to what was asked before.
    readQueued();
    if (owes(form) || readPastStanding(form)) return 0;
    return send(owner, form, tag, kNoKey, rows, sendRequests);
}

bool RequestDoor::post(Owner owner, ReplyForm form, const std::function<bool()>& sendRequest,
                       const std::function<std::optional<std::uint8_t>()>& readInSend) {
    if (!present(owner)) return false;
    readQueued();
    if (owes(form)) return false;
    const std::uint64_t order = nextOrder_++;
    if (!sendRequest()) return false;
    const std::optional<std::uint8_t> got = readInSend ? readInSend() : std::nullopt;
    if (got && replyForm(*got) == form) {
        expire(now());
        const auto late = markBefore(form, kAfterAll, kNoKey);
        if (late == marks(form).end()) return true;
        marks(form).erase(late);
    }
    posts_.push_back({owner, form, order, now()});
    return true;
}

// Ends: every request owed is given up by kGiveUpMicros after it left, and
// sends are bounded by the link.
bool RequestDoor::awaitNoneOwed(Owner owner, const std::vector<ReplyForm>& forms, const std::function<bool()>& stop) {
    for (;;) {
        if (!present(owner) || (stop && stop())) return false;
        readQueued();
        bool owed = false, underSend = false;
        for (const ReplyForm form : forms) {
            owed = owes(form) || owed;
            underSend = underSend || sending(form);
        }
        if (!owed) return true;
        // Waiting for a send's requests that runs below this wait would end
        // only if the printer answered them; a silent one would hold it for good.
        if (underSend) return false;
        serve();
    }
}

RequestDoor::Ticket RequestDoor::ask(Owner owner, ReplyForm form, int tag, int rows,
                                     const std::function<bool()>& sendRequests, const std::function<bool()>& stop) {
    return awaitNoneOwed(owner, {form}, stop) ? send(owner, form, tag, kNoKey, rows, sendRequests) : 0;
}

bool RequestDoor::askAgain(Ticket ticket, const std::function<bool()>& sendRequest) {
    expire(now());
    for (std::size_t f = 0; f < kForms; ++f)
        for (const Request& r : books_[f])
            if (r.ticket == ticket && !r.leftover)
                return present(r.owner) &&
                       send(r.owner, static_cast<ReplyForm>(f), r.tag, r.key, 1, sendRequest, ticket) != 0;
    return false;
}

bool RequestDoor::awaitQuiet(Owner owner, const std::function<bool()>& stop) {
    return awaitNoneOwed(owner, {ReplyForm::Status, ReplyForm::Kiosk, ReplyForm::Esc, ReplyForm::IdItem, ReplyForm::Text},
                         stop);
}

RequestDoor::Ticket RequestDoor::askKeyed(Owner owner, ReplyForm form, int key,
                                          const std::function<bool()>& sendRequest) {
    return present(owner) ? send(owner, form, kIdItem, key, 1, sendRequest) : 0;
}

RequestDoor::Ticket RequestDoor::askBehind(Owner owner, ReplyForm form, int tag, int rows,
                                           const std::function<bool()>& sendRequests) {
    if (!present(owner)) return 0;
    readQueued();
    return send(owner, form, tag, kNoKey, rows, sendRequests);
}

RequestDoor::Answer RequestDoor::answerFor(const Request& request, bool late) const {
    Answer answer;
    answer.owner = present(request.owner) ? request.owner : 0;
    answer.ticket = request.ticket;
    answer.tag = request.tag;
    answer.row = request.row;
    answer.last = request.row == request.rows - 1;
    answer.late_ = late;
    return answer;
}

// The set's asks made again wait no longer than the printer took to
// answer, twice over: the answer of each either came as a byte read past
// or comes right behind this one.
RequestDoor::Answer RequestDoor::answered(ReplyForm form, Book::iterator request, platform::Micros at) {
    const Request given = *request;
    book(form).erase(request);
    rowClosed(form, given, at);
    if (given.tag != kRealTimeStatus && !realTimeOwed(form)) provedBefore(given.order);
    platform::Micros lastLeft = given.leftAt;
    for (const Request& r : book(form))
        if (r.ticket == given.ticket && r.again && r.leftAt != platform::kForever) lastLeft = std::max(lastLeft, r.leftAt);
    const platform::Micros until = soon(at, at - lastLeft);
    for (Request& r : book(form))
        if (r.ticket == given.ticket && r.again) {
            r.leftover = true;
            r.giveUpAt = std::min(r.giveUpAt, until);
        }
    return answerFor(given, false);
}

RequestDoor::Answer RequestDoor::lateKeyed(const Mark& used) const {
    Answer answer;
    answer.owner = used.owner;
    answer.ticket = used.ticket;
    answer.tag = kIdItem;
    answer.last = true;
    answer.late_ = true;
    return answer;
}

RequestDoor::Answer RequestDoor::take(const Reply& reply) {
    expire(reply.arrivedAt);
    heardAt_[static_cast<std::size_t>(reply.form)] = reply.arrivedAt;
    const int key = reply.key ? *reply.key : kNoKey;
    const auto request = oldest(reply.form, key);
    // A byte that came before the oldest request went out answers nothing.
    const bool answers = request != book(reply.form).end() && request->askedAt <= reply.arrivedAt;
    const auto late = markBefore(reply.form, answers ? request->order : kAfterAll, key);
    if (late != marks(reply.form).end()) {
        const Mark used = *late;
        marks(reply.form).erase(late);
        // An ID item's reply names its request: one given up, of a window
        // still there, is still that window's.
        if (!answers) return key != kNoKey && present(used.owner) ? lateKeyed(used) : Answer{};
        // The mark of an earlier ask of the same sure request: whichever ask
        // the byte answers, it answers the request. Which one it was nobody
        // knows, so the asks after the marked one may all have their answers
        // still to come: this one leaves a mark in its place, the others
        // theirs when let go. Not a text: its reader goes on to read what
        // follows raw, where such an answer would pass for the next reply.
        if (used.ticket == request->ticket && waitsForSureAnswer(request->tag) && reply.awaited &&
            reply.form != ReplyForm::Text) {
            const Request asked = *request;
            book(reply.form).erase(request);
            mark(reply.form, asked);
            return answerFor(asked, false);
        }
        const Answer answer = answerFor(*request, true);
        if (waitsForSureAnswer(request->tag)) return answer;
        // Closed on the byte, the request may yet have its own answer come:
        // the mark used up stands for it. Once its whole set closed on
        // replies, such answers come right behind them, if at all.
        const Request closed = *request;
        book(reply.form).erase(request);
        mark(reply.form, closed, 0, true);
        rowClosed(reply.form, closed, reply.arrivedAt);
        return answer;
    }
    if (!answers || !reply.awaited) return {};
    return answered(reply.form, request, reply.arrivedAt);
}

bool RequestDoor::awaitAnswers(Owner owner, ReplyForm form, platform::Micros within) {
    const auto oldestOwnAskedAt = [&]() -> std::optional<platform::Micros> {
        expire(now());
        std::optional<platform::Micros> oldestAt;
        for (const Request& r : book(form))
            if (r.owner == owner && (!oldestAt || r.askedAt < *oldestAt)) oldestAt = r.askedAt;
        return oldestAt;
    };
    for (;;) {
        readQueued();
        const std::optional<platform::Micros> oldestAt = oldestOwnAskedAt();
        if (!oldestAt) return true;
        if (!present(owner) || now() >= *oldestAt + within) return false;
        serve();
    }
}

bool RequestDoor::open(Ticket ticket) {
    expire(now());
    for (const Book& requests : books_)
        for (const Request& r : requests)
            if (r.ticket == ticket) return true;
    return false;
}

bool RequestDoor::nextIs(ReplyForm form, Owner owner, int tag) {
    return nextIsOwners(form, owner) && book(form).front().tag == tag;
}

bool RequestDoor::nextIsOwners(ReplyForm form, Owner owner) {
    expire(now());
    const Book& requests = book(form);
    return !requests.empty() && requests.front().owner == owner && present(owner);
}

bool RequestDoor::sendUnderWay() {
    for (std::size_t f = 0; f < kForms; ++f)
        if (sending(static_cast<ReplyForm>(f))) return true;
    return false;
}

void RequestDoor::forgetAll() {
    for (Book& requests : books_) requests.clear();
    for (auto& standing : marks_) standing.clear();
    heardAt_ = {};
    posts_.clear();
}

void RequestDoor::serve() {
    loop_.doEvents();
    if (readDevice_ && readDevice_(kServeStepMs)) return;
    loop_.awaitEvent(platform::Micros(kServeStepMs) * 1000);
}

std::deque<RequestDoor::Mark>::iterator RequestDoor::keyedMarkBefore(ReplyForm form, int key, Book::iterator owed) {
    return markBefore(form, owed != book(form).end() ? owed->order : kAfterAll, key);
}

RequestDoor::Owner RequestDoor::keyedAskedBy(ReplyForm form, int key) {
    expire(now());
    const auto found = oldest(form, key);
    const auto late = keyedMarkBefore(form, key, found);
    const Owner owner = late != marks(form).end() ? late->owner : found != book(form).end() ? found->owner : 0;
    return present(owner) ? owner : 0;
}

bool RequestDoor::keyedMarked(ReplyForm form, int key) {
    expire(now());
    return keyedMarkBefore(form, key, oldest(form, key)) != marks(form).end();
}

}  // namespace printerlink
