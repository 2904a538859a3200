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
// A sure answer's asks at most: one per late answer read past, on a line
// that brings no end of them.
constexpr int kMaxAsks = 16;
// How long a request asked again after a wait that got nothing waits: a
// printer that answers at all answers far sooner.
constexpr int kAgainWaitMs = 1500;
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
OwnExchanges::Ticket OwnExchanges::ask(Form form, int tag, const std::function<void()>& send) {
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
        [this] { return !host_.windowOpen(); });
}

std::optional<std::uint8_t> OwnExchanges::sureAnswer(Form form, const platform::Bytes& command,
                                                     const std::function<platform::Micros()>& deadline,
                                                     const Fits& fits, const Other& other, int maxBytes,
                                                     bool askAgain) {
    // The status poll's requests and reads would take the answers.
    std::optional<std::uint8_t> sure;
    answeredLate_ = false;
    host_.withPollResting([&] {
        // A poll set or a link check of the window still owed is given up:
        // this request asks what they ask, and their answers, should they
        // come, are read past as any late answer and cost no wait.
        for (const int tag : {printerlink::kPollSet, printerlink::kRealTimeStatus})
            pass_.door().giveUpAsked(pass_.owner(), tag);
        if (!awaitTurn()) return;
        through_.reset();
        const auto send = [&] { host_.send(command); };
        const Ticket ticket = ask(form, printerlink::kOwnRequest, send);
        if (ticket == 0) return;
        const std::function<bool()> again = [&] {
            send();
            return !host_.sendsStopped();
        };
        reading([&] { sure = readAnswer(form, ticket, deadline, fits, other, maxBytes, askAgain ? again : nullptr); });
    });
    return sure;
}

// The answer may also have reached the reply interpreter before a read
// began (through_). A byte that may be a late answer is read past, and the
// request asked again at once (where that does no harm): by the printer's
// order the first byte with no late answer left before it answers one of
// the asks. A request that got nothing at all in its wait is asked once
// more, for as long as a printer that answers at all takes: a lost reply
// costs its one wait, and a silent printer no second. The request is let
// go when the wait ends, so it holds no other request back.
std::optional<std::uint8_t> OwnExchanges::readAnswer(Form form, Ticket ticket,
                                                     const std::function<platform::Micros()>& deadlineFor,
                                                     const Fits& fits, const Other& other, int maxBytes,
                                                     const std::function<bool()>& sendAgain) {
    using Whose = printerlink::RequestDoor::Whose;
    printerlink::RequestDoor& door = pass_.door();
    platform::Micros deadline = deadlineFor();
    int asks = 1;
    bool heardLate = false;
    const auto askAgain = [&](platform::Micros until) {
        if (!sendAgain || asks >= kMaxAsks || !host_.windowOpen() || !door.askAgain(ticket, sendAgain)) return false;
        ++asks;
        deadline = std::max(deadline, until);
        return true;
    };
    // Asked together, the replies come at once: one more ask owed than
    // late answers may come makes the first reply past them certain.
    const auto topUp = [&] {
        while (door.owed(ticket) > 0 && door.owed(ticket) <= door.marked(form) && askAgain(deadlineFor())) {
        }
    };
    topUp();
    const auto answeredThrough = [&]() -> std::optional<std::uint8_t> {
        if (!through_ || !through_->answer.answers(ticket)) return std::nullopt;
        const ThroughAnswer through = *std::exchange(through_, std::nullopt);
        if (through.answer.whose() == Whose::Answer) return through.b;
        heardLate = true;
        topUp();
        return std::nullopt;
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
    const auto readPass = [&]() -> std::optional<std::uint8_t> {
        while (host_.windowOpen() && now() < deadline) {
            if (const std::optional<std::uint8_t> through = answeredThrough()) return through;
            if (!door.open(ticket)) break;
            std::uint8_t v = 0;
            if (!next(v)) break;
            // A byte of the answer's form that does not fit, or of another
            // form, answers only what the door finds it answers: a noisy
            // line's otherwise.
            const std::optional<Form> byteForm = fits(v) ? form : printerlink::replyForm(v);
            if (byteForm) {
                const bool awaited = fits(v) || *byteForm != form;
                const printerlink::RequestDoor::Answer taken = door.take({*byteForm, now(), std::nullopt, awaited});
                if (taken.answers(ticket) && taken.whose() == Whose::Answer && fits(v)) return v;
                if (taken.answers(ticket)) {
                    heardLate = true;
                    topUp();
                }
                if (fits(v)) continue;
            }
            if (other) again = other(v, next);
        }
        return host_.windowOpen() ? answeredThrough() : std::nullopt;
    };
    std::optional<std::uint8_t> answer = readPass();
    // A wait that ran its time out is asked again; one cut short by the
    // printer gone offline or a send that failed is not.
    bool askedAfterWait = false;
    if (!answer && host_.windowOpen() && !host_.sendsStopped() && link_.IsPrinterOnline()) {
        const int before = asks;
        askAgain(now() + platform::Micros(kAgainWaitMs) * 1000);
        askedAfterWait = asks > before;
        if (askedAfterWait) answer = readPass();
    }
    // The set's other asks may have their answers read already: handed to
    // the door, they hold no later request back.
    if (answer && kept_)
        for (const std::uint8_t b : std::exchange(*kept_, {}))
            if (const std::optional<Form> byteForm = printerlink::replyForm(b)) door.take({*byteForm, now()});
    answeredLate_ = !answer && heardLate;
    if (!answer && askedAfterWait)
        door.releaseSilent(ticket);
    else
        door.release(ticket);
    return answer;
}

// Before the MICR read: its reply's status byte has the form of an ESC
// answer, and its text follows it at once, so a late answer it read past
// would leave a byte of the text taken for the status. While an ESC answer
// may still come, a status of that form is asked for certain first.
bool OwnExchanges::settle(Form form) {
    for (int round = 0; round < 2 && host_.windowOpen(); ++round) {
        bool marked = false;
        host_.withPollResting([&] {
            pass_.door().giveUpAsked(pass_.owner(), printerlink::kPollSet);
            marked = awaitTurn() && pass_.door().marked(form);
        });
        if (!marked) break;
        sureAnswer(form, printerlink::GsRStatusCommand, [this] { return replyDeadline(); }, printerlink::isEscReply);
    }
    return host_.windowOpen();
}

// Every slip status asked from now on tells the station as the OK left it.
bool OwnExchanges::slipInPlace(bool gsR1) {
    bool inOnce = false;
    while (host_.windowOpen()) {
        const std::optional<std::uint8_t> status = slipStatus(gsR1);
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
std::optional<std::uint8_t> OwnExchanges::slipStatus(bool gsR1) {
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
        sensorMessage);
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
                      kEraseReads, false) == kErased;
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
            // Its answer may come late, and would then pass for the scan's
            // first block: asked once more, the printer answers soon, and a
            // late answer is known for what it is.
            platform::Micros deadline = replyDeadline();
            bool askedAgain = false;
            int position = 0;
            for (;;) {
                std::uint8_t b = 0;
                if (!readByte(b, deadline)) {
                    if (!host_.windowOpen()) return;
                    if (!std::exchange(askedAgain, true) && link_.IsPrinterOnline() &&
                        pass_.door().askAgain(ticket, [&] {
                            send();
                            return !host_.sendsStopped();
                        })) {
                        position = 0;
                        deadline = now() + platform::Micros(kAgainWaitMs) * 1000;
                        continue;
                    }
                    cleared = true;
                    return;
                }
                // A late answer of an earlier request, before the clear's own.
                const std::optional<Form> byteForm = printerlink::replyForm(b);
                if (position == 0 && byteForm && *byteForm != Form::Text && pass_.door().marked(*byteForm) > 0) {
                    pass_.door().take({*byteForm, now(), std::nullopt, false});
                    continue;
                }
                const Fit fit = fitByte(clearReplyForm(), position, b);
                if (fit == Fit::Advanced) continue;
                const printerlink::RequestDoor::Answer taken = pass_.door().take({Form::Text, now()});
                if (fit == Fit::Complete && taken.answers(ticket) &&
                    taken.whose() == printerlink::RequestDoor::Whose::Late) {
                    position = 0;
                    continue;
                }
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
    // came while the output still left is a noisy line's, or the late answer
    // of an earlier request, which uses up its mark at the door.
    const auto kept = [&] {
        if (kept_ && link_.MSCommCtrl.OutBufferCount() > 0)
            for (const std::uint8_t v : std::exchange(*kept_, {}))
                if (const std::optional<Form> form = printerlink::replyForm(v))
                    pass_.door().take({*form, now(), std::nullopt, false});
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
