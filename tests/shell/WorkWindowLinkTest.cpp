// The link check every work window runs on a serial link, driven through a
// stand-in work window opened by the main window's hook.
#include "WorkWindowTestSupport.h"

#include "link/ModelIdentifiers.h"
#include "platform/forms/CommandButton.h"
#include "shell/WorkWindowLink.h"

namespace shelltest {
namespace {

constexpr const char* kNotice = "Checking the printer is connected or not...";

// A work window with one test button whose handler requests the real-time
// status and checks the link, as every serial procedure does.
class StandInWindow : public platform::Form {
public:
    explicit StandInWindow(shell::MainWindow& mainComm)
        : Form("StandInWindow"), m_MainComm(mainComm), TestButton(*this, "TestButton") {
        TestButton.Click = [this] {
            shell::RequestRealTimeStatus(m_MainComm, handshake());
            answered = shell::CheckSerialLink(m_MainComm, *this, handshake(), check);
            if (answered) platform::Unload(*this);
        };
    }
    static shell::RealTimeStatusHandshake handshake() {
        return {printerlink::statusHandshake.bDiagStatusRequested, printerlink::statusHandshake.bDiagStatusAnswered};
    }

    shell::MainWindow& m_MainComm;
    platform::CommandButton TestButton;
    shell::SerialLinkCheck check{kNotice, 2000, [this] { ++lostFlagsSet; }};
    bool answered = false;
    int lostFlagsSet = 0;
};

class WorkWindowLinkCheck : public WorkWindowWorld {
protected:
    // Opens the stand-in through the Diagnose hook and presses its button.
    StandInWindow& runCheck() {
        mainWindow().workWindows.diagnose = [this](shell::MainWindow& main) {
            auto w = platform::newForm<StandInWindow>(main);
            standIn = w;
            driver.answerNext([this](platform::Form&) { driver.click(standIn->TestButton); });
            w->Show(platform::vbModal, &main);
        };
        EXPECT_TRUE(clickButton(kDiagnoseButton));
        return *standIn;
    }
    std::shared_ptr<StandInWindow> standIn;
};

TEST_F(WorkWindowLinkCheck, AnsweringPrinterPassesAfterTheTwoSecondNotice) {
    connect(Link::Serial);
    StandInWindow& w = runCheck();
    EXPECT_TRUE(w.answered);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, kNotice);
    EXPECT_DOUBLE_EQ(notices[0].shownMs(), 2000.0);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusAnswered);
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusRequested);
    EXPECT_EQ(w.lostFlagsSet, 0);
}

TEST_F(WorkWindowLinkCheck, SilentPrinterTakesTheLostLinkExit) {
    connect(Link::Serial);
    printer.setReplyFault(sim::ReplyFault::Silent);
    mainWindow().bConnectButton = false;
    StandInWindow& w = runCheck();
    EXPECT_FALSE(w.answered);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{shell::kLostLinkMessage});
    EXPECT_FALSE(messages[0].iconShown);
    EXPECT_EQ(w.lostFlagsSet, 1);
    EXPECT_FALSE(w.isLoaded());
    // The request nobody answered must not take the answer to the next
    // connection check.
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusRequested);
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusAnswered);
}

TEST_F(WorkWindowLinkCheck, AnswerDuringTheSendFindsItsRequestFlag) {
    // With Xon/Xoff handshaking and CTS low the bytes go out, and the send
    // waits for the printer serving events, so the answer is routed before
    // the request returns.
    connect(Link::Serial);
    serial.Handshaking = platform::comm::HandshakeXonXoff;
    printer.setCtsLow(true);
    shell::RequestRealTimeStatus(mainWindow(), StandInWindow::handshake());
    EXPECT_TRUE(printerlink::statusHandshake.bDiagStatusAnswered);
    EXPECT_FALSE(printerlink::statusHandshake.bDiagStatusRequested);
}

TEST_F(WorkWindowLinkCheck, ClosedTcpLinkRaisesNoTimeoutIntoTheNextLink) {
    connect(Link::Lan);
    std::vector<int> statuses;
    auto subscription = mainWindow().OnStatusUpdated.subscribe([&](int status) { statuses.push_back(status); });
    mainWindow().SendOutput(platform::Bytes{0x1D, 0x1F, 0x00});  // no reply: the watchdog runs
    ASSERT_TRUE(clickButton(2));
    connect(Link::Usb);
    runFor(6000);
    EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), printerlink::kLanTimeoutStatus) == statuses.end());
}

TEST_F(WorkWindowLinkCheck, BoundedWaitsStopWhenDoneOrAfterTheirRounds) {
    const platform::Micros start = clock.now();
    int polls = 0;
    EXPECT_FALSE(shell::waitRounds(20, 50, [&] { return ++polls > 100; }));
    EXPECT_NEAR(elapsedMs(start), 1000.0, 5.0);
    bool flag = false;
    EXPECT_TRUE(shell::requestThenWait(flag, [&] { EXPECT_TRUE(flag); }, 20, 50, [&] { return flag; }));
}

TEST_F(WorkWindowLinkCheck, EveryConnectionDialogProductHasItsTypesIdentifier) {
    for (int type = 0; type < shell::kPrinterTypeCount; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(printerlink::printerTypeForProduct(shell::UsbProductEntry(type)), type);
        EXPECT_EQ(printerlink::modelIdentifierForModelText(" " + shell::PrinterModelList[type]),
                  printerlink::modelIdentifierForType(type));
    }
}

}  // namespace
}  // namespace shelltest
