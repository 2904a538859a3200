// Every flow that waits on the printer, on every link, with each of the
// first replies after the press lost, every pair of them lost, and each one
// 1 s and 6 s late. The printer answers in order, so a reply lost or late
// shifts what every later byte seems to answer; a rule that holds for the
// cases somebody named can still act on a byte that answers something else.
// Per case: no wrong value, nothing acted on a byte that was not the answer
// to a request asked since the OK, at most one give-up wait per lost (or
// 6 s late) reply, the act at the first OK once the losses have ended, and
// no wait that Close does not end.
//
// One CTest entry per flow and link, so the entries run side by side. A
// failure names link, flow and pattern; LOSS_SWEEP_PATTERN="lose 2+5" (a
// pattern's name as printed) runs only that pattern (and the no-loss case
// the times are measured against).
#include <cstdlib>
#include <set>

#include "OpenWindowWorld.h"
#include "link/RequestDoor.h"

namespace shelltest {
namespace {

using platform::Micros;
using sim::kAnyByte;

enum class Kind { Slip, Micr, Flip, Scan, Logo, Panel, Tally };
struct Flow {
    const char* name;
    Kind kind;
    int type;
};
const Flow kFlows[] = {{"Slip", Kind::Slip, 0},      {"MICR", Kind::Micr, 0},         {"Flip", Kind::Flip, 0},
                       {"CheckScan", Kind::Scan, 1}, {"DownloadLogo", Kind::Logo, 0}, {"StatusPanel", Kind::Panel, 0},
                       {"Tally0", Kind::Tally, 0},   {"Tally9", Kind::Tally, 9},      {"Tally12", Kind::Tally, 12},
                       {"Tally15", Kind::Tally, 15}};
void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}
bool prompted(Kind k) {
    return k == Kind::Slip || k == Kind::Micr || k == Kind::Flip || k == Kind::Scan;
}
// The command that acts on the technician's OK: the slip print and the
// scan select the slip station first.
const char* actCommand(Kind k) {
    switch (k) {
        case Kind::Micr:
            return "ESC w P (MICR read)";
        case Kind::Flip:
            return "ESC w F (check flip)";
        case Kind::Scan:
            return "GS ( G scan check";
        case Kind::Logo:
            return "GS / 0";
        default:
            return "ESC c 48 4";
    }
}

constexpr int kReplies = 8;  // the replies after the press that are lost or late
constexpr Micros kLost = platform::kForever, kSecond = 1'000'000, kGiveUpAllowance = 6'500'000;
constexpr int kPromptBound = 6;  // OKs before the technician cancels
const std::string kMicrShown =
    "Raw Data: <t021000021t 1234567890o 0042>\r\nTransit Number: <021000021>\r\nBank Number: <00002>\r\n"
    "Account Number: <1234567890>\r\nSerial Number: <0042>";
constexpr const char* kUnconfirmed = "Cannot confirm the Flash Write: the printer did not answer.";

struct Pattern {
    std::map<int, Micros> shape;  // reply number -> how much later (kLost: never)
    bool emptyStation = false;    // the technician never inserts the check
    bool closeMidWait = false;    // Close 2 s after the press (1 s after the tally opens)
    std::string name() const {
        std::string out = shape.empty() ? "no loss" : "";
        for (const auto& [n, extra] : shape) {
            if (!out.empty()) out += '+';
            out += extra == kLost ? std::string("lose ") : std::to_string(extra / kSecond) + "s late ";
            out += std::to_string(n);
        }
        return out + (emptyStation ? ", empty station" : "") + (closeMidWait ? ", closed mid-wait" : "");
    }
};

std::vector<Pattern> patternsFor(Kind kind) {
    std::vector<Pattern> out{{}};
    for (int n = 0; n < kReplies; ++n) out.push_back({{{n, kLost}}});
    for (int a = 0; a < kReplies; ++a)
        for (int b = a + 1; b < kReplies; ++b) out.push_back({{{a, kLost}, {b, kLost}}});
    for (Micros late : {kSecond, 6 * kSecond})
        for (int n = 0; n < kReplies; ++n) out.push_back({{{n, late}}});
    // With the station empty, a byte taken for the slip status that is not
    // its answer (a poll's GS EOT 1 reply has the form of a document in
    // place) prints, reads, flips or scans nothing.
    if (prompted(kind)) out.push_back({{}, true});
    for (Micros extra : {kLost, 6 * kSecond})
        for (int n = 0; n < kReplies && prompted(kind); ++n) out.push_back({{{n, extra}}, true});
    for (int n = 0; n < kReplies && (kind == Kind::Slip || kind == Kind::Tally); ++n)
        out.push_back({{{n, kLost}}, false, true});
    return out;
}

// A reply as the printer made it, and when it reaches the line: a late one
// holds back those behind it.
struct Reply {
    sim::SimPrinter::CountedReply r;
    Micros madeAt, arrivesAt;
    bool lost() const { return r.extra == kLost; }
    bool disturbed() const { return lost() || r.extra >= 6 * kSecond; }
};

class LossSweep : public OpenWindowWorld, public ::testing::WithParamInterface<std::tuple<Flow, Link>> {
protected:
    LossSweep() : previous_(fs::current_path()) {
        platform::app().setClock(&clock);
        fs::current_path(folder);  // where the scan's file goes
    }
    ~LossSweep() override {
        fs::current_path(previous_);
        platform::app().setClock(nullptr);
    }

    // What one case saw.
    struct Seen {
        std::vector<Reply> replies;
        std::vector<std::pair<std::string, Micros>> commands;
        std::vector<Micros> oks;
        int prompts = 0;
        Strings told;
        Micros pressAt = 0, endAt = -1, closeAt = -1, returnedAt = -1;
        bool hung = false;
        Micros actAt(const char* name, int nth = 0) const {
            for (const auto& [c, at] : commands)
                if (c == name && nth-- == 0) return at;
            return -1;
        }
        int count(const char* name) const {
            return static_cast<int>(
                std::count_if(commands.begin(), commands.end(), [&](const auto& c) { return c.first == name; }));
        }
    };

    void resetPrinter() {
        printer.clearReplies();
        printer.config().replyDelay = 2000;
        printer.status() = {};
        printer.status().drawerOpen = false;
        printer.slip() = {};
        printer.flash() = {};
        printer.scanner().image =
            diagtest::monoBitmap(200, 50, true, [](int x, int y) { return x < 2 || (x + 2 * y) % 9 == 0; });
        printer.scanner().blockSize = 1000;
        printer.paper().clear();
        printer.shapeRepliesFromNow({});
        printer.onCountedReply = nullptr;
        printer.onLog = nullptr;
    }

    // Counting and shaping start now: the press.
    void startCounting(const Pattern& p) {
        seen_.pressAt = clock.now();
        Micros lastArrival = 0;
        printer.onCountedReply = [this, lastArrival](const sim::SimPrinter::CountedReply& r) mutable {
            const Micros now = clock.now();
            Micros arrives = kLost;
            if (r.extra != kLost)
                arrives = lastArrival = std::max(now + printer.config().replyDelay + r.extra, lastArrival);
            seen_.replies.push_back({r, now, arrives});
        };
        printer.onLog = [this](const sim::SimLogEntry& e) {
            for (const std::string& name : e.decoded) seen_.commands.emplace_back(name, e.at);
        };
        printer.shapeRepliesFromNow(p.shape);
    }

    // The technician: OK at once on every prompt (the check goes in with the
    // first), Cancel after the bound; OK on every other message.
    void technician(bool emptyStation) {
        driver.onModal = [this, emptyStation, answer = driver.onModal](platform::Form& form) {
            auto* box = dynamic_cast<shell::ModalMessageBox*>(&form);
            if (!box) return answer(form);
            const std::string text = box->MessageLabel.Caption();
            if (text.rfind("Insert a ", 0) != 0) {
                seen_.told.push_back(text);
                driver.pressKey(form, '1');
                return;
            }
            const bool ok = ++seen_.prompts <= kPromptBound;
            if (ok) seen_.oks.push_back(clock.now());
            if (ok && !emptyStation) setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
            driver.pressKey(form, ok ? '1' : '0');
        };
    }

    // Close as the technician presses it, at `at` on the clock, from the loop.
    platform::VirtualClock::ActionId closeAt(Micros at, bool hang) {
        return clock.scheduleAt(at, [this, hang] {
            loop.post([this, hang] {
                if (!workWindow || !workWindow->isLoaded()) return;
                if (hang) seen_.hung = true;
                seen_.closeAt = clock.now();
                if (auto* d = dynamic_cast<Diag*>(workWindow.get())) driver.click(d->CloseButton);
                if (auto* t = dynamic_cast<Tally*>(workWindow.get())) driver.click(t->CloseButton);
            });
        });
    }

    std::set<int> indicators(Diag& w) {
        std::set<int> out;
        for (int i = 1; i <= 29; ++i) {
            platform::CheckBox* box = i <= 6    ? &w.PaperStatus(i - 1)
                                      : i == 7  ? nullptr
                                      : i <= 14 ? &w.PrinterStatus(i - 7)
                                      : i <= 22 ? &w.ErrorCondition(i - 15)
                                                : &w.KioskStatus(i - 23);
            if (box && box->Value() == platform::vbChecked) out.insert(i);
        }
        return out;
    }
    static Strings texts(platform::ControlArray<platform::TextBox>& boxes) {
        Strings out;
        for (int i = 0; i < boxes.Count(); ++i) out.push_back(boxes(i).Text());
        return out;
    }

    // What the printer got and sent, for a case run alone.
    void printTimeline(const Pattern& p) const {
        const auto ms = [this](Micros at) { return std::to_string((at - seen_.pressAt) / 1000); };
        std::cout << "[" << p.name() << "] from the press, ms:\n";
        std::vector<std::pair<Micros, std::string>> lines;
        for (const Reply& r : seen_.replies)
            if (r.r.number < 40)
                lines.emplace_back(
                    r.madeAt, "  reply #" + std::to_string(r.r.number) + " " +
                                  platform::hexBytes(platform::Bytes(
                                      r.r.bytes.begin(),
                                      r.r.bytes.begin() + std::min<long>(8, static_cast<long>(r.r.bytes.size())))) +
                                  " to " + platform::hexBytes(r.r.command) +
                                  (r.lost()    ? " LOST"
                                   : r.r.extra ? " arrives " + ms(r.arrivesAt)
                                               : ""));
        const auto asks = [](const std::string& c) {
            for (const char* lead : {"GS EOT", "DLE E", "ESC v", "ESC u", "GS r", "GS I", "ESC w", "ESC c 48 4", "GS (",
                                     "ACK", "CAN", "clear", "GS *", "GS / 0"})
                if (c.rfind(lead, 0) == 0) return true;
            return false;
        };
        for (const auto& [c, at] : seen_.commands)
            if (at >= seen_.pressAt && at < seen_.pressAt + 40 * kSecond && asks(c))
                lines.emplace_back(at, "  got " + c);
        for (Micros ok : seen_.oks) lines.emplace_back(ok, "  OK");
        std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [at, text] : lines) std::cout << ms(at) << text << "\n";
    }

    // Runs one case; the problems found, or none.
    std::vector<std::string> runCase(const Flow& flow, Link link, const Pattern& p);

    Seen seen_;
    Micros closeOverrun_ = -1;
    Micros base_ = -1;  // the no-loss case's time from the press to the act
    std::set<int> panelBefore_, panelAfter_;
    Strings tallyIds_, tallyTallies_;
    sim::SimFlash::Logo logo_;
    fs::path previous_;
};

// An ID item or tally reply's data: past its code and before its end byte.
std::string replyData(const platform::Bytes& reply) {
    // The code leads the reply; the flash part number's comes after two
    // control bytes on some types.
    std::size_t to = reply.size(), from = std::min<std::size_t>(to, to > 2 && reply[0] < 0x20 ? 3 : 1);
    if (to > from && reply[to - 1] == 0x0D) --to;
    return std::string(reply.begin() + static_cast<long>(from), reply.begin() + static_cast<long>(to));
}
std::string trimmed(std::string s) {
    return s.erase(s.find_last_not_of(' ') + 1);
}
bool sameValue(const std::string& data, const std::string& box) {
    const bool digits = !data.empty() && !box.empty() && data.find_first_not_of("0123456789") == std::string::npos &&
                        box.find_first_not_of("0123456789") == std::string::npos;
    return trimmed(data) == trimmed(box) || (digits && std::stoull(data) == std::stoull(box));
}

// The sim's own values for the tally window's boxes: counters by index, ID
// items as describeTallies lists them.
bool tallyValueIs(const sim::SimPrinter& printer, bool id, int i, const std::string& box) {
    if (!id) return box == std::to_string(printer.tally().counters[static_cast<std::size_t>(i)]);
    const std::string all = sim::describeTallies(printer);
    const std::string lead = "  " + std::to_string(i) + " ";
    const auto at = all.find(lead);
    const auto colon = all.find(": ", at);
    return trimmed(all.substr(colon + 2, all.find('\n', colon) - colon - 2)) == trimmed(box);
}

std::vector<std::string> LossSweep::runCase(const Flow& flow, Link link, const Pattern& p) {
    std::vector<std::string> problems;
    const auto problem = [&](const std::string& s) { problems.push_back(s); };
    seen_ = {};
    closeOverrun_ = -1;
    resetPrinter();
    const bool usbScan = flow.kind == Kind::Scan && link == Link::Usb;  // type 1 has no USB HID; type 4 scans unseen
    connect(link, usbScan ? 4 : flow.type);
    if (::testing::Test::HasFatalFailure()) return {"could not connect"};
    const auto answerModal = driver.onModal;
    technician(p.emptyStation);
    const bool tally = flow.kind == Kind::Tally;
    if (!tally) show<Diag>(1500);
    const Micros allowedEnd = 100 * kSecond;
    std::vector<platform::VirtualClock::ActionId> actions;
    const auto watch = [&] {
        actions.push_back(closeAt(clock.now() + allowedEnd, true));
        if (p.closeMidWait) actions.push_back(closeAt(clock.now() + (tally ? 1 : 2) * kSecond, false));
    };

    if (prompted(flow.kind) || flow.kind == Kind::Logo) {
        auto& w = dynamic_cast<Diag&>(*workWindow);
        if (flow.kind == Kind::Logo) chooseLogoNext();
        startCounting(p);
        watch();
        platform::CommandButton* buttons[] = {&w.SlipButton, &w.MICRButton, &w.FlipButton, &w.CheckScanButton,
                                              &w.DownloadLogoButton};
        if (usbScan)
            w.CheckScanButton_Click();
        else if (!driver.click(*buttons[static_cast<int>(flow.kind)]))
            problem("button not pressed");
        seen_.returnedAt = clock.now();
        if (seen_.closeAt >= 0) closeOverrun_ = seen_.returnedAt - seen_.closeAt;
        // The MICR message, the scan's blocks and print come after the press returns.
        for (int ms = 0;
             ms < 30000 && w.isLoaded() && (flow.kind == Kind::Scan ? w.ScanSession.m_bScanning : ms < 3000); ms += 200)
            runFor(200);
        runFor(1000);
        seen_.endAt = seen_.actAt(actCommand(flow.kind));
    } else if (flow.kind == Kind::Panel) {
        auto& w = dynamic_cast<Diag&>(*workWindow);
        const std::set<int> before = indicators(w);
        startCounting(p);
        watch();
        printer.status().paperOut = printer.status().paperLow = printer.status().coverOpen = true;
        printer.status().drawerOpen = true;
        std::set<int> wrong;
        int late = 0;
        for (const auto& [n, extra] : p.shape) late += extra == kSecond ? 2 : 8;
        for (Micros t = 0; t < (3 + late) * kSecond && w.isLoaded(); t += 100'000) {
            runFor(100);
            const std::set<int> now = indicators(w);
            if (p.shape.empty() && now != before) panelAfter_ = now, panelBefore_ = before;
            if (seen_.endAt < 0 && !panelAfter_.empty() && now == panelAfter_) seen_.endAt = clock.now();
            if (now != panelBefore_ && now != panelAfter_ && wrong.empty()) wrong = now;
        }
        if (!wrong.empty()) {
            std::string s = "wrong value: the panel showed";
            for (int i : wrong) s += " " + std::to_string(i);
            problem(s);
        }
        if (indicators(w) != panelAfter_) problem("wrong value: the panel never showed the printer's status");
    } else {
        startCounting(p);
        watch();
        // How long past its due time (and past Close) a step of the loop returned.
        const auto step = [&](const std::function<void()>& run, Micros due) {
            const Micros from = clock.now();
            run();
            if (seen_.closeAt >= from && closeOverrun_ < 0)
                closeOverrun_ = clock.now() - std::max(from + due, seen_.closeAt);
        };
        Tally* shown = nullptr;
        step([&] { shown = &show<Tally>(1); }, 2000);
        auto& w = *shown;
        Strings last;
        seen_.endAt = clock.now();
        for (Micros t = 0; t < 20 * kSecond && w.isLoaded() && clock.now() - seen_.endAt < 8 * kSecond; t += 100'000) {
            Strings now = texts(w.PrinterIDText);
            for (const std::string& s : texts(w.PrinterTallyText)) now.push_back(s);
            if (now != last) seen_.endAt = clock.now(), last = now;
            step([&] { runFor(100); }, 100'000);
        }
        if (p.shape.empty()) tallyIds_ = texts(w.PrinterIDText), tallyTallies_ = texts(w.PrinterTallyText);
        // Each box the sim's value, or empty for its own reply lost (or so late that it counts as lost).
        Strings expectedIds = tallyIds_, expectedTallies = tallyTallies_;
        std::string empty;
        for (int id = 0; id < 2; ++id) {
            auto& boxes = id ? expectedIds : expectedTallies;
            auto& shown = id ? w.PrinterIDText : w.PrinterTallyText;
            for (int i = 0; i < shown.Count() && w.isLoaded() && !p.closeMidWait && !tallyIds_.empty(); ++i) {
                const std::string got = shown(i).Text();
                if (!got.empty() && !tallyValueIs(printer, id, i, got))
                    problem("wrong value: " + std::string(id ? "ID item " : "tally ") + std::to_string(i) + " shows '" +
                            got + "'");
                if (!got.empty() || boxes[static_cast<std::size_t>(i)].empty()) continue;
                // Held behind a late one past the give-up, a reply is as late
                // itself: on USB HID nothing reads the device for it any more.
                const bool ownLost = std::any_of(seen_.replies.begin(), seen_.replies.end(), [&](const Reply& r) {
                    return (r.disturbed() || r.arrivesAt - r.madeAt > printerlink::RequestDoor::kGiveUpMicros) &&
                           sameValue(replyData(r.r.bytes), boxes[static_cast<std::size_t>(i)]);
                });
                if (!ownLost) empty += std::string(id ? " ID" : " tally") + std::to_string(i);
            }
        }
        if (!empty.empty()) problem("wrong value: empty with their replies answered:" + empty);
    }

    // What acted, and on what.
    const Micros act = seen_.endAt;
    std::vector<std::string> acts;
    for (const char* c : {"ESC c 48 4", "ESC w P (MICR read)", "ESC w F (check flip)", "GS ( G scan check"})
        if (seen_.count(c) > 0 && prompted(flow.kind)) acts.push_back(c);
    int disturbedBefore = 0, lateBefore = 0;
    Micros lossEnd = -1;
    for (const Reply& r : seen_.replies) {
        if (r.r.extra == 0) continue;
        lossEnd = std::max(lossEnd, r.lost() ? r.madeAt : r.arrivesAt);
        if (act < 0 || r.madeAt < act) (r.disturbed() ? disturbedBefore : lateBefore) += 1;
    }
    const int disturbed = static_cast<int>(
        std::count_if(seen_.replies.begin(), seen_.replies.end(), [](const Reply& r) { return r.disturbed(); }));
    if (seen_.hung) problem("hang: still waiting " + std::to_string(allowedEnd / kSecond) + " s after the press");
    if (p.closeMidWait) {
        if (closeOverrun_ > 300'000)
            problem("Close ended the wait only " + std::to_string(closeOverrun_ / 1000) + " ms later");
        for (const auto& [c, at] : seen_.commands)
            if (seen_.closeAt >= 0 && at > seen_.closeAt && c == std::string("ESC c 48 4"))
                problem("printed after Close");
    } else if (p.emptyStation) {
        if (!acts.empty()) problem("print on a wrong byte: " + acts.front() + " with no check in the station");
        if (seen_.prompts != kPromptBound + 1)
            problem("prompts: " + std::to_string(seen_.prompts) + ", not every OK prompted again");
    } else if (act < 0) {
        if (flow.kind != Kind::Panel)
            problem(std::string("no ") + (tally ? "read" : actCommand(flow.kind)) + " after " +
                    std::to_string(seen_.prompts) + " prompts");
    } else {
        if (prompted(flow.kind)) {
            if (seen_.count(actCommand(flow.kind)) != 1)
                problem(std::string(actCommand(flow.kind)) + " sent " +
                        std::to_string(seen_.count(actCommand(flow.kind))) + " times");
            // Acted on two answers, both to slip status requests asked since the last OK before it.
            const auto okBefore =
                std::find_if(seen_.oks.rbegin(), seen_.oks.rend(), [&](Micros ok) { return ok <= act; });
            int answers = 0;
            for (const Reply& r : seen_.replies) {
                const bool gsEot5 = r.r.command == platform::Bytes{0x1D, 0x04, 0x05};
                if (!gsEot5 && r.r.command != platform::Bytes{0x1D, 0x72, 0x01}) continue;
                const std::uint8_t b = r.r.bytes[0];
                const bool in = gsEot5 ? (b & 0x60) == 0 : (b & 0x20) == 0;
                answers += in && okBefore != seen_.oks.rend() && r.madeAt >= *okBefore && r.arrivesAt <= act;
            }
            if (answers < 2)
                problem("print on a wrong byte: " + std::string(actCommand(flow.kind)) + " with " +
                        std::to_string(answers) + " slip status answers since the OK");
            // At the first OK once the losses ended; an OK spent only for two lost in a row.
            const long oksBefore =
                std::count_if(seen_.oks.begin(), seen_.oks.end(), [&](Micros ok) { return ok <= act; });
            const long oksAfterLosses = std::count_if(seen_.oks.begin(), seen_.oks.end(),
                                                      [&](Micros ok) { return ok <= act && ok >= lossEnd; });
            const long lostAfterOk =
                seen_.oks.empty() ? 0 : std::count_if(seen_.replies.begin(), seen_.replies.end(), [&](const Reply& r) {
                    return r.disturbed() && r.madeAt >= seen_.oks.front() && r.madeAt < act;
                });
            if (oksAfterLosses > 1 || oksBefore > 1 + lostAfterOk / 2)
                problem("extra prompts: acted after OK " + std::to_string(oksBefore) + " (" +
                        std::to_string(oksAfterLosses) + " after the losses ended)");
        }
        // The panel shows a sample once a second: a set given up waits for the next poll too.
        const Micros allowed = base_ + disturbedBefore * kGiveUpAllowance + lateBefore * kSecond + 500'000 +
                               (flow.kind == Kind::Panel && disturbedBefore + lateBefore > 0 ? 1'100'000 : 0);
        if (base_ >= 0 && act - seen_.pressAt > allowed)
            problem("extra waits: " + std::to_string((act - seen_.pressAt) / 1000) + " ms from the press, allowed " +
                    std::to_string(allowed / 1000));
    }
    // The results.
    if (!p.closeMidWait && !seen_.hung) {
        Strings expectedTold;
        if (flow.kind == Kind::Micr && seen_.count("ESC w P (MICR read)") > 0) expectedTold = {kMicrShown};
        for (const std::string& t : seen_.told) {
            const bool scanLost = flow.kind == Kind::Scan && t.rfind("Scan Error", 0) == 0 &&
                                  std::any_of(seen_.replies.begin(), seen_.replies.end(), [](const Reply& r) {
                                      const platform::Bytes& c = r.r.command;
                                      return r.lost() && (c == platform::Bytes{0x06} || (c.size() > 5 && c[0] == 0x1D &&
                                                                                         c[1] == 0x28 && c[5] == 0x41));
                                  });
            const bool unconfirmed = t == kUnconfirmed && disturbed >= 2;
            if (std::find(expectedTold.begin(), expectedTold.end(), t) == expectedTold.end() && !scanLost &&
                !unconfirmed)
                problem("wrong value: told \"" + t.substr(0, 60) + "\"");
        }
        const bool micrReplyLost = std::any_of(seen_.replies.begin(), seen_.replies.end(), [](const Reply& r) {
            return r.disturbed() && r.r.command == platform::Bytes{0x1B, 0x77, 0x50, 0x0D};
        });
        if (!expectedTold.empty() && std::count(seen_.told.begin(), seen_.told.end(), kMicrShown) != 1 &&
            !micrReplyLost)
            problem("wrong value: no MICR fields shown for a read answered");
        if (flow.kind == Kind::Flip && act >= 0 && printer.slip().flips != 1)
            problem("flipped " + std::to_string(printer.slip().flips) + " times");
        if (flow.kind == Kind::Logo) {
            Micros define = -1;
            for (const auto& [c, at] : seen_.commands) {
                if (define < 0 && c.rfind("GS * ", 0) == 0) define = at;
                if (define >= 0 && c == "clear user-defined area") problem("logo erased after its write");
            }
            if (p.shape.empty()) logo_ = printer.flash().logos[1];
            const auto it = printer.flash().logos.find(1);
            if (it == printer.flash().logos.end() || it->second.data != logo_.data)
                problem("wrong value: the logo in flash");
        }
        if (flow.kind == Kind::Scan && !p.emptyStation) {
            int files = 0;
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (entry.path().filename().string().rfind("Scan_", 0) != 0) continue;
                std::ifstream in(entry.path(), std::ios::binary);
                ++files;
                if (platform::Bytes{std::istreambuf_iterator<char>(in), {}} != printer.scanner().image)
                    problem("wrong value: the scanned file");
                fs::remove(entry.path());
            }
            if (files == 0 && disturbed == 0) problem("no scan file");
        }
    }
    if (p.shape.empty() && !p.emptyStation && !p.closeMidWait && act >= 0) base_ = act - seen_.pressAt;
    if (std::getenv("LOSS_SWEEP_PATTERN")) printTimeline(p);

    for (auto id : actions) clock.cancel(id);
    if (workWindow && workWindow->isLoaded()) {
        if (auto* d = dynamic_cast<Diag*>(workWindow.get())) driver.click(d->CloseButton);
        if (auto* t = dynamic_cast<Tally*>(workWindow.get())) driver.click(t->CloseButton);
    }
    workWindow.reset();
    driver.onModal = answerModal;
    runFor(7000);    // every late reply has come: none reaches the next case
    clickButton(2);  // Disconnect
    return problems;
}

TEST_P(LossSweep, EveryReplyLostOrLateOneAtATimeAndInPairs) {
    const auto& [flow, link] = GetParam();
    const char* only = std::getenv("LOSS_SWEEP_PATTERN");
    int failed = 0, run = 0;
    for (const Pattern& p : patternsFor(flow.kind)) {
        if (only && !p.shape.empty() && p.name() != only) continue;
        ++run;
        const std::vector<std::string> problems = runCase(flow, link, p);
        if (problems.empty()) continue;
        ++failed;
        std::string all;
        for (const std::string& s : problems) all += "\n    " + s;
        ADD_FAILURE() << linkName(link) << " " << flow.name << " [" << p.name() << "]:" << all;
        if (p.shape.empty() && !p.emptyStation && !p.closeMidWait) break;  // no baseline: nothing to measure against
    }
    std::cout << linkName(link) << " " << flow.name << ": " << failed << " of " << run << " cases failed\n";
}

INSTANTIATE_TEST_SUITE_P(AllFlows, LossSweep,
                         ::testing::Combine(::testing::ValuesIn(kFlows),
                                            ::testing::Values(Link::Serial, Link::Lan, Link::Usb)),
                         [](const ::testing::TestParamInfo<LossSweep::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + linkName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace shelltest
