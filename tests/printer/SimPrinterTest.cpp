// The simulated printer's core on the virtual clock, through a port that
// records what the printer does to its link.
#include "printer-sim/SimPrinter.h"

#include <gtest/gtest.h>

#include "printer-sim/HidReports.h"
#include "printer-sim/PrinterTypes.h"
#include "printer/SimulatedPrinterWorld.h"

namespace {

using platform::Bytes;

class RecordingPort : public sim::SimPort {
public:
    explicit RecordingPort(bool hid = false) : hid_(hid) {}
    bool reportFramed() const override { return hid_; }
    void send(const Bytes& bytes) override { sent.push_back(bytes); }
    void setLinkUp(bool up) override { changes.push_back(up ? "up" : "down"); }
    void setCts(bool asserted) override { changes.push_back(asserted ? "cts high" : "cts low"); }
    void closeConnection() override { changes.push_back("closed"); }

    std::vector<Bytes> sent;
    std::vector<std::string> changes;

private:
    bool hid_;
};

class SimPrinterTest : public ::testing::Test {
protected:
    SimPrinterTest() { printer.attach(&port); }
    // Everything the printer sent, as one stream.
    Bytes replies() const {
        Bytes all;
        for (const Bytes& b : port.sent) all.insert(all.end(), b.begin(), b.end());
        return all;
    }
    void settle() { clock.sleepFor(100'000); }

    platform::VirtualClock clock;
    sim::VirtualScheduler scheduler{clock};
    sim::SimPrinter printer{scheduler};
    RecordingPort port;
};

TEST_F(SimPrinterTest, AnswersTheStandardCommands) {
    struct Case {
        Bytes command;
        Bytes reply;
        const char* decoded;
    };
    const Case cases[] = {
        {{0x10, 0x04, 0x02}, {0x12}, "DLE EOT 2"},
        {{0x1D, 0x04, 0x01}, {0x12}, "GS EOT 1"},
        {{0x1B, 0x76}, {0x00}, "ESC v"},
        {{0x1D, 0x49, 0x40, 0xA3}, {0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}, "GS I @ A3 (firmware)"},
        {{0x1D, 0x72, 0x01}, {0x20}, "GS r 1"},  // no document in the slip station
        {{0x1D, 0x1F, 0x00}, {}, "GS US 0"},
        {{0x1B, 0x05}, {}, "unknown 1B 05"},
    };
    for (const Case& c : cases) {
        port.sent.clear();
        printer.clearLog();
        printer.receive(c.command);
        EXPECT_TRUE(port.sent.empty()) << "replies come after the reply delay";
        settle();
        EXPECT_EQ(replies(), c.reply) << c.decoded;
        EXPECT_EQ(printer.commands(), std::vector<std::string>{c.decoded});
        ASSERT_EQ(printer.log().size(), 1u);
        EXPECT_EQ(printer.log()[0].raw, c.command);
    }
}

TEST_F(SimPrinterTest, FindsCommandsAcrossAndWithinChunks) {
    printer.config().status = 0x16;
    printer.config().firmware = "0410";
    printer.receive({0x10, 0x04, 0x02, 0x10, 0x04, 0x05});
    printer.receive({0x41, 0x1D, 0x49});
    printer.receive({0x40, 0xA3});
    settle();
    EXPECT_EQ(replies(), (Bytes{0x16, 0x16, 0xA3, '0', '4', '1', '0', 0x0D}));
    ASSERT_EQ(printer.log().size(), 3u);
    EXPECT_EQ(printer.log()[0].decoded, (std::vector<std::string>{"DLE EOT 2", "DLE EOT 5"}));
    EXPECT_EQ(printer.log()[1].decoded, std::vector<std::string>{"text A"});
    EXPECT_EQ(printer.log()[2].decoded, std::vector<std::string>{"GS I @ A3 (firmware)"});
}

TEST_F(SimPrinterTest, InitialiseResetsAlignmentModeAndColour) {
    printer.receive({0x1B, 0x61, 0x01, 0x1B, 0x21, 0x30, 0x1B, 0x72, 0x01, 0x1B, 0x40, 'x', 0x0D, 0x0A});
    EXPECT_EQ(printer.paper().describe(), std::vector<std::string>{"line l00: x"});
}

TEST_F(SimPrinterTest, RepliesAndCommandsCanBeReplaced) {
    printer.setReply({0x10, 0x04, 0x04}, {0x72});
    printer.setReply({0x10, 0x04, 0x03}, {});
    printer.addCommand({{0x1D, 0x72, sim::kAnyByte}, {}, [](const Bytes&) { return "paper status"; },
                        [](sim::SimPrinter& p, const Bytes&) { p.reply({0x0F}); }});
    printer.receive({0x10, 0x04, 0x04, 0x10, 0x04, 0x03, 0x1D, 0x72, 0x01});
    settle();
    EXPECT_EQ(replies(), (Bytes{0x72, 0x0F}));
    EXPECT_EQ(printer.commands(), (std::vector<std::string>{"DLE EOT 4", "DLE EOT 3", "paper status"}));
}

TEST_F(SimPrinterTest, ReplyFaults) {
    struct Case {
        sim::ReplyFault fault;
        Bytes reply;
    };
    const Case cases[] = {
        {sim::ReplyFault::None, {0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}},
        {sim::ReplyFault::Silent, {}},
        {sim::ReplyFault::Short, {0xA3}},
        {sim::ReplyFault::Garbled, {0x5C, 0xCF, 0xCC, 0xC6, 0xC7, 0xF2}},
    };
    for (const Case& c : cases) {
        port.sent.clear();
        printer.setReplyFault(c.fault);
        printer.receive({0x1D, 0x49, 0x40, 0xA3});
        settle();
        EXPECT_EQ(replies(), c.reply) << static_cast<int>(c.fault);
    }
}

TEST_F(SimPrinterTest, ReplyDelayIsHonoured) {
    printer.config().replyDelay = 250'000;
    printer.receive({0x1B, 0x76});
    clock.sleepFor(249'999);
    EXPECT_TRUE(port.sent.empty());
    clock.sleepFor(1);
    EXPECT_EQ(replies(), Bytes{0x00});
}

TEST_F(SimPrinterTest, RestartDropsTheLinkIgnoresInputAndComesBack) {
    printer.config().restartTime = 2'000'000;
    printer.receive({0x10, 0x04, 0x02, 0x1D, 0xFF, 0x10, 0x04, 0x02});
    clock.sleepFor(1);
    EXPECT_EQ(port.changes, std::vector<std::string>{"down"});
    EXPECT_FALSE(printer.linkUp());
    printer.receive({0x1D, 0x49, 0x40, 0xA3});
    clock.sleepFor(1'000'000);
    EXPECT_TRUE(port.sent.empty()) << "a reply due before the restart and commands during it are lost";
    clock.sleepFor(1'000'000);
    EXPECT_EQ(port.changes, (std::vector<std::string>{"down", "up"}));
    EXPECT_EQ(printer.restarts(), 1);
    printer.receive({0x1D, 0x49, 0x40, 0xA3});
    settle();
    EXPECT_EQ(replies(), (Bytes{0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}));
    EXPECT_EQ(printer.commands(),
              (std::vector<std::string>{"DLE EOT 2", "restart 1D FF", "GS I @ A3 (firmware)"}));
}

TEST_F(SimPrinterTest, NoiseGoesOutAtItsRateAsScheduledActions) {
    printer.setNoise(250'000, 7);
    clock.sleepFor(249'999);
    EXPECT_TRUE(port.sent.empty());
    clock.sleepFor(750'001);
    ASSERT_EQ(port.sent.size(), 4u) << "four bytes a second, one at a time";
    const Bytes first = replies();
    EXPECT_NE(first, Bytes(4, first[0]));
    port.sent.clear();
    printer.setNoise(250'000, 7);
    clock.sleepFor(1'000'000);
    EXPECT_EQ(replies(), first) << "the same seed sends the same bytes";
    port.sent.clear();
    printer.setNoise(0);
    clock.sleepFor(10'000'000);
    EXPECT_TRUE(port.sent.empty());
}

TEST(LoopScheduler, AZeroDelayWaitsBehindActionsAlreadyDue) {
    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    sim::LoopScheduler scheduler{loop};
    std::string order;
    scheduler.after(1500, [&] { order += 'a'; });
    clock.sleepFor(1700);
    scheduler.after(0, [&] { order += 'b'; });
    sim::runLoopFor(loop, 10);
    EXPECT_EQ(order, "ab");
}

TEST(HidReports, OutputReportFramings) {
    struct Case {
        Bytes report;
        sim::OutputReport::Framing framing;
        Bytes data;
    };
    using F = sim::OutputReport::Framing;
    Bytes full(64, 0);
    full[0] = 0x08;
    full[1] = 62;  // 62 command bytes fill the report: the count cannot include a pad byte
    for (int i = 2; i < 64; ++i) full[i] = 0x20;
    const Case cases[] = {
        {{0x08, 0x05, 0x1D, 0x49, 0x40, 0xA3, 0x00, 0x00}, F::CountPlusOne, {0x1D, 0x49, 0x40, 0xA3}},
        {{0x08, 0x03, 0x1D, 0xFF, 0x00, 0x00}, F::CountPlusOne, {0x1D, 0xFF}},
        {{0x08, 0x03, 0x1B, 0x75, 0x01, 0x00}, F::ExactCount, {0x1B, 0x75, 0x01}},
        {{0x08, 0x09, 0x41, 0x42}, F::ExactCount, {0x41, 0x42}},
        {full, F::ExactCount, Bytes(62, 0x20)},
        {{0x1D, 0x49, 0x40, 0xA3}, F::Unframed, {}},
        {{0x08}, F::Unframed, {}},
    };
    for (const Case& c : cases) {
        const sim::OutputReport decoded = sim::decodeOutputReport(c.report);
        EXPECT_EQ(decoded.framing, c.framing) << platform::hexBytes(c.report);
        EXPECT_EQ(decoded.data, c.data) << platform::hexBytes(c.report);
    }
}

TEST(HidReports, RepliesBecomePaddedInputReports) {
    const auto one = sim::encodeInputReports({0xA3, 0x30}, 64);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].size(), 64u);
    EXPECT_EQ(Bytes(one[0].begin(), one[0].begin() + 5), (Bytes{0x09, 0x02, 0xA3, 0x30, 0x00}));
    const auto two = sim::encodeInputReports(Bytes(70, 0x55), 64);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0][1], 62);
    EXPECT_EQ(two[1][1], 8);
}

TEST_F(SimPrinterTest, OverHidCommandsComeInReportsAndRepliesGoOutAsReports) {
    RecordingPort hidPort(true);
    printer.attach(&hidPort);
    Bytes request(64, 0);
    const Bytes framed{0x08, 0x05, 0x1D, 0x49, 0x40, 0xA3};
    std::copy(framed.begin(), framed.end(), request.begin());
    printer.receiveReport(request);
    settle();
    ASSERT_EQ(hidPort.sent.size(), 1u);
    EXPECT_EQ(Bytes(hidPort.sent[0].begin(), hidPort.sent[0].begin() + 8),
              (Bytes{0x09, 0x06, 0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}));
    ASSERT_EQ(printer.log().size(), 1u);
    EXPECT_TRUE(printer.log()[0].hidReport);
    EXPECT_EQ(printer.log()[0].framing, "count+1");
    EXPECT_EQ(printer.log()[0].decoded, std::vector<std::string>{"GS I @ A3 (firmware)"});
}

TEST(PrinterTypes, EachTypeHasTheVendorsProductId) {
    EXPECT_EQ(sim::usbProductText(0), "VID_1B7D&PID_D2A8");
    EXPECT_EQ(sim::usbProductText(8), "VID_1B7D&PID_D2E3");
    EXPECT_EQ(sim::usbProductText(11), "VID_1B7D&PID_D2A5");
    EXPECT_EQ(sim::usbProductText(16), "VID_1B7D&PID_D2ED");
    EXPECT_TRUE(sim::printerType(4).slip);
    EXPECT_FALSE(sim::printerType(5).slip);
    EXPECT_THROW(sim::printerType(17), std::out_of_range);
    EXPECT_THROW(sim::printerType(-1), std::out_of_range);
}

}  // namespace
