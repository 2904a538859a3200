// The configuration window's frame on the simulated printer: what it sends
// and polls on each link, its printer line, the online display and the
// enabling of its buttons, its keys, and its opening from the main window.
#include "ConfigWindowTestSupport.h"
#include "link/LinkFlags.h"
#include "platform/forms/Keys.h"

namespace configtest {
namespace {

// Records which printer commands the window asked for.
struct RecordedCommands : configuration::ConfigurationCommands {
    std::vector<std::string>* calls;
    explicit RecordedCommands(std::vector<std::string>& c) : calls(&c) {}
    void ApplyButton_Click(ChangeConfigDlg&) override { calls->push_back("apply"); }
    void RebootButton_Click(ChangeConfigDlg&) override { calls->push_back("reboot"); }
    void PrintFormButton_Click(ChangeConfigDlg&) override { calls->push_back("print"); }
    void RestoreDefaultButton_Click(ChangeConfigDlg&) override { calls->push_back("restore"); }
};

class ConfigWindow : public ConfigWindowWorld {
protected:
    ChangeConfigDlg& openRecorded() {
        dlg = platform::newForm<ChangeConfigDlg>(mainWindow(), std::make_unique<RecordedCommands>(calls));
        dlg->Show(platform::vbModeless, &mainWindow());
        return *dlg;
    }
    bool key(int ascii) { return driver.pressKey(*dlg, 0, 0, ascii); }
    std::vector<std::string> calls;
};

TEST_F(ConfigWindow, OpensAndPollsAsItsLinkAsks) {
    struct Case {
        Link link;
        const char* printerLine;
        std::vector<std::string> opening;
        int interval;
        const char* poll;
    } cases[] = {
        {Link::Serial, " 3650( 80.0mm) Printer on COM1:", {}, 500, nullptr},
        // The opening's 5001 yields let the designed 500 ms poll tick once first.
        {Link::Lan, " 3650( 80.0mm) Printer on Ethernet:", {"GS EOT 1", "GS US 0"}, 3000, "GS EOT 1"},
        {Link::Usb, " 3650( 80.0mm) Printer on AHPI:", {"GS US 0"}, 3000, "GS r 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(shelltest::linkName(c.link));
        connect(c.link, 3);
        printer.clearLog();
        open();
        idle(5);
        EXPECT_EQ(dlg->PrinterOnline.Caption(), c.printerLine);
        EXPECT_TRUE(dlg->Setting(11).Visible() && !dlg->Setting(12).Visible());  // twelve communication rows
        EXPECT_EQ(printer.commands(), c.opening);
        EXPECT_EQ(dlg->StatusTimer.Interval(), c.interval);
        printer.clearLog();
        idle(9100);
        const std::vector<std::string> polls =
            c.poll ? std::vector<std::string>(3, c.poll) : std::vector<std::string>{};
        EXPECT_EQ(printer.commands(), polls);
        EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Online");
        if (c.link == Link::Usb) {
            const platform::Bytes& report = printer.log().at(0).raw;
            EXPECT_EQ(platform::Bytes(report.begin(), report.begin() + 5), (platform::Bytes{8, 4, 0x1D, 0x72, 1}));
        }
        ASSERT_TRUE(driver.click(dlg->CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(ConfigWindow, StatusEventsTurnTheDisplayAndTheButtons) {
    connect(Link::Serial, 0);
    open();
    auto& link = mainWindow().OnStatusUpdated;
    const auto enabledNow = [&] {
        return dlg->ButtonGroup.Enabled() && dlg->RebootButton.Enabled() && dlg->RestoreDefaultButton.Enabled() &&
               dlg->PrintFormButton.Enabled();
    };
    EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Online");
    EXPECT_TRUE(enabledNow());
    EXPECT_FALSE(dlg->ApplyButton.Enabled());  // online, but nothing ticked
    tick(2);
    EXPECT_TRUE(dlg->SettingList(2).Visible() && dlg->ApplyButton.Enabled());
    for (int offline : {printerlink::kLanTimeoutStatus, printerlink::kHidPollTimeoutStatus}) {
        link.raise(4);
        link.raise(offline);
        EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Offline");
        EXPECT_FALSE(dlg->ButtonGroup.Enabled() || dlg->PrintFormButton.Enabled());
    }
    link.raise(1001);  // a line error: buffers purged, display as it was
    EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Offline");
    link.raise(4);
    EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Online");
    EXPECT_TRUE(enabledNow() && dlg->ApplyButton.Enabled());
    printer.setCtsLow(true);  // the link reports the line change
    idle(10);
    EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Offline");
    EXPECT_FALSE(dlg->ApplyButton.Enabled());
    printerlink::bRestartSentOnLink = true;
    // Unticked (in code: offline the model gate disables the rows): its list
    // goes, yet a restart sent over a link keeps Apply.
    dlg->Setting(2).setValue(platform::vbUnchecked);
    EXPECT_FALSE(dlg->SettingList(2).Visible());
    EXPECT_TRUE(dlg->ApplyButton.Enabled());
}

// A TCP printer the link has found silent keeps its connection: a window
// that opens on it shows it Offline from the start, and Online once it
// answers again.
// Found silent by the link's reply watchdog (TCP), or by the diagnostics
// window's own poll where the link cannot tell (USB HID).
TEST_F(ConfigWindow, OpensOfflineOnAPrinterFoundSilentUntilItAnswers) {
    for (const Link link : {Link::Lan, Link::Usb}) {
        SCOPED_TRACE(shelltest::linkName(link));
        connect(link, 0);
        printer.setReplyFault(sim::ReplyFault::Silent);
        if (link == Link::Lan) {
            ASSERT_TRUE(mainWindow().SendOutput(printerlink::GsEotStatusCommand(1)));
            idle(5500);  // the reply watchdog reports the silence
        } else {
            mainWindow().printerFoundSilent();
        }
        open();
        EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Offline");
        EXPECT_FALSE(dlg->ButtonGroup.Enabled() || dlg->PrintFormButton.Enabled());
        printer.setReplyFault(sim::ReplyFault::None);
        idle(3500);
        EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Online");
        EXPECT_TRUE(dlg->ButtonGroup.Enabled() && dlg->PrintFormButton.Enabled());
        ASSERT_TRUE(driver.click(dlg->CloseButton));
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(ConfigWindow, M27xKeepsRestartAndRestoreDisabledYetTheirKeysRun) {
    connect(Link::Usb, 14);
    openRecorded();
    EXPECT_EQ(dlg->CategoryButton(4).Caption(), "Form Mode");
    for (int status : {4, 0, 4}) {
        mainWindow().OnStatusUpdated.raise(status);
        EXPECT_FALSE(dlg->RebootButton.Enabled() || dlg->RestoreDefaultButton.Enabled());
    }
    EXPECT_FALSE(dlg->ApplyButton.Enabled());
    for (int ascii : {'1', '2', '3', '4'}) key(ascii);
    EXPECT_EQ(calls, (std::vector<std::string>{"reboot", "print", "restore"}));
    // Every row of this model is disabled: moving the focus there does nothing.
    key('6');
    EXPECT_NE(dlg->ActiveControl(), &dlg->Setting(0));
    key('0');
    EXPECT_FALSE(dlg->isLoaded());
}

TEST_F(ConfigWindow, KeysMoveTheFocusAndToggleTheFocusedBox) {
    connect(Link::Serial, 0);
    openRecorded();
    showCategory(1);
    EXPECT_TRUE(dlg->Setting(13).Visible() && !dlg->Setting(14).Visible());  // fourteen software rows
    key('5');
    EXPECT_EQ(dlg->ActiveControl(), &dlg->CategoryButton(1));
    key('6');
    EXPECT_EQ(dlg->ActiveControl(), &dlg->Setting(0));
    key('\r');
    EXPECT_EQ(dlg->Setting(0).Value(), 1);
    driver.pressKey(*dlg, platform::vbKeyF2);
    EXPECT_EQ(dlg->ActiveControl(), &dlg->SettingList(0));
    driver.pressKey(*dlg, platform::vbKeyF1);
    EXPECT_EQ(dlg->ActiveControl(), &dlg->Setting(0));
    key('1');
    EXPECT_EQ(calls, std::vector<std::string>{"apply"});
}

TEST_F(ConfigWindow, OpensFromChangeConfigurationAndLeavesNoTickBehind) {
    connect(Link::Lan, 9);
    driver.answerNext([this](platform::Form& form) {
        auto& window = dynamic_cast<ChangeConfigDlg&>(form);
        EXPECT_EQ(window.Setting(6).Caption(), "Reception Errors:");
        driver.click(window.Setting(6));
        driver.pressKey(window, 0, 0, '0');
    });
    ASSERT_TRUE(clickButton(kChangeConfigurationButton));
    EXPECT_EQ(driver.pendingAnswers(), 0);
    EXPECT_EQ(ini("CommuncationParameter", "6"), "False");
    EXPECT_EQ(mainWindow().Winsock.State(), platform::sck::Connected);
}

}  // namespace
}  // namespace configtest
