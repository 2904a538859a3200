// Every flow that waits on the printer, on every link, with each of the first replies after the press lost, every
// pair lost, and each one 1 s and 6 s late. The printer answers in order, so a lost or late reply shifts what every
// later byte seems to answer: a rule that holds for the cases somebody named can still act on a byte that answers
// something else. Rows beyond those give the printers technicians have: slow (600 ms, 1 s), a stray byte between
// replies, an ID reply late while status replies pass it, the window just closed and opened again, the serial link
// check unanswered. LOSS_SWEEP_PATTERN="lose 2+5" runs only that pattern (and the no-loss case, the times' measure).
#include <cstdlib>

#include "OpenWindowWorld.h"
#include "link/RequestDoor.h"

namespace shelltest {
namespace {

using platform::Bytes;
using platform::Micros;

// name: also its button's; act: what acts on the OK (the slip print and the scan select the slip station first).
enum class Kind { Slip, Micr, Flip, Scan, Logo, Panel, Tally };
struct Flow { const char *name, *act; Kind kind; int type; };
const Flow kFlows[] = {
    {"Slip", "ESC c 48 4", Kind::Slip, 0},          {"MICR", "ESC w P (MICR read)", Kind::Micr, 0},
    {"Flip", "ESC w F (check flip)", Kind::Flip, 0}, {"CheckScan", "GS ( G scan check", Kind::Scan, 1},
    {"DownloadLogo", "GS / 0", Kind::Logo, 0},      {"StatusPanel", "status", Kind::Panel, 0},
    {"Tally0", "read", Kind::Tally, 0},             {"Tally9", "read", Kind::Tally, 9},
    {"Tally12", "read", Kind::Tally, 12},           {"Tally15", "read", Kind::Tally, 15}};
void PrintTo(const Flow& flow, std::ostream* out) { *out << flow.name; }
bool prompted(Kind k) { return k <= Kind::Scan; }

constexpr int kReplies = 8, kPromptBound = 6;  // replies lost or late after the press; OKs before the Cancel
constexpr Micros kLost = platform::kForever, kSecond = 1'000'000, kHang = 100 * kSecond;
constexpr Micros kGiveUp = printerlink::RequestDoor::kGiveUpMicros;
const std::string kMicrShown =
    "Raw Data: <t021000021t 1234567890o 0042>\r\nTransit Number: <021000021>\r\nBank Number: <00002>\r\n"
    "Account Number: <1234567890>\r\nSerial Number: <0042>";

constexpr Micros kFast = 2000;
const Bytes kPartNumberRead = {0x1D, 0x49, 0x40, 0x33};

struct Pattern {
    std::map<int, Micros> shape{};                    // reply number -> how much later (kLost: never)
    bool emptyStation = false, closeMidWait = false;  // the check never goes in; Close soon after the press
    Micros delay = kFast;                             // every reply's, the whole case
    int strayAfter = -1;       // a byte of no reply's form right behind this reply
    bool lateIdItem = false;   // the part number read answered 6 s late, status replies passing it
    bool reopened = false;     // the window opened and closed at once just before, no reconnect
    bool silent = false;       // nothing answers from the press on
    bool plain() const {
        return shape.empty() && !emptyStation && !closeMidWait && strayAfter < 0 && !lateIdItem && !reopened && !silent;
    }
    std::string name() const {
        std::string out;
        for (const auto& [n, extra] : shape) {
            out += out.empty() ? "" : "+";
            out += (extra == kLost ? "lose " : std::to_string(extra / kSecond) + "s late ") + std::to_string(n);
        }
        if (strayAfter >= 0) out += "stray byte after " + std::to_string(strayAfter);
        if (lateIdItem) out += "part number 6s late";
        if (silent) out += "silent";
        return (out.empty() ? "no loss" : out) + (emptyStation ? ", empty station" : "") +
               (closeMidWait ? ", closed mid-wait" : "") + (reopened ? ", reopened" : "") +
               (delay != kFast ? ", replies " + std::to_string(delay / 1000) + " ms" : "");
    }
};
std::vector<Pattern> patternsFor(Kind kind, Link link) {
    std::vector<Pattern> out{{}};
    const auto each = [&](Micros extra, bool empty = false, bool close = false, Micros delay = kFast) {
        for (int n = 0; n < kReplies; ++n) out.push_back({{{n, extra}}, empty, close, delay});
    };
    // A slow printer: its no-loss case first, the times' measure for its own.
    for (const Micros delay : {Micros{600'000}, Micros{1'000'000}})
        out.push_back({.delay = delay}), each(kLost, false, false, delay);
    for (const Micros delay : {kFast, Micros{600'000}}) out.push_back({.delay = delay, .reopened = true});
    // A scan's blocks are read whole as they come: a stray byte there is the line's fault, not the door's.
    for (int n = 0; n < kReplies && kind != Kind::Scan; ++n) out.push_back({.strayAfter = n});
    if (kind == Kind::Tally) out.push_back({.lateIdItem = true}), out.push_back({.strayAfter = 1, .lateIdItem = true});
    // The buttons that check the serial link first (the slip print does not).
    if (link == Link::Serial && (prompted(kind) || kind == Kind::Logo) && kind != Kind::Slip)
        out.push_back({.silent = true});
    each(kLost);
    for (int a = 0; a < kReplies; ++a)
        for (int b = a + 1; b < kReplies; ++b) out.push_back({{{a, kLost}, {b, kLost}}});
    each(kSecond), each(6 * kSecond);
    // With the station empty, a byte taken for the slip status that is not its answer (a poll's GS EOT 1 reply has
    // the form of a document in place) prints, reads, flips or scans nothing.
    if (prompted(kind)) out.push_back({{}, true}), each(kLost, true), each(6 * kSecond, true);
    if (kind == Kind::Slip || kind == Kind::Tally) each(kLost, false, true);
    return out;
}

struct Reply : sim::SimPrinter::CountedReply {  // and when it was made and reaches the line
    Micros madeAt, arrivesAt;
    bool lost() const { return extra == kLost; }
    bool disturbed() const { return lost() || extra >= 6 * kSecond; }
};
std::string trimmed(std::string s) { return s.erase(s.find_last_not_of(" \r") + 1); }
std::string bare(std::string s) {  // a number's leading zeros off too
    s = trimmed(s);
    return s.erase(0, std::min(s.find_first_not_of('0'), s.size() - 1));
}

class LossSweep : public OpenWindowWorld, public ::testing::WithParamInterface<std::tuple<Flow, Link>> {
protected:
    LossSweep() : previous_(fs::current_path()) {
        platform::app().setClock(&clock);
        fs::current_path(folder);  // where the scan's file goes
    }
    ~LossSweep() override {
        printer.onCountedReply = nullptr;
        fs::current_path(previous_);
        platform::app().setClock(nullptr);
    }
    void close() {
        if (workWindow && workWindow->isLoaded()) driver.click(*workWindow->findControl("CloseButton"));
    }
    std::string ticked() const {
        std::string out;
        for (platform::Control* c : workWindow->controls())
            if (auto* box = dynamic_cast<platform::CheckBox*>(c); box && box->Value() == platform::vbChecked)
                out += " " + c->displayName();
        return out;
    }
    // When the printer first took a command of this name (or begun so) after `after`; -1: never.
    Micros sent(const std::string& name, Micros after = -1, bool begun = false) const {
        for (const sim::SimLogEntry& e : printer.log())
            for (const std::string& c : e.decoded)
                if (e.at > after && (begun ? c.starts_with(name) : c == name)) return e.at;
        return -1;
    }
    fs::path previous_;
};

TEST_P(LossSweep, EveryReplyLostOrLateOneAtATimeAndInPairs) {
    const auto [flow, link] = GetParam();
    const Kind kind = flow.kind;
    struct Seen {  // what one case saw from the press on
        bool emptyStation = false, hung = false;
        std::vector<Reply> replies{};
        std::vector<Micros> oks{};  // a Cancel as kLost
        Micros lastArrival = 0, closeAt = -1, closeOverrun = -1, lostLinkAt = -1;
        int strayAfter = -1;
        bool silent = false;
    } s;
    std::map<Micros, Micros> base;  // per reply delay, the no-loss case's time from the press to the act
    std::string panelAfter;
    Strings tallyBoxes;
    Bytes logo;
    printer.scanner().image =
        diagtest::monoBitmap(200, 50, true, [](int x, int y) { return x < 2 || (x + 2 * y) % 9 == 0; });
    printer.scanner().blockSize = 1000;
    printer.onCountedReply = [&](const sim::SimPrinter::CountedReply& r) {  // a late one holds back those behind it
        const Micros at = clock.now();
        const Micros extra = s.silent ? kLost : r.extra;
        if (extra != kLost) s.lastArrival = std::max(at + printer.config().replyDelay + extra, s.lastArrival);
        s.replies.push_back({{r.number, r.bytes, extra, r.command}, at, extra == kLost ? kLost : s.lastArrival});
        if (r.number == s.strayAfter)  // queued behind this reply, in its order
            printer.scheduler().after(0, [&] { printer.reply({0xFF}, 0); });
    };
    // The technician: OK at once on every prompt (the check goes in with the first), Cancel after the bound.
    driver.onModal = [&, answer = driver.onModal](platform::Form& form) {
        auto* box = dynamic_cast<shell::ModalMessageBox*>(&form);
        if (box && box->MessageLabel.Caption() == shell::kLostLinkMessage && s.lostLinkAt < 0)
            s.lostLinkAt = clock.now();
        if (!box || !box->MessageLabel.Caption().starts_with("Insert a ")) return answer(form);
        const bool ok = s.oks.size() < kPromptBound;
        s.oks.push_back(ok ? clock.now() : kLost);
        if (ok && !s.emptyStation) setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
        driver.pressKey(form, ok ? '1' : '0');
    };
    int failed = 0, run = 0;
    const char* only = std::getenv("LOSS_SWEEP_PATTERN");
    for (const Pattern& p : patternsFor(kind, link)) {
        if (only && !p.shape.empty() && p.name() != only) continue;
        bool passed = true;
        const std::string where = linkName(link) + std::string(" ") + flow.name + " [" + p.name() + "]: ";
        const auto problem = [&](const std::string& text) { passed = false; ADD_FAILURE() << where << text; };
        const auto n = [](auto v) { return std::to_string(v); };
        printer.clearReplies();
        printer.shapeRepliesFromNow({});
        printer.status() = {};
        printer.status().drawerOpen = false;
        printer.slip() = {};
        printer.flash() = {};
        printer.config().replyDelay = kFast;
        printer.setReplyFault(sim::ReplyFault::None);
        const bool usbScan = kind == Kind::Scan && link == Link::Usb;  // type 1 has no USB HID; type 4 scans unseen
        connect(link, usbScan ? 4 : flow.type);
        if (HasFatalFailure()) return;
        printer.config().replyDelay = p.delay;
        if (p.reopened && kind == Kind::Tally) {  // opened by its button, closed a second later: its reads still come
            mainWindow().workWindows.viewTally = tally::ShowViewTallyDlg;
            clock.scheduleAfter(kSecond, [&] {
                loop.post([&] { driver.closeBox(*platform::TestDriver::findForm("ViewTallyDlg")); });
            });
            clickButton(5);
            runFor(1000);  // the technician reaches for the button again
        } else if (p.reopened) {
            show<Diag>(1100);
            close();
            workWindow.reset();
        }
        if (kind != Kind::Tally) show<Diag>(1500 + static_cast<int>(3 * p.delay / 1000));
        if (kind == Kind::Logo) chooseLogoNext();
        const Micros pressAt = clock.now();  // counting, shaping and the log start here
        s = {.emptyStation = p.emptyStation, .strayAfter = p.strayAfter, .silent = p.silent};
        printer.clearLog();
        printer.shapeRepliesFromNow(p.shape);
        if (p.lateIdItem) printer.delayNextReply(kPartNumberRead, 6 * kSecond);
        if (p.silent) printer.setReplyFault(sim::ReplyFault::Silent);
        std::vector<Micros> closeAfter{kHang};  // Close as the technician presses it, from the loop
        if (p.closeMidWait) closeAfter.push_back((kind == Kind::Tally ? 1 : 2) * kSecond);
        std::vector<platform::VirtualClock::ActionId> closes;
        for (const Micros after : closeAfter)
            closes.push_back(clock.scheduleAt(pressAt + after, [&, after] {
                loop.post([&, after] {
                    if (!workWindow || !workWindow->isLoaded()) return;
                    s.hung |= after == kHang, s.closeAt = clock.now();
                    close();
                });
            }));
        const auto returned = [&] {  // from the wait that Close came in
            if (s.closeAt >= 0 && s.closeOverrun < 0) s.closeOverrun = clock.now() - s.closeAt;
        };

        Micros act = -1;
        if (kind <= Kind::Logo) {
            auto& w = dynamic_cast<Diag&>(*workWindow);
            usbScan ? w.CheckScanButton_Click() : void(driver.click(*w.findControl(flow.name + std::string("Button"))));
            returned();
            // The MICR message, the scan's blocks and print come after the press returns.
            for (int ms = 0; ms < 30000 && w.isLoaded() && (kind == Kind::Scan ? w.ScanSession.m_bScanning : ms < 3000);
                 ms += 200)
                runFor(200);
            runFor(1000);
            act = sent(flow.act);
        } else if (kind == Kind::Panel) {
            const std::string before = ticked();
            auto& status = printer.status();
            status.paperOut = status.paperLow = status.coverOpen = status.drawerOpen = true;
            Micros wait = 3 * kSecond + 3 * p.delay;
            for (const auto& [r, extra] : p.shape) wait += extra == kSecond ? 2 * kSecond : 8 * kSecond;
            for (Micros t = 0; t < wait && workWindow->isLoaded(); t += 100'000) {
                runFor(100);
                const std::string now = ticked();
                if (p.plain() && now != before) panelAfter = now;
                if (act < 0 && !panelAfter.empty() && now == panelAfter) act = clock.now();
                if (now != before && now != panelAfter && passed) problem("wrong value: the panel showed" + now);
            }
            if (ticked() != panelAfter) problem("wrong value: the panel never showed the printer's status");
        } else {
            Tally& w = show<Tally>(1);
            returned();
            const auto boxes = [&w] {  // the ID items, then the tallies, as describeTallies lists them
                Strings out;
                for (int i = 0; i < tally::kIdItemCount; ++i) out.push_back(w.PrinterIDText(i).Text());
                for (int i = 0; i < tally::kTallyCount; ++i) out.push_back(w.PrinterTallyText(i).Text());
                return out;
            };
            Strings last;
            for (const Micros shown = act = clock.now();
                 clock.now() - shown < 20 * kSecond && w.isLoaded() && clock.now() - act < 8 * kSecond; runFor(100))
                if (boxes() != last) act = clock.now(), last = boxes();
            returned();
            if (p.plain()) tallyBoxes = boxes();
            std::istringstream list(sim::describeTallies(printer));  // "  <n> <name>: <value>"
            std::size_t i = 0;
            for (std::string line; std::getline(list, line) && w.isLoaded() && !p.closeMidWait;) {
                if (!line.starts_with("  ")) continue;
                const std::string got = boxes()[i], was = tallyBoxes[i++], what = line.substr(2, line.find(':') - 2);
                if (!got.empty() && trimmed(got) != trimmed(line.substr(line.find(": ") + 2)))
                    problem("wrong value: " + what + " shows '" + got + "'");
                // Empty only for its own reply lost, or so late that it counts as lost: held behind a late one past
                // the give-up, a reply is as late itself (on USB HID nothing reads the device for it any more). The
                // reply's data runs from past its code (two control bytes more on some types' flash part number).
                const bool disturbedCase = p.lateIdItem || p.strayAfter >= 0;  // no box wrong is all they promise
                if (got.empty() && !was.empty() && !disturbedCase &&
                    std::ranges::none_of(s.replies, [&](const Reply& r) {
                        const Bytes& b = r.bytes;
                        return (r.disturbed() || r.arrivesAt - r.madeAt > kGiveUp) && b.size() > 1 &&
                               bare({b.begin() + (b.size() > 2 && b[0] < 0x20 ? 3 : 1), b.end()}) == bare(was);
                    }))
                    problem("wrong value: " + what + " empty with its reply answered");
            }
        }

        // What the replies were to the act: a wait given up on each lost (or 6 s late) one, a second on each late one;
        // the act on two slip status answers since the last OK before it; an OK spent only for two lost in a row.
        const auto okBefore = std::find_if(s.oks.rbegin(), s.oks.rend(), [&](Micros ok) { return ok <= act; });
        int disturbed = 0, disturbedBefore = 0, lateBefore = 0, answers = 0, lostAfterOk = 0;
        bool scanLost = false, micrLost = false;  // excuse a scan error, no MICR fields
        Micros lossEnd = -1;
        for (const Reply& r : s.replies) {
            const Bytes& c = r.command;
            const bool gsEot5 = c == Bytes{0x1D, 0x04, 0x05}, madeBefore = act < 0 || r.madeAt < act;
            scanLost |= r.lost() && (c == Bytes{0x06} || (c.size() > 5 && c[0] == 0x1D && c[1] == '(' && c[5] == 'A'));
            micrLost |= r.disturbed() && c == Bytes{0x1B, 0x77, 0x50, 0x0D};
            answers += (gsEot5 || c == Bytes{0x1D, 0x72, 0x01}) && (r.bytes[0] & (gsEot5 ? 0x60 : 0x20)) == 0 &&
                       okBefore != s.oks.rend() && r.madeAt >= *okBefore && r.arrivesAt <= act;
            disturbed += r.disturbed();
            lostAfterOk += r.disturbed() && !s.oks.empty() && r.madeAt >= s.oks.front() && r.madeAt < act;
            if (r.extra) lossEnd = std::max(lossEnd, r.lost() ? r.madeAt : r.arrivesAt);
            if (r.extra && madeBefore) ++(r.disturbed() ? disturbedBefore : lateBefore);
        }
        const auto oks = [&](Micros from) {
            return std::ranges::count_if(s.oks, [&](Micros ok) { return ok >= from && ok <= act; });
        };
        const int prompts = static_cast<int>(s.oks.size()), acts = countCommand(flow.act);
        // Told lost only where no answer to the link check came before it: lost, or later than its wait.
        const bool checkUnanswered = s.lostLinkAt >= 0 && std::ranges::none_of(s.replies, [&](const Reply& r) {
            return r.command == Bytes{0x10, 0x04, 0x02} && !r.lost() && r.arrivesAt < s.lostLinkAt;
        });
        if (s.hung) problem("hang: still waiting " + n(kHang / kSecond) + " s after the press");
        if (s.lostLinkAt >= 0 && !checkUnanswered) problem("wrong value: told the link lost with its check answered");
        if (p.silent) {
            if (s.lostLinkAt < 0) problem("a silent printer never told lost");
            else if (s.lostLinkAt - pressAt > 7 * kSecond)
                problem("a silent printer told lost " + n((s.lostLinkAt - pressAt) / 1000) + " ms after the press");
        } else if (checkUnanswered) {
            if (acts > 0) problem(std::string(flow.act) + " with the link told lost");
        } else if (p.closeMidWait) {
            if (s.closeOverrun > 300'000) problem("Close ended the wait " + n(s.closeOverrun / 1000) + " ms later");
            if (s.closeAt >= 0 && sent("ESC c 48 4", s.closeAt) >= 0) problem("printed after Close");
        } else if (p.emptyStation) {
            for (const Flow& f : kFlows)
                if (prompted(f.kind) && sent(f.act) >= 0) problem(std::string(f.act) + " with the station empty");
            if (prompts != kPromptBound + 1) problem("prompts: " + n(prompts) + ", not every OK prompted again");
        } else if (act < 0) {
            if (kind != Kind::Panel) problem("no " + std::string(flow.act) + " after " + n(prompts) + " prompts");
        } else {
            if (prompted(kind) && acts != 1) problem(flow.act + (" sent " + n(acts) + " times"));
            if (prompted(kind) && answers < 2) problem(flow.act + (" on " + n(answers) + " status answers"));
            // A printer slower than the half second between a wait's end and its request's give-up answers the
            // request asked again after the first ask was given up: that answer is read past, and the prompt
            // comes back once, as for any answer not in time.
            const int slowAgain = p.delay >= 500'000 ? disturbed : 0;
            if (prompted(kind) && (oks(lossEnd) > 1 + slowAgain || oks(0) > 1 + lostAfterOk / 2 + slowAgain))
                problem("extra prompts: acted after OK " + n(oks(0)) + " (" + n(oks(lossEnd)) + " after the losses)");
            // The panel shows a sample once a second: a set given up waits for the next poll too.
            // A slow printer's poll: a lost reply is known once the rest of its set came, and the next
            // sample may meet the late answer it could be, so the one after shows: two polls and the replies.
            // Elsewhere a lost reply costs a whole wait and the printer's time to answer the request asked again.
            // USB HID reads the replies at the poll's ticks, a second later at most: the printer's time as seen.
            const Micros seen = p.delay + (link == Link::Usb ? 1'250'000 : 0);
            const Micros lost = kind == Kind::Panel && p.delay != kFast ? 2'000'000 + 4 * seen
                                                                        : 6'500'000 + p.delay + (seen - p.delay) / 5;
            const Micros allowed = (base.contains(p.delay) ? base[p.delay] : 0) + disturbedBefore * lost +
                                   (lateBefore + (p.strayAfter >= 0)) * kSecond + 500'000 +
                                   (p.lateIdItem ? 6'500'000 : 0) +
                                   (p.reopened ? 2 * p.delay : 0) +
                                   (kind == Kind::Panel && disturbedBefore + lateBefore > 0 ? 1'100'000 : 0);
            if (base.contains(p.delay) && act - pressAt > allowed)
                problem("extra waits: " + n((act - pressAt) / 1000) + " ms, allowed " + n(allowed / 1000));
        }
        if (!p.closeMidWait && !s.hung) {  // the results
            const bool micr = kind == Kind::Micr && acts > 0;
            for (const std::string& t : messageTexts())
                if (!(micr && t == kMicrShown) && !(scanLost && t.starts_with("Scan Error")) &&
                    !(t == shell::kLostLinkMessage && checkUnanswered) &&
                    !(disturbed >= 2 && t == "Cannot confirm the Flash Write: the printer did not answer."))
                    problem("wrong value: told \"" + t.substr(0, 60) + "\"");
            if (micr && std::ranges::count(messageTexts(), kMicrShown) != 1 && !micrLost)
                problem("wrong value: no MICR fields shown for a read answered");
            if (kind == Kind::Flip && act >= 0 && printer.slip().flips != 1)
                problem("flipped " + n(printer.slip().flips) + " times");
            const Micros written = sent("GS * ", -1, true);
            if (written >= 0 && sent("clear user-defined area", written - 1) >= 0) problem("logo erased once written");
            if (kind == Kind::Logo && p.plain()) logo = printer.flash().logos[1].data;
            if (kind == Kind::Logo && s.lostLinkAt < 0 && printer.flash().logos[1].data != logo)
                problem("wrong value: the logo in flash");
            int files = 0;
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (!entry.path().filename().string().starts_with("Scan_")) continue;
                std::ifstream in(entry.path(), std::ios::binary);
                if (++files; Bytes{std::istreambuf_iterator<char>(in), {}} != printer.scanner().image)
                    problem("wrong value: the scanned file");
                fs::remove(entry.path());
            }
            if (kind == Kind::Scan && !p.emptyStation && files == 0 && disturbed == 0) problem("no scan file");
        }
        if (p.plain() && act >= 0) base[p.delay] = act - pressAt;
        printer.delayNextReply(kPartNumberRead, 0);
        printer.setReplyFault(sim::ReplyFault::None);
        for (auto id : closes) clock.cancel(id);
        close();
        workWindow.reset();
        runFor(7000);    // every late reply has come: none reaches the next case
        clickButton(2);  // Disconnect
        ++run, failed += !passed;
        if (!passed && p.plain() && p.delay == kFast) break;  // no baseline: nothing to measure against
    }
    std::cout << linkName(link) << " " << flow.name << ": " << failed << " of " << run << " cases failed\n";
}

// One CTest entry per flow and link, so they run side by side.
INSTANTIATE_TEST_SUITE_P(
    AllFlows, LossSweep,
    ::testing::Combine(::testing::ValuesIn(kFlows), ::testing::Values(Link::Serial, Link::Lan, Link::Usb)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + linkName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace shelltest
