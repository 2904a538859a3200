// The probes after connecting: connection check, firmware version, LAN
// status request.
#include "LinkTestSupport.h"

namespace linktest {
namespace {

TEST_F(LinkTest, ConnectionCheckResendsShortRepliesThreeTimesThenGivesUp) {
    struct Case {
        const char* name;
        int type;
        bool secondRequestAnswered;
        int checksSent;
        bool passed;
    } cases[] = {
        {"slip model, one byte each time", 3, false, 4, false},
        {"slip model, both bytes", 3, true, 1, true},
        {"3680, one byte is enough", 5, false, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(connect(1, c.type));
        if (!c.secondRequestAnswered) printer.setReply({0x10, 0x04, 0x05}, {});
        printer.clearLog();
        link->m_iRetry = 0;
        link->m_bValidationSend = true;
        link->RequestConnectionCheckStatus();
        runFor(2000);
        EXPECT_EQ(countCommand("DLE EOT 2"), c.checksSent);
        EXPECT_EQ(link->m_CheckingConfiguration, c.passed);
        EXPECT_EQ(link->m_bConnectionCheckPassed, c.passed);
        EXPECT_EQ(link->m_bAwaitingConnectionStatus, !c.passed);
        EXPECT_EQ(link->m_iRetry, 0);
        EXPECT_TRUE(received.empty());
        link->DisconnectPrinter();
        printer.setReply({0x10, 0x04, 0x05}, {printer.config().status});
    }
}

TEST_F(LinkTest, ConnectionCheckGoesOutAsAnOutputReportOnUsbHid) {
    ASSERT_TRUE(connect(18));
    printer.clearLog();
    link->RequestConnectionCheckStatus();
    runFor(1);
    ASSERT_EQ(printer.log().size(), 1u);
    Bytes expected{0x08, 0x07, 0x10, 0x04, 0x02, 0x10, 0x04, 0x05};
    expected.resize(64, 0);
    EXPECT_EQ(printer.log()[0].raw, expected);
    EXPECT_EQ(countCommand("DLE EOT 2"), 1);
}

TEST_F(LinkTest, FirmwareVersionDecidesFortyEightColumnSupportByModel) {
    struct Case {
        int type;
        const char* firmware;
        bool before, after;
        double version;
    } cases[] = {
        {0, "0398", false, true, 398},  {0, "0397", true, false, 397}, {3, "4816", false, true, 4816},
        {7, "3544", true, false, 3544}, {5, "9999", false, false, 9999}, {5, "0001", true, true, 1},
        {0, "V2", true, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.firmware);
        ASSERT_TRUE(connect(1, c.type));
        printer.config().firmware = c.firmware;
        link->m_FWVersion48ColSupport = c.before;
        link->m_bFirmwareAnswered = false;
        link->RequestFirmwareVersion();
        runFor(20);
        EXPECT_FALSE(link->m_bAwaitingFirmware);
        EXPECT_TRUE(link->m_bFirmwareAnswered);
        EXPECT_EQ(link->m_dblFirmwareVersion, c.version);
        EXPECT_EQ(link->m_FWVersion48ColSupport, c.after);
        link->DisconnectPrinter();
    }
    EXPECT_TRUE(received.empty());
}

TEST_F(LinkTest, OneByteFirmwareReplySetsTheVersionButDoesNotCountAsAnAnswer) {
    ASSERT_TRUE(connect(1));
    printer.setReply({0x1D, 0x49, 0x40, 0xA3}, {0xA3});
    link->RequestFirmwareVersion();
    runFor(20);
    EXPECT_FALSE(link->m_bAwaitingFirmware);
    EXPECT_FALSE(link->m_bFirmwareAnswered);
    EXPECT_EQ(link->m_dblFirmwareVersion, 0);
}

TEST_F(LinkTest, FirmwareRequestIsAnsweredOnEveryLink) {
    for (int port : {1, 17, 18}) {
        SCOPED_TRACE(port);
        ASSERT_TRUE(connect(port, 0));
        link->m_bFirmwareAnswered = false;
        link->RequestFirmwareVersion();
        runFor(20);
        EXPECT_TRUE(link->m_bFirmwareAnswered);
        EXPECT_EQ(link->m_dblFirmwareVersion, 398);
        link->DisconnectPrinter();
    }
}

TEST_F(LinkTest, FirmwareRequestIsFramedOnlyWhileAUsbHidDeviceIsOpen) {
    ASSERT_TRUE(connect(1));
    link->m_BlnReconnect = true;  // left over from an earlier USB HID restart
    printer.clearLog();
    link->RequestFirmwareVersion();
    runFor(20);
    EXPECT_EQ(streamReceivedByPrinter(), (Bytes{0x1D, 0x49, 0x40, 0xA3}));
    EXPECT_EQ(link->m_dblFirmwareVersion, 398);
}

TEST_F(LinkTest, LanProbeRecordsWhichStatusRequestThePrinterAnswers) {
    struct Case {
        const char* name;
        bool gsEotAnswered, escVAnswered;
    } cases[] = {{"GS EOT", true, true}, {"ESC v only", false, true}, {"neither", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        printerlink::resetLinkModuleState();
        ASSERT_TRUE(connect(17));
        printer.setReply({0x1D, 0x04, 0x01}, c.gsEotAnswered ? Bytes{0x12} : Bytes{});
        // Bits 4 and 7 of every ESC v reply are clear.
        printer.setReply({0x1B, 0x76}, c.escVAnswered ? Bytes{0x00} : Bytes{});
        link->ProbeLanPrinterStatus();
        EXPECT_EQ(printerlink::bLanAnswersGsEot, c.gsEotAnswered);
        EXPECT_EQ(printerlink::bLanAnswersEscV, !c.gsEotAnswered && c.escVAnswered);
        link->DisconnectPrinter();
    }
}

}  // namespace
}  // namespace linktest
