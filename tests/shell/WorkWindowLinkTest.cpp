// The link check every work window runs on a serial link, driven through a
// stand-in work window opened by the main window's hook; and the windows'
// shared bookkeeping of failed sends and of a polled printer's silence.
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
        : Form("StandInWindow"), m_MainComm(mainComm), pass(mainComm), TestButton(*this, "TestButton") {
        TestButton.Click = [this] {
            shell::RequestRealTimeStatus(m_MainComm, handshake(), pass);
            answered = shell::CheckSerialLink(m_MainComm, *this, handshake(), check);
            if (answered) platform::Unload(*this);
        };
    }
    // A handshake the link answers itself (the diagnostics window answers
    // its own from the replies it reads).
    static shell::RealTimeStatusHandshake handshake() {
        return {printerlink::statusHandshake.m_SendRealTimeStatusCmd,
                printerlink::statusHandshake.m_ResponseRealTimeStatusCmd};
    }

    shell::MainWindow& m_MainComm;
    shell::DoorPass pass;
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
            // What the user's first key after the window meets.
            loop.post([this, &main] { connectFocused = main.ActiveControl() == &main.FunctionButton(kConnectButton); });
        };
        EXPECT_TRUE(clickButton(kDiagnoseButton));
        return *standIn;
    }
    std::shared_ptr<StandInWindow> standIn;
    bool connectFocused = false;
};

TEST_F(WorkWindowLinkCheck, AnsweringPrinterPassesAfterTheTwoSecondNotice) {
    connect(Link::Serial);
    StandInWindow& w = runCheck();
    EXPECT_TRUE(w.answered);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, kNotice);
    EXPECT_DOUBLE_EQ(notices[0].shownMs(), 2000.0);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(printerlink::statusHandshake.m_ResponseRealTimeStatusCmd);
    EXPECT_FALSE(printerlink::statusHandshake.m_SendRealTimeStatusCmd);
    EXPECT_EQ(w.lostFlagsSet, 0);
}

TEST_F(WorkWindowLinkCheck, SilentPrinterTakesTheLostLinkExit) {
    connect(Link::Serial);
    printer.setReplyFault(sim::ReplyFault::Silent);
    mainWindow().bConnectButton = false;
    StandInWindow& w = runCheck();
    EXPECT_TRUE(connectFocused);
    EXPECT_FALSE(w.answered);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{shell::kLostLinkMessage});
    EXPECT_FALSE(messages[0].iconShown);
    EXPECT_EQ(w.lostFlagsSet, 1);
    EXPECT_FALSE(w.isLoaded());
    // The request nobody answered must not take the answer to the next
    // connection check.
    EXPECT_FALSE(printerlink::statusHandshake.m_SendRealTimeStatusCmd);
    EXPECT_FALSE(printerlink::statusHandshake.m_ResponseRealTimeStatusCmd);
}

TEST_F(WorkWindowLinkCheck, AnswerDuringTheSendFindsItsRequestFlag) {
    // With Xon/Xoff handshaking and CTS low the bytes go out, and the send
    // waits for the printer serving events, so the answer is routed before
    // the request returns.
    connect(Link::Serial);
    serial.Handshaking = platform::comm::HandshakeXonXoff;
    printer.setCtsLow(true);
    const shell::DoorPass pass(mainWindow());
    shell::RequestRealTimeStatus(mainWindow(), StandInWindow::handshake(), pass);
    EXPECT_TRUE(printerlink::statusHandshake.m_ResponseRealTimeStatusCmd);
    EXPECT_FALSE(printerlink::statusHandshake.m_SendRealTimeStatusCmd);
}

TEST_F(WorkWindowLinkCheck, FailedRequestLeavesNothingOwed) {
    connect(Link::Lan);
    const shell::DoorPass pass(mainWindow());
    ASSERT_TRUE(clickButton(2));
    EXPECT_TRUE(shell::RequestRealTimeStatus(mainWindow(), StandInWindow::handshake(), pass));
    EXPECT_FALSE(printerlink::statusHandshake.m_SendRealTimeStatusCmd);
    EXPECT_NE(pass.door().tryAsk(pass.owner(), printerlink::ReplyForm::Status, 0, 1, [] { return true; }), 0u);
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

// Whether an operation's sends reached the printer, asked of a check made
// while the link was up; `trouble` is what happened since it was made.
class SendCheckTest;
struct SendCheckCase {
    const char* name;
    Link link;
    std::function<void(SendCheckTest&)> before;  // before the check is made
    std::function<void(SendCheckTest&)> trouble;
    bool failed;   // told at once
    bool reached;  // told after the link had its moment
};
void PrintTo(const SendCheckCase& c, std::ostream* out) { *out << c.name; }

class SendCheckTest : public WorkWindowWorld, public ::testing::WithParamInterface<SendCheckCase> {
public:
    using WorkWindowWorld::clickButton;
    using WorkWindowWorld::mainWindow;
    static void send(SendCheckTest& w) { w.mainWindow().SendOutputFramed({0x1B, 0x40}); }
    static void closeAndReconnect(SendCheckTest& w) {
        w.printer.closeConnection();
        w.runFor(500);
        ASSERT_EQ(w.mainWindow().Winsock.State(), platform::sck::Connected);
    }
};

TEST_P(SendCheckTest, FailsOnceTheLinkLetTheOperationsBytesDown) {
    const SendCheckCase& c = GetParam();
    connect(c.link);
    if (c.before) c.before(*this);
    shell::SendCheck check(mainWindow());
    c.trouble(*this);
    EXPECT_EQ(check.failed(), c.failed);
    EXPECT_EQ(check.reached(), c.reached);
}

const SendCheckCase kSendCheckCases[] = {
    {"serial send taken", Link::Serial, nullptr, SendCheckTest::send, false, true},
    {"TCP send taken", Link::Lan, nullptr, SendCheckTest::send, false, true},
    {"USB HID send taken", Link::Usb, nullptr, SendCheckTest::send, false, true},
    {"USB HID send failed", Link::Usb, nullptr,
     [](SendCheckTest& w) {
         w.printer.removeDevice();
         SendCheckTest::send(w);
     },
     true, false},
    {"TCP lost and connected again", Link::Lan, nullptr, SendCheckTest::closeAndReconnect, true, false},
    {"TCP lost and connected again before the check", Link::Lan, SendCheckTest::closeAndReconnect, SendCheckTest::send,
     false, true},
    {"TCP closed by the user", Link::Lan, nullptr, [](SendCheckTest& w) { ASSERT_TRUE(w.clickButton(2)); }, true,
     false},
    // The reset comes in only after the send that met it has returned.
    {"TCP reset after the send", Link::Lan, nullptr,
     [](SendCheckTest& w) {
         SendCheckTest::send(w);
         w.tcpAdapter->resetConnection();
     },
     false, false},
    {"serial printer off through the settle wait", Link::Serial, nullptr,
     [](SendCheckTest& w) {
         w.printer.removeDevice();
         SendCheckTest::send(w);
     },
     true, false},
    {"serial printer back on after that", Link::Serial, nullptr,
     [](SendCheckTest& w) {
         w.printer.removeDevice();
         SendCheckTest::send(w);
         w.printer.restoreDevice();
     },
     false, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, SendCheckTest, ::testing::ValuesIn(kSendCheckCases));

TEST_F(WorkWindowLinkCheck, NestedOperationHasItsOwnSendCheckAndTheOuterOneComesBack) {
    connect(Link::Usb);
    shell::OperationSends operation(mainWindow());
    EXPECT_FALSE(operation.stopped());
    bool innerStopped = true, innerReached = false, outerStoppedAfter = false;
    const bool outerReached = operation.run([&] {
        printer.removeDevice();
        mainWindow().SendOutputFramed({0x1B, 0x40});
        ASSERT_TRUE(operation.stopped());
        // As a handler that runs during one of the outer operation's waits.
        innerReached = operation.run([&] { innerStopped = operation.stopped(); });
        outerStoppedAfter = operation.stopped();
    });
    EXPECT_FALSE(outerReached);
    EXPECT_TRUE(innerReached);
    EXPECT_FALSE(innerStopped);
    EXPECT_TRUE(outerStoppedAfter);
    EXPECT_FALSE(operation.stopped()) << "no operation runs now";
}

// A poll every second, as the diagnostics window's; the printer's time to
// answer is the TCP watchdog's five seconds.
TEST(PollSilence, ShowsOfflineOnceASilenceAndOnlineWhenTheSilentPrinterAnswers) {
    constexpr int kAnswer = -1;
    struct Step {
        int pollAtMs;  // or kAnswer
        bool told;     // polled() or answered()
    };
    // Polls every second from `from` to `to`, none of them telling.
    const auto polls = [](int from, int to) {
        std::vector<Step> steps;
        for (int at = from; at <= to; at += 1000) steps.push_back({at, false});
        return steps;
    };
    const auto then = [](std::vector<Step> steps, std::initializer_list<std::vector<Step>> more) {
        for (const auto& m : more) steps.insert(steps.end(), m.begin(), m.end());
        return steps;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"silent for the watchdog's time, told once", then(polls(0, 4000), {{{5000, true}}, polls(6000, 9000)})},
        {"an answer starts the time afresh",
         then(polls(0, 4000), {{{kAnswer, false}}, polls(5000, 9000), {{10000, true}}})},
        {"online again after a silence, then a new silence told",
         then(polls(0, 4000),
              {{{5000, true}, {kAnswer, true}, {kAnswer, false}}, polls(6000, 10000), {{11000, true}}})},
        {"a poll long after its interval counts afresh",
         then(polls(0, 1000), {{{3500, false}}, polls(4500, 7500), {{8500, true}}})},
        {"a poll a little late does not", then(polls(0, 1000), {{{2900, false}, {3900, false}, {5000, true}}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shell::PollSilence silence(1000);
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.pollAtMs);
            const bool told =
                step.pollAtMs == kAnswer ? silence.answered() : silence.polled(platform::Micros(step.pollAtMs) * 1000);
            EXPECT_EQ(told, step.told);
        }
    }
}

}  // namespace
}  // namespace shelltest
