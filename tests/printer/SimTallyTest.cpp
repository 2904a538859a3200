// The simulated printer's ID items and tallies: what its reads answer, how
// writes, prints and clears change them, and how the counters follow what
// it prints.
#include <gtest/gtest.h>

#include <algorithm>

#include "printer-sim/SimPrinter.h"

namespace {

using platform::Bytes;

class TimedPort : public sim::SimPort {
public:
    explicit TimedPort(platform::VirtualClock& clock) : clock_(clock) {}
    void send(const Bytes& bytes) override { sent.push_back({clock_.now(), bytes}); }
    void setLinkUp(bool) override {}
    void setCts(bool) override {}
    void closeConnection() override {}
    std::vector<std::pair<platform::Micros, Bytes>> sent;

private:
    platform::VirtualClock& clock_;
};

class SimTallyTest : public ::testing::Test {
protected:
    SimTallyTest() { printer.attach(&port); }
    Bytes ask(Bytes command) {
        port.sent.clear();
        printer.receive(command);
        clock.sleepFor(100'000);
        Bytes all;
        for (const auto& [at, bytes] : port.sent) all.insert(all.end(), bytes.begin(), bytes.end());
        return all;
    }
    Bytes read(std::uint8_t code) { return ask({0x1D, 0x49, 0x40, code}); }
    static Bytes reply(std::uint8_t marker, const std::string& data) {
        Bytes out;
        out.reserve(data.size() + 2);
        out.push_back(marker);
        out.insert(out.end(), data.begin(), data.end());
        out.push_back(0x0D);
        return out;
    }

    platform::VirtualClock clock;
    sim::VirtualScheduler scheduler{clock};
    sim::SimPrinter printer{scheduler};
    TimedPort port{clock};
};

TEST_F(SimTallyTest, ReadsAnswerMarkerDataAndEndByteByModel) {
    struct Case {
        int type;
        std::uint8_t code;
        Bytes answer;
    } cases[] = {
        {0, 0x27, reply(0x27, "3640           ")},
        {0, 0x23, reply(0x23, "SN00012345")},
        {0, 0x2B, reply(0x2B, "BT-004412-01")},
        {0, 0xA3, reply(0xA3, "0398")},
        {0, 0x33, reply(0x33, "FW-007731-02")},
        {0, 0x83, reply(0x83, "00012345")},
        {0, 0xBF, reply(0xBF, "00000789")},  // receipt lines, back side
        {0, 0xB7, reply(0xB7, "00000090")},
        {11, 0xCB, reply(0xCB, "00000090")},  // kiosk: paper jams
        {11, 0xBF, reply(0xBF, "00000012")},  // kiosk: presenter jams
        {11, 0xDF, reply(0xDF, "00000789")},
        {9, 0xDF, reply(0xDF, "00000012")},  // types 9 and 15 swap DF and BF
        {15, 0xBF, reply(0xBF, "00000789")},
        {9, 0x33, [] { Bytes b = reply(0x33, "FW-007731-02"); b.insert(b.begin(), {0x01, 0x02}); return b; }()},
        {15, 0x33, [] { Bytes b = reply(0x33, "FW-007731-02"); b.insert(b.begin(), {0x01, 0x02}); return b; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + platform::hexBytes(Bytes{c.code}));
        printer.config().printerType = c.type;
        EXPECT_EQ(read(c.code), c.answer);
    }
}

TEST_F(SimTallyTest, WritesPrintsAndClearsChangeWhatIsRead) {
    // The header and the text of a write may come as two pieces.
    printer.receive({0x1D, 0x49, 0x40, 0x20});
    EXPECT_TRUE(ask(platform::toBytes("A1B2      ")).empty());
    EXPECT_EQ(read(0x23), reply(0x23, "A1B2      "));

    EXPECT_TRUE(ask(platform::toBytes("\x1D\x49\x40\x81" "00000042")).empty());
    EXPECT_EQ(read(0x83), reply(0x83, "00000042"));
    EXPECT_EQ(printer.tally().printed, std::vector<std::string>{"00000042"});
    const auto names = printer.commands();
    EXPECT_NE(std::find(names.begin(), names.end(), "GS I @ 81 (write and print receipt lines '00000042')"),
              names.end());

    EXPECT_EQ(ask({0x1D, 0x49, 0x40, 0x86}), Bytes{sim::kClearAnswer});
    EXPECT_EQ(read(0x87), reply(0x87, "00000000"));
    EXPECT_EQ(ask({0x1D, 0x40, 0x31}), Bytes{sim::kFlashErasedAnswer});
    EXPECT_EQ(ask({0x1D, 0x40, 0x32}), Bytes{sim::kClearAnswer});
    EXPECT_TRUE(ask({0x1D, 0x61, 0x00}).empty());
    EXPECT_EQ(ask({0x1D, 0x72, 0x02}), Bytes{0x00});
}

TEST_F(SimTallyTest, CountersFollowLinesFedAndCuts) {
    const auto before = printer.tally().counters;
    ask({'T', 'O', 'T', '\r', '\n', 0x1B, 'd', 3, 0x1D, 'V', 0, 0x1D, 'V', 'B', 5});
    EXPECT_EQ(printer.tally().counters[0], before[0] + 4);
    EXPECT_EQ(printer.tally().counters[1], before[1] + 2);
}

TEST_F(SimTallyTest, RepliesGoOutOneAfterAnother) {
    ask({0x1D, 0x49, 0x40, 0x27, 0x1D, 0x49, 0x40, 0x23});
    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(port.sent[0].second.size(), 17u);
    EXPECT_GE(port.sent[1].first - port.sent[0].first, 17 * 100);
}

}  // namespace
