#include "link/RequestDoor.h"

#include <algorithm>
#include <utility>

#include "link/PrinterCommands.h"
#include "platform/loop/EventLoop.h"

namespace printerlink {

namespace {

// Short enough that a window waiting for its turn still feels live: the
// window system's events and timers are served between steps.
constexpr int kServeStepMs = 20;

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

// A window that leaves has its requests dropped as given up; those whose
// send still runs are dropped when it returns.
void RequestDoor::leave(Owner owner) {
    present_.erase(owner);
    giveUpEverywhere([&](const Request& r) { return r.owner == owner && r.leftAt != platform::kForever; });
    // Whether a post was answered nobody knows: those recent enough to be
    // answered still are counted as given up. At worst the next window's
    // first sample of the form is not shown.
    dropOldPosts(now());
    std::erase_if(posts_, [&](const Post& p) {
        if (p.owner != owner) return false;
        mark(p.form, Request{.owner = p.owner, .ticket = 0, .tag = kPollSet, .row = 0, .rows = 1,
                             .askedAt = p.leftAt, .leftAt = p.leftAt});
        return true;
    });
}

// A keyed request's answer names its request: it needs no mark. A request
// that read past a possibly late byte and got nothing more: by the
// printer's order that byte was its answer or the last late one, so no
// answer to a request of its form asked before it can still come.
void RequestDoor::giveUp(ReplyForm form, const std::function<bool(const Request&)>& which) {
    std::optional<platform::Micros> readPastAskedAt;
    std::erase_if(book(form), [&](const Request& r) {
        if (!which(r)) return false;
        if (r.readPast)
            readPastAskedAt = std::max(readPastAskedAt.value_or(r.askedAt), r.askedAt);
        else if (form != ReplyForm::IdItem)
            mark(form, r);
        return true;
    });
    if (readPastAskedAt)
        std::erase_if(marks_[static_cast<std::size_t>(form)],
                      [&](const Mark& m) { return m.askedAt < *readPastAskedAt; });
}

void RequestDoor::giveUpEverywhere(const std::function<bool(const Request&)>& which) {
    for (std::size_t f = 0; f < kForms; ++f) giveUp(static_cast<ReplyForm>(f), which);
}

void RequestDoor::mark(ReplyForm form, const Request& given) {
    auto& marks = marks_[static_cast<std::size_t>(form)];
    const platform::Micros lapsesAt = given.leftAt == platform::kForever ? now() + kLateAnswerMicros
                                                                          : given.leftAt + kLateAnswerMicros;
    const Mark m{given.askedAt, lapsesAt, given.owner, given.tag};
    marks.insert(std::upper_bound(marks.begin(), marks.end(), m,
                                  [](const Mark& a, const Mark& b) { return a.askedAt < b.askedAt; }),
                 m);
}

// Requests of every form given up by `at` first: their marks are to lapse
// as theirs do.
void RequestDoor::lapseMarks(platform::Micros at, platform::Micros answeredAskedAt) {
    giveUpEverywhere([&](const Request& r) { return isOld(r, at); });
    for (auto& marks : marks_)
        std::erase_if(marks, [&](const Mark& m) { return m.lapsesAt <= at || m.askedAt < answeredAskedAt; });
}

void RequestDoor::giveUpAsked(Owner owner, int tag) {
    giveUpEverywhere(
        [&](const Request& r) { return r.owner == owner && r.tag == tag && r.leftAt != platform::kForever; });
}

std::optional<RequestDoor::Mark> RequestDoor::useMark(ReplyForm form, platform::Micros arrivedAt) {
    lapseMarks(arrivedAt);
    auto& marks = marks_[static_cast<std::size_t>(form)];
    if (marks.empty()) return std::nullopt;
    const Mark used = marks.front();
    marks.pop_front();
    return used;
}

// The printer answers in order, so a reply to a request proves that every
// request asked before it was answered or lost: their marks lapse. A
// real-time request's answer overtakes those asked before it, and a byte
// while one is open may be its answer: such a byte proves nothing.
void RequestDoor::answered(ReplyForm form, platform::Micros arrivedAt, platform::Micros askedAt) {
    const Book& requests = book(form);
    if (std::any_of(requests.begin(), requests.end(), [](const Request& r) { return r.tag == kRealTimeStatus; }))
        return;
    lapseMarks(arrivedAt, askedAt);
    giveUp(ReplyForm::IdItem, [&](const Request& r) { return r.askedAt < askedAt; });
}

const std::deque<RequestDoor::Mark>& RequestDoor::marksAt(ReplyForm form, platform::Micros at) {
    lapseMarks(at);
    return marks_[static_cast<std::size_t>(form)];
}

bool RequestDoor::marked(ReplyForm form) {
    const auto& marks = marksAt(form, now());
    return std::any_of(marks.begin(), marks.end(), [](const Mark& m) { return m.tag != kRealTimeStatus; });
}

bool RequestDoor::release(Ticket ticket) {
    bool readPast = false;
    giveUpEverywhere([&](const Request& r) {
        if (r.ticket != ticket) return false;
        readPast = readPast || r.readPast;
        return true;
    });
    return readPast;
}

bool RequestDoor::isOld(const Request& request, platform::Micros at) {
    return request.leftAt != platform::kForever && at - request.leftAt > kGiveUpMicros;
}

void RequestDoor::giveUpOld(ReplyForm form, platform::Micros at) {
    giveUp(form, [&](const Request& r) { return isOld(r, at); });
}

bool RequestDoor::owes(ReplyForm form) {
    giveUpOld(form, now());
    return !book(form).empty();
}

// One thread: a request whose send has not returned was noted by a send
// further down the stack, which yields to the handler that asks now and
// cannot return before it has.
bool RequestDoor::sending(ReplyForm form) {
    const Book& requests = book(form);
    return std::any_of(requests.begin(), requests.end(), [](const Request& r) { return r.leftAt == platform::kForever; });
}

RequestDoor::Ticket RequestDoor::send(Owner owner, ReplyForm form, int tag, int rows,
                                      const std::function<bool()>& sendRequests, platform::Micros since) {
    const Ticket ticket = nextTicket_++;
    const platform::Micros askedAt = now();
    for (int row = 0; row < rows; ++row)
        book(form).push_back({owner, ticket, tag, row, rows, askedAt, platform::kForever, false, since});
    // Noted before the send: a send yields, and an answer read meanwhile
    // must find its request. A send that fails or throws leaves nothing
    // owed: a request whose send never returned would never be given up.
    const auto ours = [ticket](const Request& r) { return r.ticket == ticket; };
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
        giveUp(form, ours);
        return 0;
    }
    const platform::Micros leftAt = now();
    for (Request& r : book(form))
        if (ours(r)) r.leftAt = leftAt;
    return ticket;
}

RequestDoor::Ticket RequestDoor::tryAsk(Owner owner, ReplyForm form, int tag, int rows,
                                        const std::function<bool()>& sendRequests) {
    if (!present(owner)) return 0;
    // Replies queued on the device belong to what was asked before.
    readQueued();
    if (owes(form)) return 0;
    return send(owner, form, tag, rows, sendRequests, platform::kForever);
}

bool RequestDoor::post(Owner owner, ReplyForm form, const std::function<bool()>& sendRequest,
                       const std::function<bool()>& answeredInSend) {
    if (!present(owner)) return false;
    readQueued();
    if (owes(form)) return false;
    if (!sendRequest()) return false;
    const platform::Micros leftAt = now();
    // A window that polls for a long time must not grow the list.
    dropOldPosts(leftAt);
    // One whose answer its send read cannot come late.
    if (!answeredInSend || !answeredInSend()) posts_.push_back({owner, form, leftAt});
    return true;
}

void RequestDoor::dropOldPosts(platform::Micros at) {
    std::erase_if(posts_, [&](const Post& p) { return at - p.leftAt > kGiveUpMicros; });
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
                                     const std::function<bool()>& sendRequests, const std::function<bool()>& stop,
                                     platform::Micros since) {
    return awaitNoneOwed(owner, {form}, stop) ? send(owner, form, tag, rows, sendRequests, since) : 0;
}

bool RequestDoor::awaitQuiet(Owner owner, const std::function<bool()>& stop) {
    return awaitNoneOwed(owner, {ReplyForm::Status, ReplyForm::Kiosk, ReplyForm::Esc, ReplyForm::IdItem, ReplyForm::Text},
                         stop);
}

RequestDoor::Ticket RequestDoor::askKeyed(Owner owner, ReplyForm form, int key,
                                          const std::function<bool()>& sendRequest) {
    return present(owner) ? send(owner, form, key, 1, sendRequest, platform::kForever) : 0;
}

RequestDoor::Ticket RequestDoor::askBehind(Owner owner, ReplyForm form, int tag, int rows,
                                           const std::function<bool()>& sendRequests, platform::Micros since) {
    if (!present(owner)) return 0;
    readQueued();
    return send(owner, form, tag, rows, sendRequests, since);
}

RequestDoor::Answer RequestDoor::answerFor(const Request& request) const {
    Answer answer;
    answer.owner = present(request.owner) ? request.owner : 0;
    answer.ticket = request.ticket;
    answer.tag = request.tag;
    answer.row = request.row;
    answer.last = request.row == request.rows - 1;
    return answer;
}

RequestDoor::Answer RequestDoor::take(const Reply& reply) {
    if (reply.key) return takeKeyed(reply.form, *reply.key, reply.arrivedAt);
    if (!reply.awaited && marksAt(reply.form, reply.arrivedAt).empty()) return {};
    return takeInOrder(reply.form, reply.arrivedAt);
}

RequestDoor::Answer RequestDoor::takeInOrder(ReplyForm form, platform::Micros arrivedAt) {
    // A byte that may be late proves only that the request its mark stands
    // for was answered.
    const std::optional<Mark> late = useMark(form, arrivedAt);
    std::optional<platform::Micros> answeredAskedAt;
    if (late) answeredAskedAt = late->askedAt;
    Book& requests = book(form);
    // A byte that came before the oldest request went out answers nothing.
    const bool answers = !requests.empty() && requests.front().askedAt <= arrivedAt;
    if (answers && !answeredAskedAt) answeredAskedAt = requests.front().askedAt;
    if (answeredAskedAt) answered(form, arrivedAt, *answeredAskedAt);
    if (!answers) return {};
    Answer answer = answerFor(requests.front());
    // The same request of the same asker, given up since the moment the
    // asker cares about: its late answer tells what this one's would.
    if (late && late->owner == requests.front().owner && late->tag == requests.front().tag &&
        late->askedAt >= requests.front().since) {
        const Request request = requests.front();
        requests.pop_front();
        // Were the byte that late answer, this one's own may still come.
        mark(form, request);
        return answer;
    }
    answer.maybeLate = late.has_value();
    answer.lateRealTimeOnly =
        late && late->tag == kRealTimeStatus && marks_[static_cast<std::size_t>(form)].empty();
    // A request whose answer is acted on stays open after a byte that may
    // be a late one: were the byte that, its own answer would still come,
    // unmarked, and be taken for the next request's.
    answer.readPast = answer.maybeLate && waitsForSureAnswer(requests.front());
    if (answer.readPast)
        requests.front().readPast = true;
    else
        requests.pop_front();
    return answer;
}

bool RequestDoor::waitsForSureAnswer(const Request& request) {
    return request.tag == kOwnRequest || request.tag == kMicrRead;
}

// The printer answers in order: the keyed requests asked before the one
// answered, whoever asked them, were answered or lost.
RequestDoor::Answer RequestDoor::takeKeyed(ReplyForm form, int key, platform::Micros arrivedAt) {
    giveUpOld(form, arrivedAt);
    Book& requests = book(form);
    const auto found = std::find_if(requests.begin(), requests.end(), [&](const Request& r) { return r.tag == key; });
    if (found == requests.end()) return {};
    const Answer answer = answerFor(*found);
    const platform::Micros askedAt = found->askedAt;
    requests.erase(found);
    giveUp(form, [&](const Request& r) { return r.ticket < answer.ticket; });
    lapseMarks(arrivedAt, askedAt);
    return answer;
}

bool RequestDoor::awaitAnswers(Owner owner, ReplyForm form, platform::Micros within) {
    const auto oldestOwnAskedAt = [&]() -> std::optional<platform::Micros> {
        giveUpOld(form, now());
        std::optional<platform::Micros> oldest;
        for (const Request& r : book(form))
            if (r.owner == owner && (!oldest || r.askedAt < *oldest)) oldest = r.askedAt;
        return oldest;
    };
    for (;;) {
        readQueued();
        const std::optional<platform::Micros> oldest = oldestOwnAskedAt();
        if (!oldest) return true;
        if (!present(owner) || now() >= *oldest + within) return false;
        serve();
    }
}

bool RequestDoor::open(Ticket ticket) {
    const platform::Micros at = now();
    for (std::size_t f = 0; f < kForms; ++f) {
        giveUpOld(static_cast<ReplyForm>(f), at);
        for (const Request& r : books_[f])
            if (r.ticket == ticket) return true;
    }
    return false;
}

bool RequestDoor::nextIs(ReplyForm form, Owner owner, int tag) {
    giveUpOld(form, now());
    const Book& requests = book(form);
    return !requests.empty() && requests.front().owner == owner && requests.front().tag == tag && present(owner);
}

bool RequestDoor::sendUnderWay() {
    for (std::size_t f = 0; f < kForms; ++f)
        if (sending(static_cast<ReplyForm>(f))) return true;
    return false;
}

void RequestDoor::forgetAll() {
    for (Book& requests : books_) requests.clear();
    for (auto& marks : marks_) marks.clear();
    posts_.clear();
}

void RequestDoor::serve() {
    loop_.doEvents();
    if (readDevice_ && readDevice_(kServeStepMs)) return;
    loop_.awaitEvent(platform::Micros(kServeStepMs) * 1000);
}

RequestDoor::Owner RequestDoor::keyedAskedBy(ReplyForm form, int key) {
    giveUpOld(form, now());
    const Book& requests = book(form);
    const auto found = std::find_if(requests.begin(), requests.end(), [&](const Request& r) { return r.tag == key; });
    return found == requests.end() || !present(found->owner) ? 0 : found->owner;
}

}  // namespace printerlink
