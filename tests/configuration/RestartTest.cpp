// Reboot, Restore Default and Print Form on the simulated printer: the
// restart and the reconnect on each transport with their notices and
// waits on the virtual clock, the restore and print form commands, and the
// serial link check before them.
#include "ConfigWindowTestSupport.h"
#include "link/StatusHandshake.h"

namespace configtest {
namespace {

using platform::Bytes;
using configuration::settingChangedFlags;

constexpr const char* kRestarting = "Restarting POS Printer.\r\nPlease wait system will connect automatically.";
constexpr const char* kChecking = "Checking the printer is connected or not...";
constexpr const char* kDisconnected = "Printer is disconnected, because of some of interface parameters are changed ";

class Restart : public ConfigWindowWorld {
protected:
    std::vector<std::pair<std::string, int>> noticesShown() const {
        std::vector<std::pair<std::string, int>> out;
        for (const shelltest::NoticeSeen& n : notices)
            out.emplace_back(n.text, static_cast<int>(n.shownMs() + 0.5));
        return out;
    }
    bool linkUp() {
        shell::MainWindow& m = mainWindow();
        return m.MSCommCtrl.PortOpen() || m.Winsock.State() == platform::sck::Connected || m.m_lngHIDHandle > 0;
    }
};

TEST_F(Restart, RebootRestartsThePrinterAndTheLinkComesBackAsItsConnectionTypeSays) {
    struct Case {
        const char* name;
        Link link;
        int type;
        const char* connectionType;  // nullptr: as the connection dialog stored it
        bool groupA, groupB, restored;
        std::vector<std::pair<std::string, int>> notices;
        const char* message;  // after the question; nullptr: none
        bool windowOpen;  // and the link back
    } cases[] = {
        {"slip", Link::Serial, 0, nullptr, false, false, false,
         {{kRestarting, 17000}, {kRestarting, 1000}, {kChecking, 2000}, {"Printer is connected", 100}}, nullptr,
         true},
        {"receipt", Link::Serial, 7, nullptr, false, false, false,
         {{kRestarting, 10000}, {kRestarting, 1000}, {kChecking, 2000}, {"Printer is connected", 100}}, nullptr,
         true},
        {"printer class", Link::Serial, 7, "PRTR", false, false, false,
         {{kRestarting, 10000}, {kRestarting, 1000}, {kChecking, 2000}, {"Printer is connected", 100}}, nullptr,
         true},
        {"group A", Link::Serial, 7, nullptr, true, false, false, {{kRestarting, 10000}, {kRestarting, 1000}},
         nullptr, true},
        {"groups A and B", Link::Serial, 7, nullptr, true, true, false, {}, kDisconnected, false},
        {"TCP", Link::Lan, 7, nullptr, false, false, false, {{kRestarting, 10000}}, nullptr, true},
        {"USB HID", Link::Usb, 7, nullptr, false, false, false, {{kRestarting, 15000}}, nullptr, true},
        {"TCP restored", Link::Lan, 7, nullptr, false, false, true, {{"Checking printer connected or not...", 1500}},
         kDisconnected, false},
        {"USB HID restored", Link::Usb, 7, nullptr, false, false, true,
         {{"Checking printer connected or not...", 1500}}, kDisconnected, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settingChangedFlags = {};
        settingChangedFlags.hardware = c.groupA;
        settingChangedFlags.dataBits = c.groupB;
        printerlink::bRestartSentOnLink = false;
        connect(c.link, c.type);
        open();
        idle(5);
        dlg->bRestore = c.restored;
        if (c.connectionType) shell::WriteIniValue(shell::SettingsFilePath(), "Configurations", "ConnectionType",
                                                   c.connectionType);
        const int restartsBefore = printer.restarts();
        notices.clear();
        ASSERT_TRUE(driver.click(dlg->RebootButton));
        idle(20000);
        EXPECT_EQ(printer.restarts(), restartsBefore + 1);
        // A report whose first byte is no report ID is lost on the device.
        for (const sim::SimLogEntry& e : printer.log()) EXPECT_NE(e.framing, "unframed");
        EXPECT_EQ(noticesShown(), c.notices);
        EXPECT_EQ(messages.back().text, c.message ? c.message : "POS printer is restarting now, to effect the changes."
                                                                "\r\nDo you wish to continue?");
        EXPECT_EQ(dlg->isLoaded(), c.windowOpen);
        EXPECT_EQ(dlg->WantDisconnect(), !c.windowOpen);
        EXPECT_TRUE(printerlink::bPrinterRestarted);
        if (c.link == Link::Usb) {
            EXPECT_EQ(ini("Configurations", "PortNumber"), "18");
            EXPECT_FALSE(mainWindow().m_BlnReconnect) << "the reconnect is over";
        }
        EXPECT_EQ(printerlink::bRestartSentOnLink, c.link != Link::Serial && c.windowOpen);
        if (c.windowOpen) {
            // Back, still polled and online.
            EXPECT_TRUE(linkUp());
            idle(3100);
            EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Online");
            driver.click(dlg->CloseButton);
        }
        driver.click(mainWindow().FunctionButton(2));
        printer.restoreDevice();
    }
}

// The reconnect gives up on a printer that stays away: a window left open
// must not go on saying "Online" over a link that is gone.
TEST_F(Restart, APrinterThatDoesNotComeBackLeavesTheWindowOfflineOrClosed) {
    printer.config().restartTime = 60'000'000;
    for (const Link link : {Link::Serial, Link::Lan, Link::Usb}) {
        SCOPED_TRACE(shelltest::linkName(link));
        settingChangedFlags = {};
        connect(link, 7);
        open();
        idle(5);
        ASSERT_TRUE(driver.click(dlg->RebootButton));
        idle(30000);
        if (link == Link::Serial) {
            EXPECT_FALSE(dlg->isLoaded());
            EXPECT_EQ(messages.back().text, kDisconnected);
        } else {
            ASSERT_TRUE(dlg->isLoaded());
            EXPECT_EQ(dlg->PrinterOnlineText.Text(), "Offline");
            EXPECT_FALSE(dlg->ButtonGroup.Enabled());
            EXPECT_FALSE(dlg->RebootButton.Enabled());
            driver.click(dlg->CloseButton);
        }
        driver.click(mainWindow().FunctionButton(2));
        printer.restoreDevice();
    }
}

TEST_F(Restart, RestoreAndPrintFormSendTheirCommandOnEachLink) {
    struct Case {
        Link link;
        int type;
        bool restore;
        Bytes wire;
        std::vector<std::string> notices;
        const char* message;  // the last message; nullptr: none after the question
    } cases[] = {
        {Link::Lan, 11, true, {0x1F, 0x11, 0x60, 0x00, 0xFF}, {},
         "Configuration is restored to default, but it does not effect until the printer is restarted."},
        {Link::Usb, 11, true, {0x08, 0x06, 0x1F, 0x11, 0x60, 0x00, 0xFF}, {},
         "Configuration is restored to default, but it does not effect until the printer is restarted."},
        {Link::Serial, 0, true, {0x10, 0x04, 0x02, 0x1F, 0x11, 0x50, 0x00, 0xFF}, {kChecking},
         "Configuration is restored to default, but it does not effect until the printer is restarted."},
        {Link::Usb, 14, false, {0x08, 0x05, 0x1F, 0x74, 0x00, 0x01}, {}, nullptr},
        {Link::Serial, 3, false, {0x10, 0x04, 0x02, 0x1F, 0x74}, {kChecking}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(shelltest::linkName(c.link)) + " type " + std::to_string(c.type));
        connect(c.link, c.type);
        open();
        idle(5);
        printer.clearLog();
        messages.clear();
        notices.clear();
        driver.pressKey(*dlg, 0, 0, c.restore ? '4' : '3');
        idle(5);
        Bytes wire;
        for (const sim::SimLogEntry& e : printer.log()) {
            Bytes raw = e.raw;
            while (e.hidReport && raw.back() == 0) raw.pop_back();
            wire.insert(wire.end(), raw.begin(), raw.end());
        }
        EXPECT_EQ(wire, c.wire);
        std::vector<std::string> shown;
        for (const auto& n : notices) shown.push_back(n.text);
        EXPECT_EQ(shown, c.notices);
        EXPECT_EQ(messages.size(), (c.restore ? 1u : 0u) + (c.message ? 1u : 0u));
        if (c.message) {
            EXPECT_EQ(messages.back().text, c.message);
        }
        EXPECT_EQ(dlg->bRestore, c.restore);
        driver.click(dlg->CloseButton);
        driver.click(mainWindow().FunctionButton(2));
    }
}

TEST_F(Restart, SerialPrintFormAndRestoreGiveUpWithoutAnAnswer) {
    for (char key : {'3', '4'}) {
        SCOPED_TRACE(key);
        connect(Link::Serial, 0);
        open();
        printer.setReplyFault(sim::ReplyFault::Silent);
        printer.clearLog();
        driver.pressKey(*dlg, 0, 0, key);
        EXPECT_EQ(printer.commands(), std::vector<std::string>{"DLE EOT 2"});
        EXPECT_EQ(messages.back().text, shell::kLostLinkMessage);
        EXPECT_TRUE(printerlink::bLinkLost && dlg->WantDisconnect() && !dlg->isLoaded());
        EXPECT_FALSE(printerlink::statusHandshake.bSendCmdForRealTimstatus);
        printer.setReplyFault(sim::ReplyFault::None);
        printerlink::bLinkLost = false;
        driver.click(mainWindow().FunctionButton(2));
    }
}

}  // namespace
}  // namespace configtest
