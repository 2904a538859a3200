// The three work windows' main flows with a printer that answers late from
// the moment it is connected, and with one that falls silent while a window
// is open and then answers again: the windows show, tell and leave on the
// printer what they do with a printer that answers at once.
#include <algorithm>
#include <set>
#include <string_view>
#include <type_traits>

#include "OpenWindowWorld.h"
#include "configuration/apply/ConnectionWriteBack.h"

namespace shelltest {
namespace {

using Parameters = std::map<std::uint8_t, std::uint8_t>;

constexpr const char* kUpdated = "Configuration is updated, but it does not effect  until the printer is restarted.";
const Strings kIds = {"3640           ", "SN00012345", "0102", "5A1F", "BT-004412-01", "0398", "C39E", "FW-007731-02"};
const Strings kTallies = {"12345", "678", "90", "4321", "12", "345", "23", "1", "56", "2", "", ""};

// How many milliseconds late the printer answers; whether it falls silent
// once the window is open and answers again later; how much later it
// answers the second half of each batch of requests; and whether it is
// prompt again once the window has opened late.
struct Printer {
    int lateMs;
    bool fallsSilent = false;
    int splitMs = 0;
    bool promptAgain = false;
};
constexpr Printer AtOnce{0}, Late150{150}, Late600{600}, Late1000{1000}, Silent{0, true}, SilentLate1000{1000, true},
    Split300{0, false, 300}, Late600ThenPrompt{600, false, 0, true}, Late1000ThenPrompt{1000, false, 0, true};
void PrintTo(const Printer& p, std::ostream* out) {
    *out << p.lateMs << " ms" << (p.fallsSilent ? ", silent" : "") << (p.splitMs ? ", split" : "")
         << (p.promptAgain ? ", then prompt" : "");
}

class SlowPrinter;
struct Flow {
    const char* name;
    std::function<void(SlowPrinter&)> run;  // opens its window, works it and checks it
};
void PrintTo(const Flow& flow, std::ostream* out) { *out << flow.name; }

class SlowPrinter : public OpenWindowWorld, public ::testing::WithParamInterface<std::tuple<Flow, Link, Printer>> {
public:
    // A technician takes a second to read a message before answering it.
    SlowPrinter() {
        configuration::settingChangedFlags = {};
        driver.onModal = [this, answer = driver.onModal](platform::Form& form) {
            if (!dynamic_cast<shell::ModalMessageBox*>(&form)) return answer(form);
            scheduler.after(1'000'000, [answer, &form] { answer(form); });
        };
    }

    // Opens the window; a silent printer then falls silent for a while.
    template <class Window>
    Window& open() {
        const Printer printerKind = std::get<2>(GetParam());
        printer.config().splitDelay = platform::Micros(printerKind.splitMs) * 1000;
        auto& window = show<Window>(1000 + 2 * lateMs());
        if (printerKind.promptAgain) {
            printer.config().replyDelay = 2000;
            idle(2000 + lateMs());
        }
        // The configuration and tally windows do not poll a serial printer;
        // the diagnostics window polls each second, so over TCP it tells
        // within a second of the reply watchdog's 5 s (and the poll's own
        // handling time).
        const Link link = std::get<1>(GetParam());
        const bool polled = link != Link::Serial || std::is_same_v<Window, Diag>;
        if (std::get<2>(GetParam()).fallsSilent)
            fallSilentAndAnswerAgain(window.PrinterOnlineText, window.PrintFormButton, polled,
                                     std::is_same_v<Window, Diag> && link == Link::Lan ? 6100 : 8000);
        return window;
    }
    int lateMs() const { return std::get<2>(GetParam()).lateMs; }
    // How late the printer is while the flow runs: one prompt again is
    // given no more time than a printer that never was late.
    int flowLateMs() const { return std::get<2>(GetParam()).promptAgain ? 0 : lateMs(); }
    void runFlow() { idle(3000 + 5 * flowLateMs()); }
    bool loaded() const { return workWindow && workWindow->isLoaded(); }

private:
    // A window that polls shows the silence Offline, its buttons disabled,
    // and Online again once the printer answers.
    void fallSilentAndAnswerAgain(platform::TextBox& online, platform::CommandButton& button, bool polled,
                                  int offlineWithinMs) {
        printer.setReplyFault(sim::ReplyFault::Silent);
        EXPECT_EQ(shownWithin(online, "Offline", offlineWithinMs), polled);
        EXPECT_EQ(button.Enabled(), !polled);
        printer.setReplyFault(sim::ReplyFault::None);
        EXPECT_TRUE(shownWithin(online, "Online", 4000));
        EXPECT_TRUE(button.Enabled());
        EXPECT_EQ(told(), Strings{});
    }
};

TEST_P(SlowPrinter, WindowsShowTellAndLeaveWhatTheyDoWithAQuickPrinter) {
    const auto& [flow, link, late] = GetParam();
    printer.status().drawerOpen = false;
    printer.config().replyDelay = late.lateMs * 1000;
    connect(link);
    flow.run(*this);
    EXPECT_TRUE(loaded());
}

Strings texts(platform::ControlArray<platform::TextBox>& boxes) {
    Strings out;
    for (int i = 0; i < boxes.Count(); ++i) out.push_back(boxes(i).Text());
    return out;
}

// The run's success message shows, and the printer holds what it was sent.
void applyAndCheck(SlowPrinter& t, platform::CommandButton& button, const Parameters& held) {
    ASSERT_TRUE(t.driver.click(button));
    t.runFlow();
    EXPECT_EQ(t.told(), Strings{kUpdated});
    EXPECT_EQ(t.printer.config().parameters, held);
}

const Flow kFlows[] = {
    {"Receipt",
     [](SlowPrinter& t) {
         auto& w = t.open<Diag>();
         ASSERT_TRUE(t.driver.click(w.ReceiptButton));
         t.printer.status().paperOut = true;
         t.printer.status().drawerOpen = true;
         // Two polls; on USB HID a poll whose replies come after its reads
         // is read at the next turn, and the poll after it goes out then.
         t.idle(2000 + 3 * t.flowLateMs() + 50);
         std::set<std::string> checked;
         const auto note = [&](const char* row, auto& boxes, int from, int to) {
             for (int i = from; i <= to; ++i)
                 if (boxes(i).Value() == platform::vbChecked) checked.insert(row + std::to_string(i));
         };
         note("paper ", w.PaperStatus, 0, 5);
         note("printer ", w.PrinterStatus, 1, 7);
         note("error ", w.ErrorCondition, 0, 7);
         std::set<std::string> shown = {"paper 0", "printer 2", "error 0"};
         if (std::get<1>(t.GetParam()) == Link::Usb) shown.erase("error 0");  // ESC v has no such bit
         EXPECT_EQ(checked, shown);
         EXPECT_EQ(t.told(), Strings{});
     }},
    {"DownloadLogo",
     [](SlowPrinter& t) {
         auto& w = t.open<Diag>();
         t.chooseLogoNext();
         ASSERT_TRUE(t.driver.click(w.DownloadLogoButton));
         t.runFlow();
         EXPECT_EQ(t.told(), Strings{});
         EXPECT_EQ(t.printer.flash().logos.count(1), 1u);
     }},
    {"MicrRead",
     [](SlowPrinter& t) {
         auto& w = t.open<Diag>();
         setSlipDocument(t.printer.status(), sim::SlipDocument::Inserted);
         ASSERT_TRUE(t.driver.click(w.MICRButton));
         t.runFlow();
         EXPECT_EQ(t.told(), Strings{"Raw Data: <t021000021t 1234567890o 0042>\r\nTransit Number: <021000021>\r\n"
                                     "Bank Number: <00002>\r\nAccount Number: <1234567890>\r\nSerial Number: <0042>"});
     }},
    // The prints get no answer and are followed by a long blocking sleep.
    {"TwoColorIsNoTimeOut",
     [](SlowPrinter& t) {
         auto& w = t.open<Diag>();
         int timeOuts = 0;
         const auto counting = t.mainWindow().OnStatusUpdated.subscribe(
             [&](int status) { timeOuts += status == printerlink::kLanTimeoutStatus; });
         ASSERT_TRUE(t.driver.click(w.ColorPrintButton));
         t.idle(10000);
         EXPECT_EQ(timeOuts, 0);
         EXPECT_TRUE(w.PrintFormButton.Enabled());
     }},
    {"Apply",
     [](SlowPrinter& t) {
         auto& w = t.open<Config>();
         ASSERT_TRUE(t.driver.click(w.CategoryButton(1)));
         ASSERT_TRUE(t.driver.click(w.Setting(3)));
         ASSERT_TRUE(t.driver.chooseListItem(w.SettingList(3), 1));
         applyAndCheck(t, w.ApplyButton, {{0x22, 1}});
     }},
    {"ApplyAll",
     [](SlowPrinter& t) {
         auto& w = t.open<Config>();
         shell::WriteIniValue(shell::SettingsFilePath(), "SoftwareParameter", "2", "True");
         shell::WriteIniValue(shell::SettingsFilePath(), "Software", "DefaultLPI", "1");
         applyAndCheck(t, w.ApplyAll, {{0x21, 1}});
     }},
    {"TallyRead",
     [](SlowPrinter& t) {
         auto& w = t.open<Tally>();
         EXPECT_EQ(texts(w.PrinterIDText), kIds);
         EXPECT_EQ(texts(w.PrinterTallyText), kTallies);
     }},
    {"TallyWriteSerialNumber",
     [](SlowPrinter& t) {
         auto& w = t.open<Tally>();
         ASSERT_TRUE(t.driver.click(w.PrinterID(1)));
         t.driver.editText(w.PrinterIDText(1), "SN00099999");
         ASSERT_TRUE(t.driver.click(w.ApplyButton));
         t.runFlow();
         EXPECT_EQ(t.printer.tally().serialNumber, "SN00099999");
         EXPECT_EQ(w.PrinterIDText(1).Text(), "SN00099999");
         EXPECT_EQ(t.told(), Strings{});
     }},
    {"TallyClear",
     [](SlowPrinter& t) {
         auto& w = t.open<Tally>();
         ASSERT_TRUE(t.driver.click(w.PrinterTally(tally::kKnifeCuts)));
         ASSERT_TRUE(t.driver.click(w.ClearTallyButton));
         t.runFlow();
         Strings tallies = kTallies;
         tallies[tally::kKnifeCuts] = "0";
         EXPECT_EQ(texts(w.PrinterTallyText), tallies);
         EXPECT_EQ(texts(w.PrinterIDText), kIds);
         EXPECT_EQ(t.printer.tally().counters[tally::kKnifeCuts], 0u);
     }},
};

// Through View Tally, closed and opened again: the main window's own
// firmware request goes out between the openings. One answer to the main
// window's connection check, or to its firmware request, may be lost each
// time. Closed as soon as it shows and opened again at once, while the main
// window still yields after the first, the first window's answers come
// while the button's check waits.
enum class Lost { None, Check, Firmware };
void reopenTally(SlowPrinter& t, Lost lost, bool firstClosedAtOnce = false) {
    const bool checkAnswerLost = lost == Lost::Check;
    t.mainWindow().workWindows.viewTally = tally::ShowViewTallyDlg;
    Strings ids, tallies;
    const auto closeAfter = [&](platform::Micros after, bool openAgain) {
        t.clock.scheduleAfter(after, [&, openAgain] {
            t.loop.post([&, openAgain] {
                auto* w = dynamic_cast<Tally*>(platform::TestDriver::findForm("ViewTallyDlg"));
                ASSERT_NE(w, nullptr);
                std::tie(ids, tallies) = std::pair(texts(w->PrinterIDText), texts(w->PrinterTallyText));
                t.driver.closeBox(*w);
                if (openAgain) t.loop.post([&] { ASSERT_TRUE(t.clickButton(5)); });
            });
        });
    };
    for (int round = 0; round < 5; ++round) {
        if (checkAnswerLost) t.printer.skipStatusReplies(1);
        ids.clear();
        const bool atOnce = firstClosedAtOnce && round == 0;
        const platform::Micros filled = 3000'000 + 3 * t.lateMs() * 1000;
        closeAfter(atOnce ? 1000'000 : filled, atOnce);
        if (atOnce) closeAfter(1000'000 + filled, false);
        ASSERT_TRUE(t.clickButton(5));
        EXPECT_EQ(std::pair(ids, tallies), std::pair(kIds, kTallies)) << round;
        if (lost == Lost::Firmware) t.printer.delayNextReply(printerlink::IdItemCommand(0xA3), platform::kForever);
        t.idle(100 + 200 * round);
    }
    EXPECT_EQ(t.told(), Strings{});
    EXPECT_EQ(texts(t.open<Tally>().PrinterIDText), kIds);
}
// Each read's wait ends when its report comes, not at a fixed step.
const Flow kTallyReadAtOnce{"TallyReadAtOnce", [](SlowPrinter& t) {
                                t.printer.clearLog();
                                auto& w = t.show<Tally>(1);
                                for (int ms = 0; ms < 2000 && texts(w.PrinterTallyText) != kTallies; ms += 5) t.idle(5);
                                const auto& log = t.printer.log();
                                const auto first = std::find_if(log.begin(), log.end(), [](const sim::SimLogEntry& e) {
                                    return !e.decoded.empty() && e.decoded.front().rfind("GS I @", 0) == 0;
                                });
                                ASSERT_NE(first, log.end());
                                EXPECT_LE(t.clock.now() - first->at, 300'000);
                                EXPECT_EQ(texts(w.PrinterIDText), kIds);
                            }};
// The configuration window's posted polls, left as it closes, cost the
// next window's logo erase nothing: their answers came in their reads.
const Flow kLogoAfterConfig{"LogoAfterConfig", [](SlowPrinter& t) {
                                t.driver.closeBox(t.show<Config>(8000));
                                t.idle(300);
                                auto& w = t.show<Diag>(200);
                                t.chooseLogoNext();
                                const std::size_t logged = t.printer.log().size();
                                ASSERT_TRUE(t.driver.click(w.DownloadLogoButton));
                                t.runFlow();
                                int erases = 0;
                                for (std::size_t i = logged; i < t.printer.log().size(); ++i)
                                    for (const std::string& name : t.printer.log()[i].decoded)
                                        erases += name.find("clear user-defined area") != std::string::npos;
                                EXPECT_EQ(erases, 1);
                                EXPECT_EQ(t.told(), Strings{});
                                EXPECT_EQ(t.printer.flash().logos.count(1), 1u);
                            }};
const Flow kReopened{"TallyReopened", [](SlowPrinter& t) { reopenTally(t, Lost::None); }};
const Flow kReopenedAfterQuickClose{"TallyReopenedAfterQuickClose",
                                    [](SlowPrinter& t) { reopenTally(t, Lost::None, true); }};
const Flow kReopenedCheckLost{"TallyReopenedCheckAnswerLost", [](SlowPrinter& t) { reopenTally(t, Lost::Check); }};
const Flow kReopenedFirmwareLost{"TallyReopenedFirmwareAnswerLost",
                                 [](SlowPrinter& t) { reopenTally(t, Lost::Firmware); }};

std::string rowName(const ::testing::TestParamInfo<SlowPrinter::ParamType>& info) {
    const Printer late = std::get<2>(info.param);
    return std::string(std::get<0>(info.param).name) + "_" + linkName(std::get<1>(info.param)) + "_" +
           (late.lateMs ? std::to_string(late.lateMs) + "ms" : "") + (late.fallsSilent ? "silentAndBack" : "") +
           (late.splitMs ? "split" : "") +
           (late.promptAgain ? "thenPrompt" : "");
}

// The flows whose checks a printer of the kind can upset: the panel's rows,
// the MICR result and the tally values.
std::vector<Flow> flowsNamed(std::initializer_list<std::string_view> names) {
    std::vector<Flow> out;
    for (const Flow& flow : kFlows)
        if (std::find(names.begin(), names.end(), flow.name) != names.end()) out.push_back(flow);
    return out;
}

INSTANTIATE_TEST_SUITE_P(SerialAndTcp, SlowPrinter,
                         ::testing::Combine(::testing::ValuesIn(kFlows), ::testing::Values(Link::Serial, Link::Lan),
                                            ::testing::Values(Late150, Late600, Late1000, Silent, SilentLate1000)),
                         rowName);
INSTANTIATE_TEST_SUITE_P(SerialReopened, SlowPrinter,
                         ::testing::Combine(::testing::Values(kReopened, kReopenedAfterQuickClose),
                                            ::testing::Values(Link::Serial),
                                            ::testing::Values(Late150, Late600)),
                         rowName);
// (On serial a printer 600 ms late has no time left for the check's resend
// within its 800 ms notice.)
INSTANTIATE_TEST_SUITE_P(CheckAnswerLost, SlowPrinter,
                         ::testing::Combine(::testing::Values(kReopenedCheckLost), ::testing::Values(Link::Serial, Link::Lan),
                                            ::testing::Values(Late150)),
                         rowName);
INSTANTIATE_TEST_SUITE_P(FirmwareAnswerLost, SlowPrinter,
                         ::testing::Combine(::testing::Values(kReopenedFirmwareLost), ::testing::Values(Link::Serial),
                                            ::testing::Values(Late150)),
                         rowName);
INSTANTIATE_TEST_SUITE_P(SerialAndTcpSplitPoll, SlowPrinter,
                         ::testing::Combine(::testing::ValuesIn(flowsNamed({"Receipt"})),
                                            ::testing::Values(Link::Serial, Link::Lan), ::testing::Values(Split300)),
                         rowName);
INSTANTIATE_TEST_SUITE_P(UsbHid, SlowPrinter,
                         ::testing::Combine(::testing::ValuesIn(kFlows), ::testing::Values(Link::Usb),
                                            ::testing::Values(Late150, Silent)),
                         rowName);
INSTANTIATE_TEST_SUITE_P(UsbHidAtOnce, SlowPrinter,
                         ::testing::Combine(::testing::Values(kTallyReadAtOnce, kLogoAfterConfig),
                                            ::testing::Values(Link::Usb),
                                            ::testing::Values(AtOnce)),
                         rowName);
// Each USB HID read waits 150 ms for its report; a later reply queues on the
// device until a read takes it, and must not be taken for a later request's.
INSTANTIATE_TEST_SUITE_P(UsbHidLate, SlowPrinter,
                         ::testing::Combine(::testing::ValuesIn(flowsNamed({"Receipt", "MicrRead", "TallyRead",
                                                                            "TallyClear"})),
                                            ::testing::Values(Link::Usb),
                                            ::testing::Values(Late600, Late1000, Late600ThenPrompt,
                                                              Late1000ThenPrompt)),
                         rowName);

}  // namespace
}  // namespace shelltest
