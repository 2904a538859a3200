#include "diagnostics/OwnExchanges.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "diagnostics/ScanBlocks.h"
#include "link/PrinterCommands.h"
#include "link/SerialReplyPolls.h"
#include "platform/loop/EventLoop.h"

namespace diagnostics {

using Form = printerlink::ReplyForm;

namespace {

constexpr int kMicrPendingSleepMs = 20;
// A sure answer's asks: one lost answer, then one read past a late one.
constexpr int kSureAsks = 3;
constexpr std::uint8_t kErased = 0x0D;
// The erase's and the flash status's answer among a noisy line's bytes.
constexpr int kEraseReads = 11;
// Slip station indicators.
constexpr std::uint8_t kLeadingEdge = 5, kTrailingEdge = 6, kStation = 7, kWaitingForSlip = 8;

}  // namespace

OwnExchanges::OwnExchanges(Host& host, shell::MainWindow& link, const shell::DoorPass& pass)
    : host_(host), link_(link), pass_(pass) {}

platform::Micros OwnExchanges::now() { return platform::EventLoop::current().clock().now(); }

bool OwnExchanges::serialLink() const { return link_.EthernetStatus() != "True" && link_.AHPIStatus() != "True"; }

// The printer answers in the order it was asked, so a reply still owed
// would come before the answer to a request sent now, or, lost, leave that
// answer in its place. A MICR reply begun ends by its own time.
bool OwnExchanges::awaitTurn() {
    bool turn = false;
    host_.withPollResting([this, &turn] {
        if (!pass_.door().awaitQuiet(pass_.owner(), [this] { return !host_.windowOpen(); })) return;
        while (host_.windowOpen() && host_.micrReplyBegun()) {
            platform::DoEvents();
            platform::Sleep(kMicrPendingSleepMs);
        }
        turn = host_.windowOpen();
    });
    return turn;
}

// On serial what was sent before (a logo takes half a minute at 9600 baud)
// leaves first: the door gives a request up counting from its send, and the
// printer cannot answer one that has not left the port. Output that stops
// leaving ends the wait as it ends the link's.
OwnExchanges::Ticket OwnExchanges::ask(Form form, int tag, const std::function<void()>& send, platform::Micros since) {
    if (serialLink()) {
        servingSerialPolls([this] { return link_.MSCommCtrl.OutBufferCount() == 0; }, platform::kForever);
        if (!host_.windowOpen()) return 0;
    }
    return pass_.door().ask(
        pass_.owner(), form, tag, 1,
        [&] {
            send();
            return !host_.sendsStopped();
        },
        [this] { return !host_.windowOpen(); }, since);
}

// A request that read past a possibly late byte and got nothing more was
// answered by that byte or lost; its give-up leaves no mark, and the marks
// before it lapse, so it is asked once more with nothing earlier marked. One
// the printer left unanswered is asked once more too: should its answer
// still come, it tells what the next one's would, as both were asked since
// the moment the caller cares about. Two left unanswered in a row end it:
// a printer that does not answer this request costs two waits, no more.
std::optional<std::uint8_t> OwnExchanges::sureAnswer(Form form, const platform::Bytes& command,
                                                            const std::function<platform::Micros()>& deadline,
                                                            const Fits& fits, const Other& other, int maxBytes,
                                                            platform::Micros since) {
    if (since == platform::kForever) since = now();
    // The status poll's requests and reads would take the answers.
    std::optional<std::uint8_t> sure;
    host_.withPollResting([&] {
        int unansweredInARow = 0;
        for (int asked = 0; asked < kSureAsks && unansweredInARow < 2 && !sure && host_.windowOpen(); ++asked) {
            // A poll reply lost would cost a wait for its give-up and then
            // one more past its mark: given up now, it costs the one.
            pass_.door().giveUpAsked(pass_.owner(), printerlink::kPollSet);
            if (!awaitTurn()) return;
            through_.reset();
            const Ticket ticket = ask(form, printerlink::kOwnRequest, [&] { host_.send(command); }, since);
            if (ticket == 0) return;
            bool readPast = false;
            const auto askBehind = [&] {
                return pass_.door().askBehind(
                    pass_.owner(), form, printerlink::kOwnRequest, 1,
                    [&] {
                        host_.send(command);
                        return !host_.sendsStopped();
                    },
                    since);
            };
            reading([&] { sure = readAnswer(form, ticket, deadline(), fits, other, maxBytes, &readPast, askBehind); });
            unansweredInARow = readPast ? 0 : unansweredInARow + 1;
        }
    });
    return sure;
}

// The answer may also have reached the reply interpreter before a read
// began (through_). A byte that may be a late answer leaves the request
// open at the door and is read past: the answer for certain follows it. A
// request given up or dropped (the window left) ends the wait: its answer
// will answer nothing. The request is let go when the wait ends, so it
// holds no other request back, nor does one asked behind it. A byte that
// may be only a real-time request's late answer (the link check's at the
// press, lost) has the request asked again at once, behind it: that answer
// overtakes, so the byte after it answers one of the two, both asked since
// the moment the caller cares about, and no wait is spent on finding out.
std::optional<std::uint8_t> OwnExchanges::readAnswer(Form form, Ticket ticket, platform::Micros deadline,
                                                            const Fits& fits, const Other& other, int maxBytes,
                                                            bool* readPast, const std::function<Ticket()>& askAgain) {
    using Whose = printerlink::RequestDoor::Whose;
    printerlink::RequestDoor& door = pass_.door();
    std::vector<Ticket> askedBehind;
    const auto readPastLate = [&](const printerlink::RequestDoor::Answer& taken) {
        if (readPast) *readPast = true;
        if (!taken.lateRealTimeOnly || !askAgain || !host_.windowOpen()) return;
        if (const Ticket behind = askAgain()) askedBehind.push_back(behind);
    };
    const auto answeredThrough = [&]() -> std::optional<std::uint8_t> {
        if (!through_ || !through_->answer.answers(ticket)) return std::nullopt;
        if (through_->answer.whose() == Whose::Late) {
            readPastLate(through_->answer);
            through_.reset();
            return std::nullopt;
        }
        return through_->b;
    };
    std::optional<std::uint8_t> again;
    int read = 0;
    const Next next = [&](std::uint8_t& v) {
        if (again) {
            v = *std::exchange(again, std::nullopt);
            return true;
        }
        return ++read <= maxBytes && readByte(v, deadline);
    };
    const auto answer = [&]() -> std::optional<std::uint8_t> {
        while (host_.windowOpen() && now() < deadline) {
            if (const std::optional<std::uint8_t> through = answeredThrough()) return through;
            if (!door.open(ticket)) break;
            std::uint8_t v = 0;
            if (!next(v)) break;
            if (fits(v)) {
                const printerlink::RequestDoor::Answer taken = door.take({form, now()});
                if (taken.answers(ticket) && taken.whose() == Whose::Answer) return v;
                if (taken.answers(ticket)) readPastLate(taken);
                continue;
            }
            // A reply of another form answers what the door finds it
            // answers; one of this form that does not fit answers only
            // where it may be a late answer, else it is a noisy line's.
            if (const std::optional<Form> byteForm = printerlink::replyForm(v)) {
                const bool awaited = *byteForm != form;
                const printerlink::RequestDoor::Answer taken = door.take({*byteForm, now(), std::nullopt, awaited});
                if (!awaited && taken.answers(ticket)) readPastLate(taken);
            }
            if (other) again = other(v, next);
        }
        return host_.windowOpen() ? answeredThrough() : std::nullopt;
    }();
    door.release(ticket);
    for (const Ticket behind : askedBehind) door.release(behind);
    return answer;
}

bool OwnExchanges::settleBeforePrompt(bool gsR1) {
    // A poll set lost a moment before the press would be waited out here
    // and then read past after OK: given up now, it costs the one wait.
    pass_.door().giveUpAsked(pass_.owner(), printerlink::kPollSet);
    if (!awaitTurn()) return false;
    if (pass_.door().marked(gsR1 ? Form::Esc : Form::Status)) slipStatus(gsR1, now());
    return host_.windowOpen();
}

// Every slip status asked from now on tells the station as the OK left it.
bool OwnExchanges::slipInPlace(bool gsR1) {
    const platform::Micros since = now();
    bool inOnce = false;
    while (host_.windowOpen()) {
        const std::optional<std::uint8_t> status = slipStatus(gsR1, since);
        if (!status) return false;
        const bool in = gsR1 ? (*status & 0x20) == 0 : (*status & 0x60) == 0;
        if (!in) return false;
        if (std::exchange(inOnce, true)) return true;
    }
    return false;
}

// Each answer has the printer's whole reply wait, so a slow printer is not
// cut short. The sensor messages that come meanwhile show on the panel. A
// byte that turns out not to belong to a sensor message is looked at again
// from the start: on a noisy line a random byte may look like a message's
// first one, and the answer must not be read away as its rest.
std::optional<std::uint8_t> OwnExchanges::slipStatus(bool gsR1, platform::Micros since) {
    const Other sensorMessage = [this](std::uint8_t v, const Next& next) -> std::optional<std::uint8_t> {
        std::uint8_t sensor0 = 0, sensor1 = 0;
        if ((v & 0x90) != 0x90 || !next(sensor0)) return std::nullopt;
        if ((sensor0 & 0xA0) != 0xA0) return sensor0;
        if (!next(sensor1)) return std::nullopt;
        if ((sensor1 & 0xB0) != 0xB0) return sensor1;
        host_.showIndicator(static_cast<std::uint8_t>((v & 0x0F) * 16 + (sensor0 & 0x0F)), sensor1 & 0x0F);
        return std::nullopt;
    };
    const std::optional<std::uint8_t> status = sureAnswer(
        gsR1 ? Form::Esc : Form::Status,
        gsR1 ? printerlink::GsRStatusCommand : printerlink::GsEotStatusCommand(5),
        [] { return now() + platform::Micros(printerlink::kReplyWaitMs) * 1000; },
        [gsR1](std::uint8_t b) { return gsR1 ? printerlink::isEscReply(b) : printerlink::isGsEotReply(b); },
        sensorMessage, kNoByteLimit, since);
    // The station's indicators show only what the printer reported for certain.
    if (status && !gsR1) {
        const std::uint8_t v = *status;
        host_.showIndicator(kStation, (v & 0x04) ? 2 : 1);
        host_.showIndicator(kWaitingForSlip, (v & 0x08) ? 1 : 0);
        host_.showIndicator(kLeadingEdge, (v & 0x20) ? 0 : 1);
        host_.showIndicator(kTrailingEdge, (v & 0x40) ? 0 : 1);
    }
    return status;
}

// Clears every logo and user-defined character; the printer answers when
// its flash is erased.
bool OwnExchanges::erase() {
    return sureAnswer(Form::Esc, printerlink::ClearUserAreaCommand(printerlink::kUserDefinedArea),
                      [this] { return replyDeadline(); }, [](std::uint8_t b) { return b == kErased; }, {},
                      kEraseReads) == kErased;
}

// The erase's answer, when it did not come in its wait, may still come ahead
// of the flash status: it counts as a late answer, and its bit 3 would read
// as a failed write. A byte of no GS r reply's form is a noisy line's.
std::optional<std::uint8_t> OwnExchanges::flashStatus() {
    return sureAnswer(Form::Esc, printerlink::FlashStatusCommand, [this] { return replyDeadline(); },
                      printerlink::isEscReply, {}, kEraseReads);
}

// No answer counts as cleared; an answer of another form does not. What
// followed the other answer is the rest of it, and goes.
std::optional<bool> OwnExchanges::clearScan(const std::function<void()>& send) {
    std::optional<bool> cleared;
    host_.withPollResting([&] {
        if (!awaitTurn()) return;
        reading([&] {
            const Ticket ticket = ask(Form::Text, printerlink::kOwnRequest, send);
            if (ticket == 0) return;
            // An answer that did not come holds no later request back.
            struct Release {
                printerlink::RequestDoor& door;
                Ticket ticket;
                ~Release() { door.release(ticket); }
            } release{pass_.door(), ticket};
            int position = 0;
            for (;;) {
                std::uint8_t b = 0;
                if (!readByte(b, replyDeadline())) {
                    if (host_.windowOpen()) cleared = true;
                    return;
                }
                const Fit fit = fitByte(clearReplyForm(), position, b);
                if (fit == Fit::Advanced) continue;
                pass_.door().take({Form::Text, now()});
                if (fit == Fit::Mismatch) link_.PurgeCommunication(printerlink::kPurgeInput);
                cleared = fit == Fit::Complete;
                return;
            }
        });
    });
    return cleared;
}

// Each USB HID read waits only a short while for its report: the window
// reads again, serving events between reads so that Close is taken, up to
// the deadline the whole wait has. On TCP the link's wait ends once the
// window closed.
bool OwnExchanges::readByte(std::uint8_t& b, platform::Micros deadline) {
    if (kept_) return readSerialByte(b, deadline);
    const auto open = [this] { return host_.windowOpen(); };
    platform::Bytes reply(1, 0);
    bool got = link_.waitResponseWhile(reply, 1, deadline, open);
    while (!got && hidOpen() && open() && link_.IsPrinterOnline() && now() < deadline) {
        platform::DoEvents();
        got = open() && link_.waitResponseUntil(reply, 1, deadline);
    }
    if (got) b = reply[0];
    return got && host_.windowOpen();
}

platform::Bytes OwnExchanges::readAll(platform::Micros deadline) {
    platform::Bytes out;
    platform::Bytes b(1, 0);
    while (now() < deadline && link_.waitResponseUntil(b, 1, deadline)) out.push_back(b[0]);
    return out;
}

// The link's serial wait sleeps without serving events for as long as the
// output takes to leave (half a minute for a large logo at 9600 baud) and
// then up to 5 s for the reply: the window could not be closed meanwhile,
// nor a key pressed. These waits take the input as the link's data events
// bring it instead, and keep the link's limits.
void OwnExchanges::reading(const std::function<void()>& body) {
    if (!serialLink() || kept_) {
        body();
        return;
    }
    kept_.emplace();
    struct Done {
        std::optional<platform::Bytes>& bytes;
        ~Done() { bytes.reset(); }
    } done{kept_};
    body();
}

bool OwnExchanges::keep(const platform::Bytes& data) {
    if (!kept_) return false;
    kept_->insert(kept_->end(), data.begin(), data.end());
    return true;
}

void OwnExchanges::answeredThrough(const printerlink::RequestDoor::Answer& answer, std::uint8_t b) {
    through_ = ThroughAnswer{answer, b};
}

bool OwnExchanges::servingSerialPolls(const std::function<bool()>& done, platform::Micros deadline) {
    platform::SerialControl& port = link_.MSCommCtrl;
    printerlink::SerialReplyPolls polls(port.OutBufferCount());
    while (!done() && host_.windowOpen() && !polls.over() && now() < deadline) {
        platform::DoEvents();
        if (done()) break;
        platform::Sleep(printerlink::SerialReplyPolls::kPollSleepMs);
        polls.polled(port.OutBufferCount());
    }
    return done();
}

bool OwnExchanges::readSerialByte(std::uint8_t& b, platform::Micros deadline) {
    // The answer cannot come before the request has left the port: what
    // came while the output still left is a noisy line's, or late.
    const auto kept = [&] {
        if (kept_ && link_.MSCommCtrl.OutBufferCount() > 0) kept_->clear();
        return kept_ && !kept_->empty();
    };
    servingSerialPolls([&] { return kept() || !link_.IsPrinterOnline(); }, deadline);
    if (!kept() || !host_.windowOpen()) return false;
    b = kept_->front();
    kept_->erase(kept_->begin());
    return true;
}

void OwnExchanges::dropInput() {
    if (kept_) kept_->clear();
    if (hidOpen()) link_.readQueuedHidReports();
}

// A serial wait counts from when the output has left (a logo may take half
// a minute to leave); a USB HID one is made of reads, and keeps to the time
// the other links give.
platform::Micros OwnExchanges::replyDeadline() const {
    return hidOpen() ? now() + platform::Micros(printerlink::kReplyWaitMs) * 1000 : platform::kForever;
}

}  // namespace diagnostics
