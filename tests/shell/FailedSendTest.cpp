// A printer that goes away in the middle of an operation of a work window:
// on TCP it closes the connection just after it took the operation's first
// bytes (the close shows only after the sends have returned), on serial its
// port vanishes just after it answered the status request, on USB HID the
// device is gone when the button is pressed; a restart loses its printer
// just after its question was answered. Whatever the operation, the window
// ends it with its own offline or error message, never with its success
// message.
#include <algorithm>
#include <set>

#include "WorkWindowTestSupport.h"
#include "configuration/apply/ConfigurationApply.h"
#include "configuration/apply/ConnectionWriteBack.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "diagnostics/BitmapFiles.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "platform/dialogs/CommonDialog.h"
#include "shell/WorkWindowLink.h"
#include "tally/ViewTallyDlg.h"

namespace shelltest {
namespace {

const std::set<std::string> kSuccessMessages = {
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

class FailedSend : public WorkWindowWorld, public ::testing::WithParamInterface<std::tuple<Operation, Link>> {
public:
    using WorkWindowWorld::driver;
    using WorkWindowWorld::folder;

    FailedSend() { configuration::settingChangedFlags = {}; }

    configuration::ChangeConfigDlg& config() {
        return show(config_, platform::newForm<configuration::ChangeConfigDlg>(
                                 mainWindow(), std::make_unique<configuration::ConfigurationApply>()));
    }
    tally::ViewTallyDlg& tally() {
        printerlink::viewTallyDlgObject().m_Flag = true;
        return show(tally_, platform::newForm<tally::ViewTallyDlg>(mainWindow()));
    }
    diagnostics::DiagnosePrinterDlg& diag() {
        return show(diag_, platform::newForm<diagnostics::DiagnosePrinterDlg>(mainWindow()));
    }
    void press(platform::Control& control) {
        if (std::get<0>(GetParam()).vanishWhileAsked)
            driver.answerNext([this](platform::Form& question) {
                printer.scheduler().after(20'000, [this] { printer.removeDevice(); });
                driver.pressKey(question, '1');
            });
        else
            vanish();
        ASSERT_TRUE(driver.click(control));
    }

    // The window's own word for the failure: a configuration message, or
    // the tally and diagnostics windows shown offline (or gone, after their
    // lost-link exit).
    bool failureTold() const {
        if (config_)
            return std::any_of(messages.begin(), messages.end(),
                               [](const MessageSeen& m) { return kConfigurationFailures.count(m.text) > 0; });
        if (tally_) return !tally_->isLoaded() || tally_->PrinterOnlineText.Text() == "Offline";
        return !diag_->isLoaded() || diag_->PrinterOnlineText.Text() == "Offline";
    }

private:
    template <class Window>
    Window& show(std::shared_ptr<Window>& slot, std::shared_ptr<Window> window) {
        slot = std::move(window);
        slot->Show(platform::vbModeless, &mainWindow());
        idle(500);
        return *slot;
    }
    void vanish() {
        const Link link = std::get<1>(GetParam());
        if (link == Link::Usb) {
            printer.removeDevice();
            return;
        }
        printer.onLog = [this, link](const sim::SimLogEntry&) {
            if (std::exchange(vanishing_, true)) return;
            printer.scheduler().after(printer.config().replyDelay + 1000, [this, link] {
                link == Link::Lan ? printer.closeConnection() : printer.removeDevice();
            });
        };
    }

    bool vanishing_ = false;
    std::shared_ptr<configuration::ChangeConfigDlg> config_;
    std::shared_ptr<tally::ViewTallyDlg> tally_;
    std::shared_ptr<diagnostics::DiagnosePrinterDlg> diag_;
};

TEST_P(FailedSend, EndsWithTheWindowsOwnOfflineOrErrorMessage) {
    const auto& [operation, link] = GetParam();
    connect(link);
    operation.run(*this);
    idle(100);
    for (const MessageSeen& m : messages) EXPECT_EQ(kSuccessMessages.count(m.text), 0u) << m.text;
    EXPECT_TRUE(failureTold());
}

const Operation kOperations[] = {
    {"Apply",
     [](FailedSend& t) {
         auto& w = t.config();
         t.driver.click(w.CategoryButton(1));
         t.driver.click(w.Setting(2));
         t.driver.chooseListItem(w.SettingList(2), 1);
         t.press(w.ApplyButton);
     }},
    {"ApplyAll",
     [](FailedSend& t) {
         shell::WriteIniValue(shell::SettingsFilePath(), "SoftwareParameter", "2", "True");
         shell::WriteIniValue(shell::SettingsFilePath(), "Software", "DefaultLPI", "1");
         t.press(t.config().ApplyAll);
     }},
    {"RestoreDefaults", [](FailedSend& t) { t.press(t.config().RestoreDefaultButton); }},
    {"ConfigurationPrintForm", [](FailedSend& t) { t.press(t.config().PrintFormButton); }},
    {"Reboot", [](FailedSend& t) { t.press(t.config().RebootButton); }, true},
    {"TallyApply",
     [](FailedSend& t) {
         auto& w = t.tally();
         t.driver.click(w.PrinterID(1));
         t.driver.editText(w.PrinterIDText(1), "SN-4711");
         t.press(w.ApplyAndPrintButton);
     }},
    {"TallyClear",
     [](FailedSend& t) {
         auto& w = t.tally();
         t.driver.click(w.PrinterTally(1));
         t.press(w.ClearTallyButton);
     }},
    {"ClearUserArea", [](FailedSend& t) { t.press(t.tally().ClearUserAreaButton); }},
    {"TallyPrintForm", [](FailedSend& t) { t.press(t.tally().PrintFormButton); }},
    {"Receipt", [](FailedSend& t) { t.press(t.diag().ReceiptButton); }},
    {"DiagnosticsPrintForm", [](FailedSend& t) { t.press(t.diag().PrintFormButton); }},
    {"CashDrawers", [](FailedSend& t) { t.press(t.diag().DrawerButton); }},
    {"DownloadLogo",
     [](FailedSend& t) {
         const auto file = t.folder / "logo.bmp";
         diagtest::writeFile(file, diagtest::monoBitmap(16, 8, false, [](int x, int y) { return x == y; }));
         t.driver.answerNext([file](platform::Form& f) { dynamic_cast<platform::FileDialogForm&>(f).choose(file); });
         t.press(t.diag().DownloadLogoButton);
     }},
};

INSTANTIATE_TEST_SUITE_P(AcrossOperations, FailedSend,
                         ::testing::Combine(::testing::ValuesIn(kOperations),
                                            ::testing::Values(Link::Serial, Link::Lan, Link::Usb)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + linkName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace shelltest
