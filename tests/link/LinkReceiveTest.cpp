// Receiving: serial routing to the waiters, TCP tally parsers, the TCP reply
// watchdog and USB HID reads.
#include "LinkTestSupport.h"
#include "link/StatusHandshake.h"

namespace linktest {
namespace {

using printerlink::PrinterLink;

TEST_F(LinkTest, SerialReplyGoesToTheFirstWaiterAndOnlyThen) {
    ASSERT_TRUE(connect(1, 5));
    struct Case {
        const char* name;
        bool diag, tally, config;
        // Afterwards: which request flags are still set, which answered, and
        // what the window got of the printer's answer: the diagnostics
        // window reads it and answers its request itself.
        bool diagAnswered, tallyAnswered, configAnswered, tallyStillSet;
        Bytes delivered;
        Bytes answer = {0x12};
    } cases[] = {
        {"diagnostics and tally", true, true, false, false, false, false, true, {0x12}},
        {"tally", false, true, false, false, true, false, false, {}},
        {"configuration", false, false, true, false, false, true, false, {}},
        {"nobody", false, false, false, false, false, false, false, {0x12}},
        {"tally, no status byte", false, true, false, false, false, false, true, {0x00}, {0x00}},
        {"configuration, bytes around it", false, false, true, false, false, true, false, {'x', 'y'}, {'x', 0x12, 'y'}},
    };
    const printerlink::RequestDoor::Owner window = link->requestDoor().enter();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        printerlink::resetLinkModuleState();
        received.clear();
        printerlink::statusHandshake.bDiagStatusRequested = c.diag;
        printerlink::statusHandshake.m_SendRealTimeStatusCmd = c.tally;
        printerlink::statusHandshake.bSendCmdForRealTimstatus = c.config;
        printer.setReply({0x10, 0x04, 0x02}, c.answer);
        ASSERT_NE(link->requestDoor().tryAsk(window, printerlink::ReplyForm::Status, printerlink::kRealTimeStatus, 1,
                                             [&] { return link->SendRTOSCmd(Bytes{0x10, 0x04, 0x02}); }),
                  0u);
        runFor(20);
        link->requestDoor().forgetAll();
        EXPECT_EQ(printerlink::statusHandshake.bDiagStatusAnswered, c.diagAnswered);
        EXPECT_EQ(printerlink::statusHandshake.m_ResponseRealTimeStatusCmd, c.tallyAnswered);
        EXPECT_EQ(printerlink::statusHandshake.bResponseForRealTimestatus, c.configAnswered);
        EXPECT_EQ(printerlink::statusHandshake.m_SendRealTimeStatusCmd, c.tallyStillSet);
        EXPECT_EQ(printerlink::statusHandshake.bDiagStatusRequested, c.diag);
        EXPECT_EQ(received, c.delivered.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.delivered});
    }
}

TEST_F(LinkTest, SerialLineEventsReachTheWindowsAsStatus) {
    ASSERT_TRUE(connect(1));
    serial.setCts(false);
    runFor(10);
    EXPECT_EQ(statuses, std::vector<int>{3});
}

// The link raises its own codes beside the serial events; the windows must
// not take a TCP time-out for a line error.
TEST(LinkStatusCodes, OnlyTheSerialEventsAreLineChangesOrLineErrors) {
    struct Case {
        int status;
        bool lineChange, lineError;
    };
    for (const Case& c : std::vector<Case>{{3, true, false}, {4, true, false}, {2, false, false}, {5, false, false},
                                           {1001, false, true}, {1009, false, true},
                                           {printerlink::kLanTimeoutStatus, false, false},
                                           {printerlink::kPrinterAnswersAgainStatus, false, false},
                                           {printerlink::kHidPollTimeoutStatus, false, false}}) {
        EXPECT_EQ(printerlink::isLineChangeStatus(c.status), c.lineChange) << c.status;
        EXPECT_EQ(printerlink::isLineErrorStatus(c.status), c.lineError) << c.status;
    }
}

TEST_F(LinkTest, OneLanReplyFeedsEveryWaitingTallyParserAndStillReachesTheWindow) {
    ASSERT_TRUE(connect(17));
    link->m_blnReceiptLinecmd = true;
    link->m_bKnifeCut = true;
    link->m_bHoursOn = true;
    link->m_HoursOn = 7;
    Bytes reply{0x83};
    for (char ch : std::string("00012345")) reply.push_back(static_cast<std::uint8_t>(ch));
    reply.push_back(0x00);
    reply.push_back(0x87);
    for (char ch : std::string("99999999")) reply.push_back(static_cast<std::uint8_t>(ch));
    reply.push_back(0x00);
    tcpAdapter->send(reply);
    runFor(10);
    EXPECT_EQ(link->m_ReceiptLine, 12345);
    EXPECT_EQ(link->m_KnifeCut, 99999999);
    EXPECT_FALSE(link->m_blnReceiptLinecmd);
    EXPECT_FALSE(link->m_bKnifeCut);
    // The reply holds no hours-on tally: that request keeps waiting.
    EXPECT_TRUE(link->m_bHoursOn);
    EXPECT_EQ(link->m_HoursOn, 7);
    EXPECT_EQ(received, std::vector<Bytes>{reply});
}

TEST_F(LinkTest, LanWatchdogReportsASilentPrinterOnceUnlessSuppressed) {
    for (bool suppressed : {false, true}) {
        SCOPED_TRACE(suppressed);
        ASSERT_TRUE(connect(17));
        statuses.clear();
        printerlink::bSuppressLanTimeout = suppressed;
        printer.setReplyFault(sim::ReplyFault::Silent);
        ASSERT_TRUE(link->SendOutput(Bytes{0x1D, 0x04, 0x01}));
        runFor(4900);
        EXPECT_TRUE(statuses.empty());
        runFor(15000);
        EXPECT_EQ(statuses, suppressed ? std::vector<int>{} : std::vector<int>{11053});
        link->DisconnectPrinter();
    }
}

TEST_F(LinkTest, RefusedLanConnectShowsTheErrorAndReportsIt) {
    dialogs.choice.port = 17;
    dialogs.choice.ip = "192.168.1.77";
    dialogs.choice.hostPort = "9100";
    EXPECT_FALSE(link->ConnectPrinter());
    ASSERT_EQ(notices.messages.size(), 1u);
    EXPECT_NE(notices.messages[0].find("192.168.1.77"), std::string::npos) << notices.messages[0];
    EXPECT_EQ(statuses, std::vector<int>{11053});
}

// A printer that answers later than the read waits has its answer read at
// the next poll: a silent one is one whose second poll read in a row gets
// nothing, within one window's poll on one link.
TEST_F(LinkTest, UsbHidStatusPollWithoutReportTakesThePrinterOffline) {
    struct Case {
        const char* between;  // what comes between the two missed reads
        std::function<void()> run;
        bool offline;
    } cases[] = {
        {"nothing", [] {}, true},
        {"the polling window closes", [this] { link->forgetPollReads(); }, false},
        {"the link is opened again",
         [this] {
             link->DisconnectPrinter();
             EXPECT_TRUE(connect(18));
         },
         false},
    };
    Bytes poll{0x1D, 0x72, 0x01};
    PrinterLink::FrameHIDCommand(2, poll);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.between);
        ASSERT_TRUE(connect(18));
        statuses.clear();
        printer.setReply({0x1D, 0x72, 0x01}, {});  // the printer is silent
        link->m_AHPIBufferCmd = true;
        ASSERT_TRUE(link->SendOutput(poll));
        link->fncReadHIDData();
        EXPECT_TRUE(statuses.empty());
        EXPECT_TRUE(link->IsPrinterOnline());
        c.run();
        link->m_AHPIBufferCmd = true;
        ASSERT_TRUE(link->SendOutput(poll));
        link->fncReadHIDData();
        EXPECT_EQ(statuses, c.offline ? std::vector<int>{0} : std::vector<int>{});
        EXPECT_TRUE(received.empty());
        EXPECT_EQ(link->IsPrinterOnline(), !c.offline);
        link->DisconnectPrinter();
        printer.clearReplies();
    }
}

TEST_F(LinkTest, UsbHidStatusPollThatIsAnsweredRaisesNothing) {
    ASSERT_TRUE(connect(18));
    link->m_AHPIBufferCmd = true;
    Bytes poll{0x1D, 0x04, 0x01};
    PrinterLink::FrameHIDCommand(2, poll);
    ASSERT_TRUE(link->SendOutput(poll));
    link->fncReadHIDData();
    EXPECT_TRUE(statuses.empty());
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(link->IsPrinterOnline());
}

TEST_F(LinkTest, UsbHidReadDeliversTheReportUpToItsFirstZero) {
    ASSERT_TRUE(connect(18));
    hid.queueInputReport(hidAdapter->device(), {0x02, 0x41, 0x00, 0x42});
    link->fncReadHIDData();
    link->fncReadHIDData();  // nothing more comes: an empty delivery, no status
    EXPECT_EQ(received, (std::vector<Bytes>{{0x02, 0x41}, {}}));
    EXPECT_TRUE(statuses.empty());
}

}  // namespace
}  // namespace linktest
