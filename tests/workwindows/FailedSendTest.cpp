// A printer that goes away in the middle of a work window's operation: on
// TCP it closes the connection just after it took the operation's first
// bytes (which shows only after the sends have returned), on serial its port
// vanishes just after it answered the status request, on USB HID the device
// is gone when the button is pressed; a restart loses its printer just after
// its question was answered. The window ends the operation with its own
// offline or error message, never with its success message, and leaves
// nothing behind that only a success should.
#include <algorithm>
#include <set>

#include "OpenWindowWorld.h"
#include "configuration/apply/ConnectionWriteBack.h"
#include "shell/WorkWindowLink.h"

namespace shelltest {
namespace {

const std::set<std::string> kSuccesses = {
    "Configuration is updated, but it does not effect  until the printer is restarted.",
    "Configuration is restored to default, but it does not effect until the printer is restarted."};
const std::set<std::string> kConfigurationFailures = {
    "Cannot apply new configuration due to offline.", "Cannot restore configurations to default due to offline.",
    "Cannot print a diagnostic form due to offline.", "Cannot restart POS printer due to offline.",
    "Printer is disconnected, because of some of interface parameters are changed ", shell::kLostLinkMessage};

class FailedSend;
struct Operation {
    const char* name;
    std::function<void(FailedSend&)> run;  // opens its window and presses its button
    bool vanishWhileAsked = false;
};
void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

class FailedSend : public OpenWindowWorld, public ::testing::WithParamInterface<std::tuple<Operation, Link>> {
public:
    FailedSend() { configuration::settingChangedFlags = {}; }

    template <class Window>
    Window& open() {
        return show<Window>(500);
    }
    void press(platform::Control& button) {
        const Link link = std::get<1>(GetParam());
        if (std::get<0>(GetParam()).vanishWhileAsked)
            driver.answerNext([this](platform::Form& question) {
                printer.scheduler().after(20'000, [this] { printer.removeDevice(); });
                driver.pressKey(question, '1');
            });
        else if (link == Link::Usb)
            printer.removeDevice();
        else
            printer.onLog = [this, link](const sim::SimLogEntry&) {
                if (std::exchange(vanishing_, true)) return;
                printer.scheduler().after(printer.config().replyDelay + 1000, [this, link] {
                    link == Link::Lan ? printer.closeConnection() : printer.removeDevice();
                });
            };
        ASSERT_TRUE(driver.click(button));
    }

    // A configuration message, or the window shown offline (or gone after
    // its lost-link exit).
    bool failureTold() const {
        const auto told = [](const auto& w) { return !w.isLoaded() || w.PrinterOnlineText.Text() == "Offline"; };
        if (auto w = std::dynamic_pointer_cast<Tally>(workWindow)) return told(*w);
        if (auto w = std::dynamic_pointer_cast<Diag>(workWindow)) return told(*w);
        return std::any_of(messages.begin(), messages.end(),
                           [](const MessageSeen& m) { return kConfigurationFailures.count(m.text) > 0; });
    }

private:
    bool vanishing_ = false;
};

std::string storedBaudRate() { return shell::ReadIniValue(shell::SettingsFilePath(), "Configurations", "Baud Rate"); }

TEST_P(FailedSend, EndsWithTheWindowsOwnOfflineOrErrorMessage) {
    connect(std::get<1>(GetParam()));
    const std::string baudRate = storedBaudRate();
    std::get<0>(GetParam()).run(*this);
    idle(100);
    for (const MessageSeen& m : messages) EXPECT_EQ(kSuccesses.count(m.text), 0u) << m.text;
    EXPECT_TRUE(failureTold());
    // Nothing is left behind as if the printer had taken the operation.
    EXPECT_EQ(storedBaudRate(), baudRate) << "the next connect would use a speed the printer never took";
    EXPECT_FALSE(configuration::settingChangedFlags.groupA() || configuration::settingChangedFlags.groupB());
    EXPECT_FALSE(printerlink::bSuppressLanTimeout) << "a TCP printer that stops answering goes unreported";
    EXPECT_FALSE(mainWindow().m_bKnifeCut) << "later TCP replies go to a tally parser nobody waits on";
}

const Operation kOperations[] = {
    {"Apply",
     [](FailedSend& t) {
         auto& w = t.open<Config>();
         t.driver.click(w.CategoryButton(1));
         t.driver.click(w.Setting(2));
         t.press(w.ApplyButton);
     }},
    {"ApplyAll",
     [](FailedSend& t) {
         shell::WriteIniValue(shell::SettingsFilePath(), "SoftwareParameter", "2", "True");
         shell::WriteIniValue(shell::SettingsFilePath(), "Software", "DefaultLPI", "1");
         shell::WriteIniValue(shell::SettingsFilePath(), "CommuncationParameter", "1", "True");
         shell::WriteIniValue(shell::SettingsFilePath(), "CommuncationInterface", "BaudRate", "4");
         t.press(t.open<Config>().ApplyAll);
     }},
    {"RestoreDefaults", [](FailedSend& t) { t.press(t.open<Config>().RestoreDefaultButton); }},
    {"ConfigurationPrintForm", [](FailedSend& t) { t.press(t.open<Config>().PrintFormButton); }},
    {"Reboot", [](FailedSend& t) { t.press(t.open<Config>().RebootButton); }, true},
    {"TallyApplyAndPrint",
     [](FailedSend& t) {
         auto& w = t.open<Tally>();
         t.driver.click(w.PrinterID(1));
         t.press(w.ApplyAndPrintButton);
     }},
    {"TallyClear",
     [](FailedSend& t) {
         auto& w = t.open<Tally>();
         t.driver.click(w.PrinterTally(1));
         t.printer.setReplyFault(sim::ReplyFault::Silent);  // gone before it answers
         t.press(w.ClearTallyButton);
     }},
    {"ClearUserArea", [](FailedSend& t) { t.press(t.open<Tally>().ClearUserAreaButton); }},
    {"TallyPrintForm", [](FailedSend& t) { t.press(t.open<Tally>().PrintFormButton); }},
    {"Receipt", [](FailedSend& t) { t.press(t.open<Diag>().ReceiptButton); }},
    {"CashDrawers", [](FailedSend& t) { t.press(t.open<Diag>().DrawerButton); }},
    {"DownloadLogo",
     [](FailedSend& t) {
         t.chooseLogoNext();
         t.press(t.open<Diag>().DownloadLogoButton);
     }},
};

INSTANTIATE_TEST_SUITE_P(AcrossOperations, FailedSend,
                         ::testing::Combine(::testing::ValuesIn(kOperations),
                                            ::testing::Values(Link::Serial, Link::Lan, Link::Usb)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + linkName(std::get<1>(info.param));
                         });

// A TCP printer that closes the connection: every window shows it Offline at
// once, not when the reconnect (minutes, if nothing answers it) gives up, and
// Online again once it takes the reconnect and answers. After a restart,
// whose own close is expected, a printer that answered and then falls silent
// is told as before the restart.
class TcpPrinterGone : public OpenWindowWorld {
protected:
    template <class Window>
    void goAndMaybeComeBack(bool comesBack) {
        connect(Link::Lan);
        auto& window = show<Window>(4000);
        ASSERT_EQ(window.PrinterOnlineText.Text(), "Online");
        if (!comesBack) network.ignore(sim::kPrinterHost, sim::kPrinterPort);
        printer.closeConnection();
        EXPECT_TRUE(shownWithin(window.PrinterOnlineText, "Offline", 1000));
        EXPECT_EQ(shownWithin(window.PrinterOnlineText, "Online", 8000), comesBack);
        driver.click(window.CloseButton);
        ASSERT_TRUE(clickButton(kDisconnectButton));
        idle(1000);
    }
    static constexpr int kDisconnectButton = 2;
};

TEST_F(TcpPrinterGone, EveryWindowShowsItOfflineAtOnceAndOnlineWhenItAnswersAgain) {
    for (bool comesBack : {false, true}) {
        SCOPED_TRACE(comesBack ? "comes back" : "gone");
        goAndMaybeComeBack<Diag>(comesBack);
        goAndMaybeComeBack<Config>(comesBack);
        goAndMaybeComeBack<Tally>(comesBack);
    }
}

// Silent from the restart on: it takes the reconnect but never answers.
TEST_F(TcpPrinterGone, SilenceAfterARestartIsToldOnceThePrinterAnsweredOrHadItsTime) {
    for (bool answersFirst : {true, false}) {
        SCOPED_TRACE(answersFirst ? "answers first" : "never answers");
        connect(Link::Lan, 7);
        auto& window = show<Config>(500);
        ASSERT_TRUE(driver.click(window.RebootButton));
        if (answersFirst) {
            idle(20000);
            ASSERT_EQ(window.PrinterOnlineText.Text(), "Online");
        }
        printer.setReplyFault(sim::ReplyFault::Silent);
        EXPECT_TRUE(shownWithin(window.PrinterOnlineText, "Offline", answersFirst ? 9000 : 40000));
        printer.setReplyFault(sim::ReplyFault::None);
        EXPECT_TRUE(shownWithin(window.PrinterOnlineText, "Online", 4000));
        driver.click(window.CloseButton);
        ASSERT_TRUE(clickButton(kDisconnectButton));
        idle(1000);
    }
}

// A diagnostics test that sent its status request and went no further (the
// file dialog cancelled; the cash drawer, which an M27x has not) leaves the
// request to the window: closed while the printer is silent, the window
// lets go of it, so the next connection check gets its own answer.
class LeftRequest : public OpenWindowWorld {};

TEST_F(LeftRequest, ClosedDiagnosticsWindowLeavesViewTallyWorking) {
    struct Case {
        const char* name;
        int type;
        platform::CommandButton Diag::*button;
    } cases[] = {
        {"Download Logo cancelled", 0, &Diag::DownloadLogoButton},
        {"Cash Drawer on an M27x", 14, &Diag::DrawerButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        connect(Link::Serial, c.type);
        // Opened by its button, so the main window's check after the button
        // goes out too, while the printer is still silent.
        mainWindow().workWindows.diagnose = [&](shell::MainWindow&) {
            auto& w = show<Diag>(1500);
            printer.setReplyFault(sim::ReplyFault::Silent);
            if (c.type == 0)
                driver.answerNext([](platform::Form& f) { dynamic_cast<platform::FileDialogForm&>(f).cancel(); });
            (w.*c.button).setEnabled(true);
            driver.click(w.*c.button);
            driver.click(w.CloseButton);
        };
        ASSERT_TRUE(clickButton(kDiagnoseButton));
        idle(3000);
        printer.setReplyFault(sim::ReplyFault::None);
        messages.clear();
        std::string serialNumber;
        mainWindow().workWindows.viewTally = [&](shell::MainWindow&) {
            auto& tallyWindow = show<Tally>(3000);
            serialNumber = tallyWindow.PrinterIDText(1).Text();
            driver.click(tallyWindow.CloseButton);
        };
        ASSERT_TRUE(clickButton(kViewTallyButton));
        EXPECT_EQ(told(), Strings{});
        EXPECT_FALSE(serialNumber.empty()) << "the tally window read the printer";
        ASSERT_TRUE(clickButton(2));
        idle(1000);
    }
}

}  // namespace
}  // namespace shelltest
