// The simulated printer's slip station, MICR reader, flash logos and check
// scanner as the utility meets them: the replies each command gets, and the
// scan's block protocol with its faults.
#include <gtest/gtest.h>

#include "printer-sim/SimDeviceLines.h"
#include "printer-sim/SimPrinter.h"

namespace {

using platform::Bytes;

class StreamPort : public sim::SimPort {
public:
    void send(const Bytes& bytes) override { sent.insert(sent.end(), bytes.begin(), bytes.end()); }
    void setLinkUp(bool) override {}
    Bytes sent;
};

class SimDevicesTest : public ::testing::Test {
protected:
    SimDevicesTest() { printer.attach(&port); }
    Bytes ask(const Bytes& command) {
        port.sent.clear();
        printer.receive(command);
        clock.sleepFor(100'000);
        return port.sent;
    }
    bool line(const std::string& text) {
        std::string error;
        return sim::applyDeviceLine(printer, text, error) && error.empty();
    }
    static Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

    platform::VirtualClock clock;
    sim::VirtualScheduler scheduler{clock};
    sim::SimPrinter printer{scheduler};
    StreamPort port;
};

TEST_F(SimDevicesTest, SlipSensorsMicrRepliesAndFlipFollowTheDocument) {
    const Bytes gsEot5{0x1D, 0x04, 0x05}, micr{0x1B, 0x77, 0x50, 0x0D}, flip{0x1B, 0x77, 0x46};
    EXPECT_EQ(ask(gsEot5), Bytes{0x76});
    EXPECT_EQ(ask(micr), (Bytes{0x02, 0x0D}));
    ASSERT_TRUE(line("insert edge"));
    EXPECT_EQ(ask(gsEot5), Bytes{0x56});
    ASSERT_TRUE(line("insert check"));
    ask({0x1B, 0x63, 0x30, 0x04});
    EXPECT_EQ(ask(gsEot5), Bytes{0x12}) << "slip selected, both edges covered";
    ASSERT_TRUE(line("micr t1234t 56-7o 89$"));
    Bytes good{0x00};
    for (std::uint8_t b : text(")1234) 56'7( 89&")) good.push_back(b);
    good.push_back(0x0D);
    EXPECT_EQ(ask(micr), good);
    ASSERT_TRUE(line("micr-status 1"));
    good[0] = 0x01;
    EXPECT_EQ(ask(micr), good);
    ASSERT_TRUE(line("micr-status 3"));
    EXPECT_EQ(ask(micr), (Bytes{0x03, 0x0D}));
    ask(flip);
    EXPECT_EQ(printer.slip().flips, 1);
    ask({0x0C});
    EXPECT_EQ(ask(gsEot5), Bytes{0x72}) << "ejected";
    ask(flip);
    EXPECT_EQ(printer.slip().flips, 1);
}

TEST_F(SimDevicesTest, LogoIsKeptInFlashAndPrintedInEachMode) {
    EXPECT_EQ(ask({0x1D, 0x40, 0x31}), Bytes{sim::kFlashErasedAnswer});
    Bytes define{0x1D, 0x23, 0x01, 0x1D, 0x2A, 0x02, 0x01};
    for (int i = 0; i < 16; ++i) define.push_back(i == 0 ? 0x80 : 0x00);
    ask(define);
    EXPECT_EQ(ask({0x1D, 0x72, 0x04}), Bytes{0x00});
    ask({0x1D, 0x2F, 0x00, 0x0D, 0x0A, 0x1D, 0x2F, 0x03, 0x0D, 0x0A});
    ASSERT_EQ(printer.paper().describe(), (std::vector<std::string>{"logo m0 16x8", "logo m3 16x8"}));
    EXPECT_EQ(printer.paper().items()[0].dots[0], 1);
    EXPECT_EQ(printer.paper().items()[0].dots[1], 0);

    printer.status().flashWriteFails = true;
    ask({0x1D, 0x40, 0x31});
    ask(define);
    EXPECT_EQ(ask({0x1D, 0x72, 0x04}), Bytes{0x08});
    EXPECT_TRUE(printer.flash().logos.empty());
}

TEST_F(SimDevicesTest, ScanSendsBlocksOnEachAckAndFaultsEndIt) {
    const Bytes start{0x1D, 0x28, 0x47, 0x05, 0x00, 0x41, 0x01, 0x00, 0x30, 0x30};
    const Bytes ack{0x06};
    EXPECT_EQ(ask({0x1D, 0x28, 0x47, 0x01, 0x00, 0x47}), text(std::string("7w48\x1F" "0\x1F" "12\x1F" "0A\x1F") + '\0'));
    EXPECT_EQ(ask(start), text(std::string("S BF1\x1FPH\x1F" "1\x1F" "4804848") + '\0')) << "no check";
    EXPECT_TRUE(ask(ack).empty());

    ASSERT_TRUE(line("insert check"));
    printer.scanner().image = {1, 2, 3, 4, 5};
    ASSERT_TRUE(line("scan block 3"));
    EXPECT_EQ(ask(start)[7], '@');
    const Bytes size = ask(ack);
    EXPECT_EQ(Bytes(size.begin(), size.begin() + 7), text("S BS00\x1F"));
    EXPECT_EQ(ask(ack), (Bytes{'S', ' ', 'A', 3, 0, 1, 2, 3}));
    EXPECT_EQ(ask(ack), (Bytes{'S', ' ', '@', 2, 0, 4, 5}));
    EXPECT_TRUE(ask(ack).empty());
    EXPECT_EQ(printer.scanner().scans, 1);

    ask(start);
    ask({0x18});
    EXPECT_TRUE(ask(ack).empty()) << "cancelled";
    ASSERT_TRUE(line("scan fault corrupt 2"));
    ask(start);
    ask(ack);
    EXPECT_EQ(ask(ack)[0], 'X');
    ASSERT_TRUE(line("scan fault silent 1"));
    ask(start);
    EXPECT_TRUE(ask(ack).empty());
    ASSERT_TRUE(line("scan fault error G"));
    EXPECT_EQ(ask(start)[7], 'G');
    EXPECT_TRUE(ask(ack).empty());
    EXPECT_EQ(printer.scanner().cancels, 1);

    std::string error;
    EXPECT_TRUE(sim::applyDeviceLine(printer, "scan image /nonexistent.bmp", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(sim::applyDeviceLine(printer, "tallies", error));
}

TEST_F(SimDevicesTest, DelayAndSilenceHoldForEveryReplyKindInOrder) {
    const std::pair<const char*, Bytes> cases[] = {
        {"status", {0x10, 0x04, 0x02}},
        {"MICR", {0x1B, 0x77, 0x50, 0x0D}},
        {"tally read", {0x1D, 0x49, 0x40, 0x83}},
        {"flash status", {0x1D, 0x72, 0x04}},
        {"scan block", {0x1D, 0x28, 0x47, 0x05, 0x00, 0x41, 0x01, 0x00, 0x30, 0x30}},
    };
    for (const auto& [kind, command] : cases) {
        ASSERT_TRUE(line("delay 0"));
        Bytes expected = ask(command);
        ASSERT_FALSE(expected.empty()) << kind;
        ASSERT_TRUE(line("delay 600"));
        port.sent.clear();
        printer.receive(command);
        clock.sleepFor(599'999);
        EXPECT_TRUE(port.sent.empty()) << kind;
        ASSERT_TRUE(line("delay 0"));
        printer.receive({0x10, 0x04, 0x02});
        clock.sleepFor(1);
        expected.push_back(0x12);
        EXPECT_EQ(port.sent, expected) << kind << ": a shortened delay lets no reply overtake";

        port.sent.clear();
        ASSERT_TRUE(line("delay 600"));
        printer.receive(command);
        clock.sleepFor(300'000);
        ASSERT_TRUE(line("silent"));
        printer.receive(command);
        clock.sleepFor(600'000);
        ASSERT_TRUE(line("answer"));
        clock.sleepFor(600'000);
        EXPECT_TRUE(port.sent.empty()) << kind << ": replies due while silent are dropped";
    }
}

TEST_F(SimDevicesTest, SkipAndSplitActOnStatusRequestsInTheOrderTheyCame) {
    struct Row {
        std::vector<const char*> lines;
        std::vector<Bytes> writes;
        Bytes onTime;  // after the reply delay
        Bytes late;    // 500 ms later
        bool refused = false;
    };
    const Bytes poll{0x1D, 0x04, 0x01, 0x1D, 0x04, 0x02, 0x1D, 0x04, 0x03, 0x1D, 0x04, 0x04};
    // GS r 1, GS EOT 1, DLE EOT 2, DLE EM 1, the flash status (GS r 4, no status request: 08h), ESC v, ESC u 0,
    // GS EOT 2.
    const Bytes everyKind{0x1D, 0x72, 0x01, 0x1D, 0x04, 0x01, 0x10, 0x04, 0x02, 0x10, 0x19, 0x01,
                          0x1D, 0x72, 0x04, 0x1B, 0x76, 0x1B, 0x75, 0x00, 0x1D, 0x04, 0x02};
    // GS EOT 1, 2, the flash status, GS EOT 3, 4, the flash status.
    const Bytes pollAndFlash{0x1D, 0x04, 0x01, 0x1D, 0x04, 0x02, 0x1D, 0x72, 0x04,
                             0x1D, 0x04, 0x03, 0x1D, 0x04, 0x04, 0x1D, 0x72, 0x04};
    // Reads of the boot firmware revision, boot CRC and flash CRC: replies queued on the line.
    const Bytes idReads{0x1D, 0x49, 0x40, 0x97, 0x1D, 0x49, 0x40, 0x2F, 0x1D, 0x49, 0x40, 0x37};
    const Row rows[] = {
        {{"skip 1"}, {poll}, {0x56, 0x32, 0x1E}, {}},
        {{"skip 6"}, {everyKind}, {0x08, 0x56}, {}},
        {{"skip 3", "skip 0"}, {poll}, {0x1A, 0x56, 0x32, 0x1E}, {}},
        {{"split 500"}, {pollAndFlash}, {0x1A, 0x56, 0x08}, {0x32, 0x1E, 0x08}},
        {{"split 500"}, {Bytes(poll.begin(), poll.begin() + 6), Bytes(poll.begin() + 6, poll.end())}, {0x1A},
         {0x56, 0x32, 0x1E}},
        {{"split 500", "split 0"}, {poll}, {0x1A, 0x56, 0x32, 0x1E}, {}},
        {{"late 1d 04 02 500"}, {poll}, {0x1A}, {0x56, 0x32, 0x1E}},
        {{"lose 1D 04 03"}, {poll, poll}, {0x1A, 0x56, 0x1E, 0x1A, 0x56, 0x32, 0x1E}, {}},
        {{"lose 1D 49 40 2F"}, {idReads}, {0x97, '0', '1', '0', '2', 0x0D, 0x37, 'C', '3', '9', 'E', 0x0D}, {}},
        {{"late 1D 49 40 2F 500"}, {idReads}, {0x97, '0', '1', '0', '2', 0x0D},
         {0x2F, '5', 'A', '1', 'F', 0x0D, 0x37, 'C', '3', '9', 'E', 0x0D}},
        {{"late 500", "late 1D 4 02 500", "late 1D 04 02 600001", "lose"}, {poll}, {0x1A, 0x56, 0x32, 0x1E}, {},
         true},
    };
    printer.status().offline = printer.status().coverOpen = printer.status().unrecoverable = true;
    printer.status().paperLow = printer.status().flashWriteFails = true;
    for (const Row& row : rows) {
        std::string shown;
        for (const char* text : {"skip 0", "split 0"}) ASSERT_TRUE(line(text));
        for (const char* text : row.lines) {
            ASSERT_EQ(line(text), !row.refused) << text;
            shown += std::string(text) + "; ";
        }
        port.sent.clear();
        for (const Bytes& write : row.writes) printer.receive(write);
        clock.sleepFor(499'999);
        EXPECT_EQ(port.sent, row.onTime) << shown;
        port.sent.clear();
        clock.sleepFor(100'000);
        EXPECT_EQ(port.sent, row.late) << shown;
    }
}

TEST_F(SimDevicesTest, NoiseLineTakesBytesASecondOrOff) {
    const std::pair<const char*, platform::Micros> rows[] = {
        {"noise 4", 250'000}, {"noise 0.5", 2'000'000}, {"noise 5000", -1}, {"noise fast", -1}, {"noise off", 0}};
    for (const auto& [text, every] : rows) {
        EXPECT_EQ(line(text), every >= 0) << text;
        if (every >= 0) {
            EXPECT_EQ(printer.noiseInterval(), every) << text;
        }
    }
}

}  // namespace
