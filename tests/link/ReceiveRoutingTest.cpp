// The link's receive routes on their own, without a link or a window.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "link/IdItemCodes.h"
#include "link/ReceiveRouting.h"

namespace {

using platform::Bytes;
using printerlink::ReceiveRouting;
using Delivery = std::pair<std::string, Bytes>;

class ReceiveRoutingTest : public ::testing::Test {
protected:
    printerlink::StatusHandshake handshake;
    printerlink::LanTallyReplies tallies;
    bool awaitingConnection = false, awaitingFirmware = false;
    std::vector<Delivery> got;
    ReceiveRouting routing{{handshake, tallies, awaitingConnection, awaitingFirmware,
                            [this](const Bytes& d) { got.emplace_back("connection", d); },
                            [this](const Bytes& d) { got.emplace_back("firmware", d); },
                            [this](const Bytes& d) { got.emplace_back("windows", d); }}};
};

TEST_F(ReceiveRoutingTest, SerialInputGoesToTheFirstWaitingReceiverOnly) {
    struct Case {
        const char* name;
        bool diag, tally, config, connection, firmware;
        std::vector<Delivery> delivered;  // empty: a handshake took it
    };
    const Bytes in{0x12, 0x00};
    // The diagnostics window finds its answer itself, among the bytes it gets.
    for (const Case& c : {Case{"diagnostics first", true, true, true, true, true, {{"firmware", in}}},
                          Case{"tally window second", false, true, true, true, true, {}},
                          Case{"configuration third", false, false, true, true, true, {}},
                          Case{"connection check", false, false, false, true, true, {{"connection", in}}},
                          Case{"firmware", false, false, false, false, true, {{"firmware", in}}},
                          Case{"windows", false, false, false, false, false, {{"windows", in}}}}) {
        SCOPED_TRACE(c.name);
        handshake = {};
        handshake.bDiagStatusRequested = c.diag;
        handshake.m_SendRealTimeStatusCmd = c.tally;
        handshake.bSendCmdForRealTimstatus = c.config;
        awaitingConnection = c.connection;
        awaitingFirmware = c.firmware;
        got.clear();
        routing.routeSerialInput(in);
        EXPECT_EQ(got, c.delivered);
        // The one served is answered; the later ones stay up for the next input.
        EXPECT_FALSE(handshake.bDiagStatusAnswered);
        EXPECT_EQ(handshake.bDiagStatusRequested, c.diag);
        EXPECT_EQ(handshake.m_ResponseRealTimeStatusCmd, c.tally && !c.diag);
        EXPECT_EQ(handshake.m_SendRealTimeStatusCmd, c.tally && c.diag);
        EXPECT_EQ(handshake.bResponseForRealTimestatus, c.config && !c.tally && !c.diag);
        EXPECT_EQ(handshake.bSendCmdForRealTimstatus, c.config && (c.tally || c.diag));
    }
}

TEST_F(ReceiveRoutingTest, TcpDataFeedsTheTalliesAndGoesOnButNeverToTheConnectionCheck) {
    Bytes reply{printerlink::iditems::TallyCode(printerlink::iditems::kKnifeCuts, printerlink::iditems::IdItemOp::Read,
                                                false),
                '1', '2', 0x00};
    awaitingConnection = true;
    handshake.bDiagStatusRequested = true;
    tallies.m_bKnifeCut = true;
    routing.routeLanData(reply);
    EXPECT_EQ(tallies.m_KnifeCut, 12);
    awaitingFirmware = true;
    routing.routeLanData(reply);
    EXPECT_EQ(got, (std::vector<Delivery>{{"windows", reply}, {"firmware", reply}}));
    EXPECT_TRUE(handshake.bDiagStatusRequested) << "the status handshakes are serial only";
}

TEST_F(ReceiveRoutingTest, AUsbHidReportEndsAtItsFirstZeroByte) {
    awaitingConnection = true;
    routing.deliverHidReport({0x08, 0x03, 'A', 'B', 0x00, 'C'});
    awaitingFirmware = true;
    routing.deliverHidReport({0x00, 0x03, 'A'});
    EXPECT_EQ(got, (std::vector<Delivery>{{"windows", {0x08, 0x03, 'A', 'B'}}, {"firmware", {}}}));
}

// A firmware reply whose text is all there may still have its trailing byte
// to come, or none at all. A later byte is taken for that trailer only when
// it can be nothing else: were it a reply to a later request, whoever waits
// for replies would be one short from then on.
TEST_F(ReceiveRoutingTest, AFirmwareReplysTrailerIsEatenOnlyWhenNothingElseCanBeIt) {
    struct Case {
        const char* name;
        bool sentBetween;
        std::vector<Bytes> reads;  // after the reply
        std::vector<Delivery> delivered;
    };
    const Bytes reply{0xA3, '0', '3', '9', '8'};
    for (const Case& c : {Case{"trailer next", false, {{0x0D}}, {}},
                          Case{"trailer and data", false, {{0x0D, 'x'}}, {{"windows", {'x'}}}},
                          Case{"no trailer, status answer", false, {{0x12}}, {{"windows", {0x12}}}},
                          Case{"no trailer, request sent", true, {{0x00}}, {{"windows", {0x00}}}},
                          Case{"no trailer, data first", false, {{'x'}, {0x0D}},
                               {{"windows", {'x'}}, {"windows", {0x0D}}}}}) {
        SCOPED_TRACE(c.name);
        awaitingFirmware = true;
        routing.routeSerialInput(reply);
        awaitingFirmware = false;
        EXPECT_TRUE(routing.firmwareReplyOpen());
        if (c.sentBetween) routing.noteSent();
        got.clear();
        for (const Bytes& read : c.reads) routing.routeSerialInput(read);
        EXPECT_EQ(got, c.delivered);
        EXPECT_FALSE(routing.firmwareReplyOpen());
    }
}

}  // namespace
