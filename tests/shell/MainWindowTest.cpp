#include "ShellTestSupport.h"

#include "link/StatusHandshake.h"
#include "platform/forms/Keys.h"

namespace shelltest {
namespace {

using Strings = std::vector<std::string>;

constexpr int kExit = 0, kConnect = 1, kDisconnect = 2, kDiagnose = 3, kChangeConfiguration = 4, kViewTally = 5;
constexpr const char* kDtrDsrHint = "Make sure DSR Signal option is enabled in the communication interface";
constexpr const char* kNotConnected = "Printer is not connected,Verify the communication parameters";
constexpr const char* kConfigurationChanged =
    "Printer configuration has changed,Go back to Main window and reconnect with correct configurations";

enum class Link { Serial, Lan, Usb };

class MainWindowFlow : public ShellWorld {
protected:
    // Connect through the dialog to the simulated printer on `link`.
    void connect(Link link, int type = 0) {
        printer.config().printerType = type;
        answerDialog([this, link, type](shell::ConnectPrinterDlg& d) {
            chooseModel(d, type);
            if (link == Link::Lan) chooseLan(d);
            if (link == Link::Usb) choosePort(d, 18);
            pressOk(d);
        });
        if (link == Link::Serial) attachSerial();
        if (link == Link::Lan) attachTcp();
        if (link == Link::Usb) attachHid();
        ASSERT_TRUE(clickButton(kConnect));
        ASSERT_EQ(driver.pendingAnswers(), 0);
        idle(1000);
    }

    std::vector<bool> buttonsEnabled() {
        std::vector<bool> out;
        for (int i = 0; i <= 5; ++i) out.push_back(mainWindow().FunctionButton(i).Enabled());
        return out;
    }
    const std::vector<bool> kConnected{true, false, true, true, true, true};
    const std::vector<bool> kDisconnected{true, true, false, false, false, false};

    bool focused(int index) { return mainWindow().ActiveControl() == &mainWindow().FunctionButton(index); }
};

TEST_F(MainWindowFlow, StartsWithOnlyConnectAndExitAndTheVersion) {
    shell::MainWindow& w = mainWindow();
    EXPECT_EQ(buttonsEnabled(), kDisconnected);
    EXPECT_EQ(w.Caption(), kAppTitle);
    EXPECT_EQ(w.VersionText.Caption(), "Version " + std::to_string(platform::app().major()) + "." +
                                           std::to_string(platform::app().minor()) + "." +
                                           std::to_string(platform::app().revision()));
    EXPECT_EQ(w.m_lngHIDHandle, -1);
    EXPECT_EQ(w.PortNumber(), -1);
    EXPECT_EQ(w.PrinterType(), -1);
    EXPECT_EQ(w.PaperWidth(), -1);
}

TEST_F(MainWindowFlow, ConnectAndDisconnectOverEachLink) {
    // Only a serial printer's answer to the connection check is looked at,
    // and only then is the firmware version asked for.
    struct Case {
        Link link;
        std::string caption;  // after the title
        Strings messages;
        bool checked;
    } cases[] = {
        {Link::Serial, "", {kDtrDsrHint}, true},
        {Link::Lan, " - 3640(80.0mm) on LAN", {}, false},
        {Link::Usb, "", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.link));
        messages.clear();
        printer.clearLog();
        connect(c.link);
        EXPECT_EQ(messageTexts(), c.messages);
        EXPECT_EQ(buttonsEnabled(), kConnected);
        EXPECT_TRUE(focused(kDisconnect));
        EXPECT_EQ(mainWindow().Caption(), kAppTitle + c.caption);
        EXPECT_EQ(mainWindow().m_CheckingConfiguration, c.checked);
        if (c.checked) {
            EXPECT_GE(countCommand("GS I @ A3 (firmware)"), 1);
        }
        EXPECT_GE(countCommand("DLE EOT 2"), 1);

        ASSERT_TRUE(clickButton(kDisconnect));
        EXPECT_EQ(messageTexts(), c.messages);
        EXPECT_EQ(buttonsEnabled(), kDisconnected);
        EXPECT_TRUE(focused(kConnect));
        EXPECT_EQ(mainWindow().Caption(), kAppTitle);
        EXPECT_FALSE(serial.PortOpen());
    }
}

TEST_F(MainWindowFlow, LanProbeFlagsDoNotOutliveTheirConnect) {
    connect(Link::Lan);
    EXPECT_TRUE(printerlink::bLanAnswersGsEot);
    printerlink::bSuppressLanTimeout = true;  // as a printer restart over TCP leaves it
    // As a TCP restart leaves it where no TCP send completes (a settings file
    // edited to say TCP on a serial link): the next TCP link's first send
    // would reconnect through a second connection dialog.
    printerlink::bLanRestartPending = true;
    ASSERT_TRUE(clickButton(kDisconnect));
    connect(Link::Serial);
    EXPECT_FALSE(printerlink::bLanAnswersGsEot);
    EXPECT_FALSE(printerlink::bLanAnswersEscV);
    EXPECT_FALSE(printerlink::bSuppressLanTimeout) << "a new connection reports a TCP printer that stops answering";
    EXPECT_FALSE(printerlink::bLanRestartPending);
}

TEST_F(MainWindowFlow, SilentSerialPrinterIsClosedAgainWithOneMessage) {
    serial.setPeerSettings("9600,N,8,1");  // the dialog offers 115200 first
    connect(Link::Serial);
    EXPECT_EQ(messageTexts(), (Strings{kDtrDsrHint, kNotConnected}));
    EXPECT_FALSE(serial.PortOpen());
    EXPECT_EQ(buttonsEnabled(), kDisconnected);
    EXPECT_FALSE(printerlink::bVerifySerialLink);
}

TEST_F(MainWindowFlow, CancelledDialogIsNoConnectionError) {
    for (int port : {1, 17, 18}) {
        SCOPED_TRACE(port);
        answerDialog([this, port](shell::ConnectPrinterDlg& d) {
            choosePort(d, port);
            pressCancel(d);
        });
        ASSERT_TRUE(clickButton(kConnect));
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(buttonsEnabled(), kDisconnected);
    }
}

TEST_F(MainWindowFlow, FailedConnectsAreReportedByLink) {
    // The TCP control tells of the refused connection itself first.
    struct Case {
        int port;
        Strings texts;
    } cases[] = {
        {17,
         {"Connection refused (192.168.1.50:9100)",
          "An error occured in Opening LAN connection\r\n\r\n    Reason = Opening LAN connection\r\n    "
          "Error Code = 1"}},
        {18, {"An error occurred in Connection"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        messages.clear();
        answerDialog([this, &c](shell::ConnectPrinterDlg& d) {
            c.port == 17 ? chooseLan(d) : choosePort(d, c.port);
            pressOk(d);
        });
        ASSERT_TRUE(clickButton(kConnect));
        EXPECT_EQ(messageTexts(), c.texts);
        EXPECT_EQ(buttonsEnabled(), kDisconnected);
    }
}

TEST_F(MainWindowFlow, SettingsFileThatCannotBeWrittenFailsTheConnectWithOneReport) {
    fs::create_directory(folder / "DuRudo.ini");  // no file can take its place, whoever runs the test
    const std::string report =
        "An error occured in Opening Serial Port\r\n\r\n    Reason = Path/File access error\r\n    Error Code = 75";
    struct Case {
        Link link;
        Strings texts;
    } cases[] = {
        {Link::Serial, {kDtrDsrHint, report}},
        {Link::Lan, {report}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.link));
        messages.clear();
        c.link == Link::Lan ? attachTcp() : attachSerial();
        printer.clearLog();
        answerDialog([this, &c](shell::ConnectPrinterDlg& d) {
            if (c.link == Link::Lan) chooseLan(d);
            pressOk(d);
        });
        ASSERT_TRUE(clickButton(kConnect));
        EXPECT_EQ(messageTexts(), c.texts);
        EXPECT_FALSE(serial.PortOpen());
        EXPECT_EQ(tcp.State(), platform::sck::Closed);
        EXPECT_TRUE(streamReceivedByPrinter().empty());
        EXPECT_EQ(buttonsEnabled(), kDisconnected);
        EXPECT_TRUE(fs::is_directory(folder / "DuRudo.ini"));
    }
}

TEST_F(MainWindowFlow, LanPrinterThatResetTheConnectionLeavesTheUserFreeToConnectAgain) {
    struct Case {
        int button;
        bool whileWindowOpen;
        Strings texts;
    } cases[] = {
        {kDiagnose, false, {"The printer on COM17 is not online.\r\nPlease check printer cable and power."}},
        {kDisconnect, false, {}},
        // The window closes and Alt+C follows at once: Connect takes it.
        {kDiagnose, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        connect(Link::Lan);
        bool connectOffered = false;
        mainWindow().workWindows.diagnose = [&](shell::MainWindow& w) {
            tcpAdapter->resetConnection();
            idle(100);
            messages.clear();
            loop.post([&] {
                answerDialog([&](shell::ConnectPrinterDlg& d) {
                    connectOffered = true;
                    pressCancel(d);
                });
                driver.pressKey(w, 'C', platform::vbAltMask);
            });
        };
        if (!c.whileWindowOpen) {
            tcpAdapter->resetConnection();
            idle(100);
            messages.clear();
        }
        ASSERT_TRUE(clickButton(c.button));
        EXPECT_EQ(connectOffered, c.whileWindowOpen);
        EXPECT_EQ(messageTexts(), c.texts);
        EXPECT_EQ(buttonsEnabled(), kDisconnected);
        EXPECT_EQ(mainWindow().Caption(), kAppTitle);
        if (c.button == kDisconnect) {
            EXPECT_TRUE(focused(kConnect)) << "a successful disconnect";
        }
        connect(Link::Serial);
        EXPECT_EQ(buttonsEnabled(), kConnected);
        EXPECT_EQ(mainWindow().Caption(), kAppTitle);
        ASSERT_TRUE(clickButton(kDisconnect));
    }
}

TEST_F(MainWindowFlow, PortTextThatIsNoWholeNumberIsATypeMismatch) {
    attachTcp();
    for (const char* text : {"9100x", "91O0"}) {
        SCOPED_TRACE(text);
        messages.clear();
        answerDialog([this, text](shell::ConnectPrinterDlg& d) {
            chooseLan(d);
            driver.editText(d.EthernetSetting(1), text);
            pressOk(d);
        });
        ASSERT_TRUE(clickButton(kConnect));
        EXPECT_EQ(messageTexts(), (Strings{"An error occured in Opening LAN connection\r\n\r\n    Reason = Type "
                                           "mismatch\r\n    Error Code = 13"}));
        EXPECT_EQ(buttonsEnabled(), kDisconnected);
        EXPECT_TRUE(streamReceivedByPrinter().empty());
    }
}

TEST_F(MainWindowFlow, WorkButtonsNeedAnOnlinePrinter) {
    int diagnosed = 0;
    mainWindow().workWindows.diagnose = [&](shell::MainWindow&) { ++diagnosed; };
    connect(Link::Serial);
    messages.clear();
    ASSERT_TRUE(clickButton(kDiagnose));
    EXPECT_EQ(diagnosed, 1);
    EXPECT_TRUE(messages.empty());

    printer.setCtsLow(true);
    loop.doEvents();
    for (int button : {kDiagnose, kChangeConfiguration}) {
        messages.clear();
        ASSERT_TRUE(clickButton(button));
        EXPECT_EQ(messageTexts(),
                  Strings{"The printer on COM1 is not online.\r\nPlease check printer cable and power."});
    }
    EXPECT_EQ(diagnosed, 1);
}

TEST_F(MainWindowFlow, NotOnlineMessageNamesTheLanPortNumber) {
    connect(Link::Lan);
    printer.removeDevice();
    loop.doEvents();
    messages.clear();
    ASSERT_TRUE(clickButton(kDiagnose));
    // The link reports its failed reconnect as well.
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].text, "The printer on COM17 is not online.\r\nPlease check printer cable and power.");
}

TEST_F(MainWindowFlow, ChangeConfigurationMayAskForADisconnect) {
    int opened = 0;
    mainWindow().workWindows.changeConfiguration = [&](shell::MainWindow&) { return ++opened == 2; };
    connect(Link::Serial);
    ASSERT_TRUE(clickButton(kChangeConfiguration));
    EXPECT_EQ(buttonsEnabled(), kConnected);
    ASSERT_TRUE(clickButton(kChangeConfiguration));
    EXPECT_EQ(opened, 2);
    EXPECT_FALSE(serial.PortOpen());
    EXPECT_EQ(buttonsEnabled(), kDisconnected);
    EXPECT_TRUE(focused(kConnect));
}

TEST_F(MainWindowFlow, ViewTallyChecksTheSerialLinkFirst) {
    struct Case {
        Link link;
        bool silent;
        int notices;
        Strings messages;
        int tallyWindows;
    } cases[] = {
        {Link::Serial, false, 1, {}, 1},
        {Link::Lan, false, 0, {}, 1},
        {Link::Usb, false, 0, {}, 1},
        {Link::Serial, true, 1, {kConfigurationChanged}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.link) << " silent " << c.silent);
        int tallies = 0;
        bool buttonOffWhileOpen = false;
        mainWindow().workWindows.viewTally = [&](shell::MainWindow& w) {
            ++tallies;
            buttonOffWhileOpen = !w.FunctionButton(kViewTally).Enabled();
        };
        connect(c.link);
        printer.setReplyFault(c.silent ? sim::ReplyFault::Silent : sim::ReplyFault::None);
        messages.clear();
        notices.clear();
        printerlink::resetLinkModuleState();
        ASSERT_TRUE(clickButton(kViewTally));
        EXPECT_TRUE(printerlink::statusHandshake.m_Flag);
        ASSERT_EQ(static_cast<int>(notices.size()), c.notices);
        if (c.notices) {
            EXPECT_EQ(notices[0].text, "Checking the printer connection....");
            EXPECT_NEAR(notices[0].shownMs(), 800, 1);
        }
        EXPECT_EQ(messageTexts(), c.messages);
        EXPECT_EQ(tallies, c.tallyWindows);
        EXPECT_EQ(buttonOffWhileOpen, c.tallyWindows > 0);
        if (c.silent) {
            EXPECT_TRUE(printerlink::bAutoReconnect);
            EXPECT_FALSE(serial.PortOpen());
            EXPECT_EQ(buttonsEnabled(), kDisconnected);
        } else {
            EXPECT_EQ(buttonsEnabled(), kConnected);
            ASSERT_TRUE(clickButton(kDisconnect));
        }
        printer.setReplyFault(sim::ReplyFault::None);
    }
}

// A click while a work window's opening waits, serving events, does nothing.
TEST_F(MainWindowFlow, NoButtonActsWhileAWorkWindowOpens) {
    int opened = 0;
    mainWindow().workWindows.diagnose = [&](shell::MainWindow&) { ++opened; };
    connect(Link::Lan);
    for (int button : {kDiagnose, kDisconnect, kExit, -1}) {  // -1: the close box
        mainWindow().workWindows.viewTally = [&](shell::MainWindow&) {
            clock.scheduleAfter(1'000'000, [&] {
                loop.post([&] { button < 0 ? driver.closeBox(mainWindow()) : clickButton(button); });
            });
            runFor(3000);
        };
        ASSERT_TRUE(clickButton(kViewTally));
        EXPECT_TRUE(opened == 0 && messages.empty() && buttonsEnabled() == kConnected) << button;
    }
}

TEST_F(MainWindowFlow, ExitAsksAndDeletesTheSettingsFileOnlyFromTheButton) {
    struct Case {
        bool fromButton;
        char answer;
        bool ends, fileKept, stillLoaded;
    } cases[] = {
        {true, '0', false, true, true},
        {false, '0', false, true, true},
        {false, '1', true, true, false},
        {true, '1', true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << c.fromButton << " answer " << c.answer);
        if (window && !window->isLoaded()) window.reset();
        shell::MainWindow& w = mainWindow();
        w.bEnd = false;
        shell::WriteIniValue(shell::SettingsFilePath(), "Configurations", "PortNumber", "1");
        messages.clear();
        programEnds = 0;
        messageKeys = {c.answer};
        ASSERT_TRUE(c.fromButton ? clickButton(kExit) : driver.closeBox(w));
        EXPECT_EQ(messageTexts(), Strings{shell::MainWindow::kExitQuestion});
        EXPECT_EQ(programEnds, c.ends ? 1 : 0);
        EXPECT_EQ(settingsFileExists(), c.fileKept);
        EXPECT_EQ(w.isLoaded(), c.stillLoaded);
        // A cancelled Exit button leaves nothing behind; the close box
        // remembers the cancel.
        EXPECT_EQ(w.bEnd, !c.ends && !c.fromButton);
    }
}

}  // namespace
}  // namespace shelltest
