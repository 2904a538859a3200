// The link's receive routes on their own, without a link or a window.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <deque>
#include <functional>
#include <vector>

#include "link/IdItemCodes.h"
#include "link/ReceiveRouting.h"
#include "link/PrinterCommands.h"

namespace {

using platform::Bytes;
using printerlink::ReceiveRouting;
using Delivery = std::pair<std::string, Bytes>;

class ReceiveRoutingTest : public ::testing::Test {
protected:
    printerlink::StatusHandshake handshake;
    printerlink::LanTallyReplies tallies;
    bool awaitingConnection = false, awaitingFirmware = false;
    // What the request door finds the next status bytes answer: true, a
    // window's real-time status request.
    std::deque<bool> answersRequest;
    std::vector<Delivery> got;
    ReceiveRouting routing{{handshake, tallies, awaitingConnection, awaitingFirmware,
                            [this](const Bytes& d) { got.emplace_back("connection", d); },
                            [this](const Bytes& d) { got.emplace_back("firmware", d); },
                            [this](const Bytes& d) { got.emplace_back("windows", d); },
                            [this] {
                                if (answersRequest.empty()) return true;
                                const bool answers = answersRequest.front();
                                answersRequest.pop_front();
                                return answers;
                            },
                            [this] { return firmwareIsLinks; },
                            [this](std::uint8_t b) { return checkTakes(b); },
                            [this](std::uint8_t b) { return idReplyDue && b == kClassModelRead; }}};
    // The door's oldest firmware request is the link's; which bytes the
    // door finds answer the link's connection check.
    bool firmwareIsLinks = true;
    std::function<bool(std::uint8_t)> checkTakes = [](std::uint8_t) { return true; };
    // The door still expects a class/model reply (a closed window's).
    static constexpr std::uint8_t kClassModelRead = 0x27;
    bool idReplyDue = false;
};

TEST_F(ReceiveRoutingTest, SerialInputGoesToTheFirstWaitingReceiverOnly) {
    struct Case {
        const char* name;
        Bytes in;
        bool diag, tally, config, connection, firmware;
        bool answers;                     // the first handshake up takes its answer
        std::vector<Delivery> delivered;  // what no handshake took
        bool linksFirmware = true;        // the door's oldest firmware request is the link's
        bool checkByDoor = false;         // the check takes only its status bytes
        bool idReplyDue = false;          // a closed window's class/model reply may come
    };
    const Bytes in{0x12, 0x00}, fw{0xA3, '4', '8', '1', '6', 0x00};
    // The diagnostics window finds its answer itself, among the bytes it gets.
    for (const Case& c : {
             Case{"diagnostics first", in, true, true, true, true, true, false, {{"windows", in}}},
             Case{"tally window second", in, false, true, true, true, true, true, {{"connection", {0x00}}}},
             Case{"configuration third", in, false, false, true, true, true, true, {{"connection", {0x00}}}},
             Case{"connection check", in, false, false, false, true, true, false, {{"connection", in}}},
             Case{"firmware", fw, false, false, false, false, true, false, {{"firmware", fw}}},
             Case{"firmware not begun", in, false, false, false, false, true, false, {{"windows", in}}},
             Case{"windows", in, false, false, false, false, false, false, {{"windows", in}}},
             Case{"tally, no status byte", {'x', 0x00}, false, true, false, false, false, false,
                  {{"windows", {'x', 0x00}}}},
             Case{"configuration, bytes around the answer", {'x', 0x16, 'y', 0x12}, false, false, true, false, false,
                  true, {{"windows", {'x', 'y', 0x12}}}},
             Case{"tally, not a firmware reply's '6'", {0xA3, '4', '8', '1', '6', 0x00, 0x12}, false, true, false,
                  false, true, true, {{"firmware", fw}}},
             // A firmware reply and a window's reply are not the check's answer.
             Case{"check, firmware first", {0xA3, '4', '8', '1', '6', 0x00, 0x12, 'x'}, false, false, false, true,
                  true, false, {{"firmware", fw}, {"connection", {0x12}}, {"windows", {'x'}}}, true, true},
             Case{"check, a closed window's ID reply first", {0x27, '3', '6', '2', 0x0D, 0x12}, false, false, false,
                  true, false, false, {{"connection", {0x12}}, {"windows", {0x27, '3', '6', '2', 0x0D}}}, true, true,
                  true},
             Case{"check, an ID reply's trailing byte lost", {0x27, '3', '6', 0x12}, false, false, false, true, false,
                  false, {{"connection", {0x12}}, {"windows", {0x27, '3', '6'}}}, true, true, true},
             Case{"a window's firmware reply", fw, false, false, false, false, true, false, {{"windows", fw}}, false,
                  false}}) {
        SCOPED_TRACE(c.name);
        handshake = {};
        handshake.bDiagStatusRequested = c.diag;
        handshake.m_SendRealTimeStatusCmd = c.tally;
        handshake.bSendCmdForRealTimstatus = c.config;
        awaitingConnection = c.connection;
        awaitingFirmware = c.firmware;
        firmwareIsLinks = c.linksFirmware;
        idReplyDue = c.idReplyDue;
        checkTakes = [&c](std::uint8_t b) { return !c.checkByDoor || printerlink::isGsEotReply(b); };
        got.clear();
        routing.routeSerialInput(c.in);
        EXPECT_EQ(got, c.delivered);
        // The one served is answered; the later ones stay up for the next input.
        const bool tally = c.tally && !c.diag, config = c.config && !c.tally && !c.diag;
        EXPECT_FALSE(handshake.bDiagStatusAnswered);
        EXPECT_EQ(handshake.bDiagStatusRequested, c.diag);
        EXPECT_EQ(handshake.m_ResponseRealTimeStatusCmd, tally && c.answers);
        EXPECT_EQ(handshake.m_SendRealTimeStatusCmd, c.tally && !(tally && c.answers));
        EXPECT_EQ(handshake.bResponseForRealTimestatus, config && c.answers);
        EXPECT_EQ(handshake.bSendCmdForRealTimstatus, c.config && !(config && c.answers));
    }
}

TEST_F(ReceiveRoutingTest, TcpDataFeedsTheTalliesAndGoesOnButNeverToTheConnectionCheck) {
    Bytes reply{printerlink::iditems::TallyCode(printerlink::iditems::kKnifeCuts, printerlink::iditems::IdItemOp::Read,
                                                false),
                '1', '2', 0x00};
    awaitingConnection = true;
    handshake.bDiagStatusRequested = true;
    tallies.m_bKnifeCut = true;
    // The answer to the link's own check is the link's, and no window's.
    checkTakes = [](std::uint8_t b) { return b == 0x12; };
    routing.routeLanData({0x12});
    routing.routeLanData(reply);
    EXPECT_EQ(tallies.m_KnifeCut, 12);
    awaitingFirmware = true;
    const Bytes firmware{0xA3, '0', '3', '9', '8', 0x00};
    routing.routeLanData(firmware);
    EXPECT_EQ(got, (std::vector<Delivery>{{"windows", reply}, {"firmware", firmware}}));
    EXPECT_TRUE(handshake.bDiagStatusRequested) << "the status handshakes are serial only";
}

TEST_F(ReceiveRoutingTest, AUsbHidReportEndsAtItsFirstZeroByte) {
    awaitingConnection = true;
    routing.deliverHidReport({0x08, 0x03, 'A', 'B', 0x00, 'C'});
    awaitingFirmware = true;
    routing.deliverHidReport({0x09, 0x01, 0x12, 0x00});  // not the firmware reply: no marker first
    routing.deliverHidReport({0x09, 0x03, 0xA3, '3', 0x00, 'C'});
    EXPECT_EQ(got, (std::vector<Delivery>{{"windows", {0x08, 0x03, 'A', 'B'}},
                                          {"windows", {0x09, 0x01, 0x12}},
                                          {"firmware", {0x09, 0x03, 0xA3, '3'}}}));
}

// A firmware reply whose text is all there may still have its trailing byte
// to come, or none at all. A later byte is taken for that trailer only when
// it can be nothing else: were it a reply to a later request, whoever waits
// for replies would be one short from then on.
TEST_F(ReceiveRoutingTest, AFirmwareReplysTrailerIsEatenOnlyWhenNothingElseCanBeIt) {
    struct Case {
        const char* name;
        Bytes tail;  // in the reply's own read
        bool sentBetween;
        std::vector<Bytes> reads;  // after the reply
        std::vector<Delivery> delivered;
    };
    const Bytes reply{0xA3, '0', '3', '9', '8'};
    for (const Case& c : {Case{"trailer next", {}, false, {{0x0D}}, {}},
                          Case{"trailer and data", {}, false, {{0x0D, 'x'}}, {{"windows", {'x'}}}},
                          Case{"no trailer, status answer", {}, false, {{0x12}}, {{"windows", {0x12}}}},
                          Case{"no trailer, request sent", {}, true, {{0x00}}, {{"windows", {0x00}}}},
                          Case{"no trailer, data first", {}, false, {{'x'}, {0x0D}},
                               {{"windows", {'x'}}, {"windows", {0x0D}}}},
                          Case{"no trailer, status answer in the same read", {0x12}, false, {{0x0D}},
                               {{"windows", {0x12}}, {"windows", {0x0D}}}},
                          Case{"trailer and status answer in the same read", {0x0D, 0x12}, false, {},
                               {{"windows", {0x12}}}}}) {
        SCOPED_TRACE(c.name);
        awaitingFirmware = true;
        got.clear();
        Bytes first = reply;
        first.insert(first.end(), c.tail.begin(), c.tail.end());
        routing.routeSerialInput(first);
        awaitingFirmware = false;
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.front().first, "firmware");
        got.erase(got.begin());
        EXPECT_EQ(routing.firmwareReplyOpen(), c.tail.empty());
        if (c.sentBetween) routing.noteSent();
        for (const Bytes& read : c.reads) routing.routeSerialInput(read);
        EXPECT_EQ(got, c.delivered);
        EXPECT_FALSE(routing.firmwareReplyOpen());
    }
}

}  // namespace
