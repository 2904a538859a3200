// The reply interpreter without a window: reply bytes in, indicator changes
// out, on a panel that only remembers them.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "diagnostics/StatusInterpreter.h"
#include "link/LinkFlags.h"

namespace {

using diagnostics::StatusInterpreter;
using platform::Bytes;

class FakeHost : public StatusInterpreter::Host {
public:
    long printerType() const override { return type; }
    bool lanLink() const override { return false; }
    bool usbLink() const override { return usb; }
    platform::Micros timeNow() const override { return time; }
    void showIndicator(std::uint8_t index, std::uint8_t state) override {
        shown.emplace_back(index, state);
        if (onShow) onShow();
    }
    bool scanRunning() const override { return scanning; }
    void scanByte(std::uint8_t b) override { scanBytes.push_back(b); }
    void micrReplyRead(int status) override { micrStatuses.push_back(status); }
    void printerAnswered() override {}
    void realTimeStatusAnswered(std::uint8_t) override { ++realTimeAnswers; }

    // The indicators set to 1, the selected station (7) left out.
    std::set<int> checked() const {
        std::map<int, int> panel;
        for (const auto& [index, state] : shown) panel[index] = state;
        std::set<int> out;
        for (const auto& [index, state] : panel)
            if (index != 7 && state == 1) out.insert(index);
        return out;
    }

    long type = 0;
    bool usb = false;
    bool scanning = false;
    platform::Micros time = 1'000'000;
    std::vector<std::pair<int, int>> shown;
    std::vector<std::uint8_t> scanBytes;
    std::vector<int> micrStatuses;
    int realTimeAnswers = 0;
    std::function<void()> onShow;
};

// An interpreter on a printer of `type` whose panel only remembers.
struct Panel {
    explicit Panel(long type) {
        host.type = type;
        printerlink::bRestartSentOnLink = false;
    }
    // A poll went out and is still unanswered: the bytes received next answer it.
    void pollOpen() {
        interpreter.expectPoll(diagnostics::statusPollRows(host.type));
        if (printerlink::isKioskType(host.type)) interpreter.expectKioskStatus(0, 2);
    }

    FakeHost host;
    StatusInterpreter interpreter{host, ""};
};

TEST(StatusInterpreter, EdgeCases) {
    struct Case {
        const char* name;
        int type;
        std::vector<Bytes> events;
        std::set<int> checked;
        bool usb = false;
    } cases[] = {
        {"GS EOT 1 12h", 5, {{0x12}}, {9}},
        {"GS EOT 1 1Eh", 5, {{0x1E}}, {11}},
        {"GS EOT 5 12h on a slip printer", 0, {{0x16, 0x12, 0x12, 0x12, 0x12}}, {5, 6}},
        {"DLE EM 81h C0h 81h", 14, {{0x81}, {0xC0}, {0x81}}, {29}},
        {"USB 09 01 05", 0, {{0x09, 0x01, 0x05}}, {1, 2}, true},
        {"USB all clear after paper out", 0, {{0x09, 0x01, 0x04}, {0x09, 0x01}}, {}, true},
        {"USB length beyond the delivered bytes", 0, {{0x09, 0x05, 0x04}}, {1}, true},
        // Two MICR replies in one event with no MICR read awaited, then a
        // GS EOT 1 and a GS EOT 2 reply: nothing is collected and the status
        // bytes after them are read in turn.
        {"MICR twice in one event", 0, {{0x00, 'A', 0x0D, 0x00, 0x0D, 0x16}, {0x16}}, {12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panel p(c.type);
        p.host.usb = c.usb;
        p.pollOpen();
        for (const Bytes& event : c.events) {
            // On USB HID each report answers a request of its own.
            if (c.usb) p.interpreter.expectEscStatus(StatusInterpreter::kEscVReply, 1);
            p.interpreter.receive(event);
        }
        EXPECT_EQ(p.host.checked(), c.checked);
        EXPECT_TRUE(p.host.micrStatuses.empty());
    }
}

// A block that arrives while one is being shown waits until that one's
// bytes are all read.
TEST(StatusInterpreter, BlocksArrivingWhileBusyAreReadAfterTheCurrentOne) {
    Panel p(5);
    p.pollOpen();
    bool nested = false;
    p.host.onShow = [&] {
        if (nested) return;
        nested = true;
        p.interpreter.receive({0x1E});
    };
    p.interpreter.receive({0x12});
    // 12h as GS EOT 1, whole, then 1Eh as GS EOT 2.
    std::vector<int> order;
    for (const auto& change : p.host.shown) order.push_back(change.first);
    EXPECT_EQ(order, (std::vector<int>{9, 11, 12, 14, 15, 16}));
    EXPECT_EQ(p.host.checked(), (std::set<int>{9, 12, 14}));
}

// A byte that is no status reply starts a MICR reply only while a read is
// awaited and no scan runs; during a scan of a scanning model every byte is
// the scan's.
TEST(StatusInterpreter, MicrRepliesAndScanBytesGoWhereTheyBelong) {
    struct Case {
        const char* name;
        long type;
        bool scanning;
        platform::Micros deadline;
        std::vector<int> micr;
        std::string text;
        std::size_t scanBytes;
        int reads = 1;
        Bytes input = {0x00, 'R', 0x0D};
    } cases[] = {
        {"awaited", 0, false, 2'000'000, {0}, "R\r", 0},
        {"past the deadline", 0, false, 999'999, {}, "", 0},
        {"scan running on a scanning model", 1, true, 2'000'000, {}, "", 3},
        {"not a slip printer", 5, false, 2'000'000, {}, "", 0},
        // Each read that went out gets its reply, however they arrive.
        {"two reads, both replies in one block", 0, false, 2'000'000, {2, 3}, "\r", 0, 2, {0x02, 0x0D, 0x03, 0x0D}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panel p(c.type);
        p.host.scanning = c.scanning;
        for (int r = 0; r < c.reads; ++r) p.interpreter.awaitMicrUntil(p.interpreter.awaitMicrReply(), c.deadline);
        p.interpreter.receive(c.input);
        EXPECT_EQ(p.host.micrStatuses, c.micr);
        EXPECT_EQ(p.interpreter.m_strMICRText, c.text);
        EXPECT_EQ(p.host.scanBytes.size(), c.scanBytes);
    }
}

// Which request each status byte answers: -1 is the real-time status
// request, -2 nothing. However the printer spaces out a set's replies they
// keep their rows; a lost or stray byte costs at most the set it falls in.
TEST(ExpectedReplies, EachByteAnswersTheRequestThatAskedForIt) {
    using diagnostics::ExpectedReplies;
    struct Step {
        char what;  // 'p' a poll of 4 goes out, 'r' a real-time status request, 't' a byte comes
        platform::Micros at;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<int> rows;
        bool owedAtEnd = false;
    } cases[] = {
        {"part of a poll 300 ms late",
         {{'p', 0}, {'t', 10'000}, {'t', 10'000}, {'t', 310'000}, {'t', 310'000}},
         {0, 1, 2, 3}},
        {"one reply lost: owed until given up, then the next poll is read right",
         {{'p', 0}, {'t', 10'000}, {'t', 10'000}, {'t', 10'000}, {'p', 5'600'000}, {'t', 5'610'000},
          {'t', 5'610'000}, {'t', 5'610'000}, {'t', 5'610'000}},
         {0, 1, 2, 0, 1, 2, 3}},
        {"still owed just before the bound", {{'p', 0}, {'t', 10'000}}, {0}, true},
        {"real-time status after the poll's replies", {{'p', 0}, {'r', 100}, {'t', 900'000},
          {'t', 900'000}, {'t', 900'000}, {'t', 900'000}, {'t', 900'000}, {'t', 900'000}},
         {0, 1, 2, 3, -1, -2}},
        {"byte before any request, and one after all were given up",
         {{'t', 0}, {'p', 10}, {'t', 6'000'000}},
         {-2, -2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectedReplies book;
        std::vector<int> rows;
        platform::Micros last = 0;
        for (const Step& step : c.steps) {
            if (step.what == 'p') book.expectPoll(4, step.at);
            if (step.what == 'r') book.expectRealTimeStatus(step.at);
            if (step.what == 't') rows.push_back(book.take(step.at));
            last = step.at;
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(book.owes(last + ExpectedReplies::kGiveUpMicros - 20'000), c.owedAtEnd);
    }
}

// DLE EM replies answer their own requests: a stray byte of their form
// leaves the rows right from the next poll on.
TEST(StatusInterpreter, KioskRepliesGoToTheRowsTheyAnswer) {
    Panel p(14);
    p.pollOpen();
    p.host.time += 300'000;
    p.interpreter.receive({0x80});  // stray, while the poll waits
    p.host.time += 300'000;
    p.interpreter.receive({0x80, 0xC0});
    p.host.time += 1'000'000;
    p.pollOpen();
    p.host.shown.clear();
    p.interpreter.receive({0x80, 0xC0});
    EXPECT_EQ(p.host.checked(), (std::set<int>{23, 29}));
}

}  // namespace
