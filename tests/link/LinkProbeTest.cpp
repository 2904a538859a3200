// The probes after connecting: connection check, firmware version, LAN
// status request.
#include "LinkTestSupport.h"

#include "link/PrinterCommands.h"

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

TEST_F(LinkTest, OneByteFirmwareReplyDoesNotCountAsAnAnswer) {
    ASSERT_TRUE(connect(1));
    printer.setReply({0x1D, 0x49, 0x40, 0xA3}, {0xA3});
    link->RequestFirmwareVersion();
    runFor(printerlink::kReplyWaitMs + 20);  // the marker alone may be the first of several reads
    EXPECT_FALSE(link->m_bAwaitingFirmware);
    EXPECT_FALSE(link->m_bFirmwareAnswered);
    EXPECT_EQ(link->m_dblFirmwareVersion, 0);
}

// At 9600 baud, or across TCP segments, the reply comes in several reads a
// few milliseconds apart; a reply whose rest never comes tells nothing.
TEST_F(LinkTest, FirmwareReplyIsTakenOnlyWhenItHasEndedHoweverItIsSplit) {
    const Bytes reply{0xA3, '3', '5', '4', '5', 0x00};  // a 3690: 48 columns from 3545 on
    struct Case {
        const char* name;
        std::vector<std::size_t> cuts;  // where one read ends and the next begins
        std::size_t sent;               // bytes the printer gets out
        double version;
        bool answered;
        platform::Micros late = 0;  // after another window's send
    } cases[] = {
        {"marker first", {1}, 6, 3545, true},
        {"inside the number", {3}, 6, 3545, true},
        {"end byte alone", {5}, 6, 3545, true},
        {"each byte alone", {1, 2, 3, 4, 5}, 6, 3545, true},
        {"the rest never comes", {3}, 3, -1, false},
        {"never answered", {}, 0, -1, false},
        {"a second late, after another send", {}, 6, 3545, true, 1'000'000},
    };
    for (int port : {1, 17}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(port) + " " + c.name);
            ASSERT_TRUE(connect(port, 7));
            printer.setReply({0x1D, 0x49, 0x40, 0xA3}, {});
            link->m_dblFirmwareVersion = -1;
            link->m_FWVersion48ColSupport = false;
            link->m_bFirmwareAnswered = false;
            link->RequestFirmwareVersion();
            if (c.late > 0) link->SendOutput(Bytes{0x1B, 0x40});
            received.clear();
            std::size_t from = 0;
            for (std::size_t read = 0; from < c.sent; ++read) {
                const std::size_t to = read < c.cuts.size() ? c.cuts[read] : c.sent;
                const Bytes piece(reply.begin() + static_cast<std::ptrdiff_t>(from),
                                  reply.begin() + static_cast<std::ptrdiff_t>(to));
                printer.scheduler().after(c.late + 2000 * static_cast<platform::Micros>(read + 1),
                                          [this, piece] { printer.reply(piece); });
                from = to;
            }
            runFor(printerlink::kReplyWaitMs + 100);
            EXPECT_FALSE(link->m_bAwaitingFirmware);
            EXPECT_EQ(link->m_bFirmwareAnswered, c.answered);
            EXPECT_EQ(link->m_dblFirmwareVersion, c.version);
            EXPECT_EQ(link->m_FWVersion48ColSupport, c.answered);
            EXPECT_TRUE(received.empty()) << "no byte of the reply is the windows' data";
            link->DisconnectPrinter();
            printer.clearReplies();
        }
    }
}

// A printer that ends its firmware reply with no trailing byte: the answer
// to the next request is that request's, not the missing trailer, whether it
// comes in a read of its own or right behind the reply.
TEST_F(LinkTest, FirmwareReplyWithoutTrailerCostsNoLaterReply) {
    for (int port : {1, 17}) {
        for (const Bytes& reply : {Bytes{0xA3, '0', '3', '9', '8'}, Bytes{0xA3, '0', '3', '9', '8', 0x12}}) {
            SCOPED_TRACE(std::to_string(port) + " " + std::to_string(reply.size()));
            ASSERT_TRUE(connect(port, 0));
            printer.setReply({0x1D, 0x49, 0x40, 0xA3}, reply);
            printer.setReply({0x1D, 0x04, 0x01}, {0x12});
            received.clear();
            link->RequestFirmwareVersion();
            runFor(20);
            EXPECT_EQ(link->m_dblFirmwareVersion, 398);
            if (reply.size() == 5) link->SendOutput(printerlink::GsEotStatusCommand(1));
            runFor(20);
            EXPECT_EQ(received, std::vector<Bytes>{{0x12}});
            link->DisconnectPrinter();
            printer.clearReplies();
        }
    }
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
