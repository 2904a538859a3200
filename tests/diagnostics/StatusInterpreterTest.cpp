// The reply interpreter without a window: reply bytes in, indicator changes
// out, on a panel that only remembers them.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "diagnostics/StatusInterpreter.h"
#include "link/LinkFlags.h"
#include "platform/loop/EventLoop.h"

namespace {

using diagnostics::StatusInterpreter;
using platform::Bytes;

class FakeHost : public StatusInterpreter::Host {
public:
    long printerType() const override { return type; }
    bool lanLink() const override { return false; }
    bool usbLink() const override { return usb; }
    platform::Micros timeNow() const override { return clock.now(); }
    void showIndicator(std::uint8_t index, std::uint8_t state) override {
        shown.emplace_back(index, state);
        if (onShow) onShow();
    }
    bool scanRunning() const override { return scanning; }
    void scanByte(std::uint8_t b) override { scanBytes.push_back(b); }
    void micrReplyRead(int status) override { micrStatuses.push_back(status); }
    void printerAnswered() override {}
    void realTimeStatusAnswered() override { ++realTimeAnswers; }
    void ownReplyRead(const printerlink::RequestDoor::Answer&, std::uint8_t) override {}
    printerlink::RequestDoor& requestDoor() override { return door; }
    printerlink::RequestDoor::Owner doorOwner() const override { return owner; }
    void advance(platform::Micros by) { clock.advanceTo(clock.now() + by); }

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
    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    printerlink::RequestDoor door{loop, {}};
    printerlink::RequestDoor::Owner owner = door.enter();
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
        host.advance(1'000'000);
        printerlink::bRestartSentOnLink = false;
    }
    // A poll went out and is still unanswered: the bytes received next answer it.
    void pollOpen() {
        ask(printerlink::ReplyForm::Status, diagnostics::statusPollRows(host.type));
        if (printerlink::isKioskType(host.type)) ask(printerlink::ReplyForm::Kiosk, 2);
    }
    void ask(printerlink::ReplyForm form, int rows) {
        host.door.tryAsk(host.owner, form, printerlink::kPollSet, rows, [] { return true; });
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
        int rows = 0;  // of the poll's set; 0: the printer's
    } cases[] = {
        {"GS EOT 1 12h", 5, {{0x12}}, {9}, false, 1},
        {"GS EOT 1 1Eh", 5, {{0x1E}}, {11}, false, 1},
        {"part of a set shows nothing", 5, {{0x1E, 0x12}}, {}},
        {"GS EOT 5 12h on a slip printer", 0, {{0x16, 0x12, 0x12, 0x12, 0x12}}, {5, 6}},
        {"DLE EM 81h C0h 81h", 14, {{0x81}, {0xC0}, {0x81}}, {29}},
        {"USB 09 01 05", 0, {{0x09, 0x01, 0x05}}, {1, 2}, true},
        {"USB all clear after paper out", 0, {{0x09, 0x01, 0x04}, {0x09, 0x01}}, {}, true},
        {"USB length beyond the delivered bytes", 0, {{0x09, 0x05, 0x04}}, {1}, true},
        // Two MICR replies in one event with no MICR read awaited, then a
        // GS EOT 1 and a GS EOT 2 reply: nothing is collected and the status
        // bytes after them are read in turn.
        {"MICR twice in one event", 0, {{0x00, 'A', 0x0D, 0x00, 0x0D, 0x16}, {0x16}}, {12, 13}, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panel p(c.type);
        p.host.usb = c.usb;
        if (c.rows > 0)
            p.ask(printerlink::ReplyForm::Status, c.rows);
        else
            p.pollOpen();
        for (const Bytes& event : c.events) {
            // On USB HID each report answers a request of its own.
            if (c.usb) p.ask(printerlink::ReplyForm::Esc, 1);
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
    p.ask(printerlink::ReplyForm::Status, 1);
    bool nested = false;
    p.host.onShow = [&] {
        if (nested) return;
        nested = true;
        p.ask(printerlink::ReplyForm::Status, 1);
        p.interpreter.receive({0x1E});
    };
    p.interpreter.receive({0x12});
    // 12h as one set's GS EOT 1, shown whole, then 1Eh as the next set's.
    std::vector<int> order;
    for (const auto& change : p.host.shown) order.push_back(change.first);
    EXPECT_EQ(order, (std::vector<int>{9, 11, 9, 11}));
    EXPECT_EQ(p.host.checked(), (std::set<int>{11}));
}

// A byte that is no status reply starts a MICR reply only while a read is
// awaited at the door and no scan runs; during a scan of a scanning model
// every byte is the scan's.
TEST(StatusInterpreter, MicrRepliesAndScanBytesGoWhereTheyBelong) {
    struct Case {
        const char* name;
        long type;
        bool scanning;
        platform::Micros after;  // since the reads went out
        std::vector<int> micr;
        std::string text;
        std::size_t scanBytes;
        Bytes input = {0x00, 'R', 0x0D};
        bool left = false;  // the window left the door (Close) first
        Bytes second = {};  // a second read's reply, the read asked after the first's
    } cases[] = {
        {"awaited", 0, false, 2'000'000, {0}, "R\r", 0},
        {"given up", 0, false, 5'600'000, {}, "", 0},
        {"window closed", 0, false, 0, {}, "", 0, {0x00, 'R', 0x0D}, true},
        {"scan running on a scanning model", 1, true, 2'000'000, {}, "", 3},
        {"not a slip printer", 5, false, 2'000'000, {}, "", 0},
        // Each read that went out gets its reply.
        {"two reads in turn", 0, false, 2'000'000, {2, 3}, "\r", 0, {0x02, 0x0D}, false, {0x03, 0x0D}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panel p(c.type);
        p.host.scanning = c.scanning;
        const auto read = [&] {
            p.host.door.tryAsk(p.host.owner, printerlink::ReplyForm::Esc, printerlink::kMicrRead, 1, [] { return true; });
        };
        read();
        p.host.advance(c.after);
        if (c.left) p.host.door.leave(p.host.owner);
        p.interpreter.receive(c.input);
        if (!c.second.empty()) {
            read();
            p.interpreter.receive(c.second);
        }
        EXPECT_EQ(p.host.micrStatuses, c.micr);
        EXPECT_EQ(p.interpreter.m_strMICRText, c.text);
        EXPECT_EQ(p.host.scanBytes.size(), c.scanBytes);
    }
}

// DLE EM replies answer their own requests: a stray byte of their form
// leaves the rows right from the next poll on.
TEST(StatusInterpreter, KioskRepliesGoToTheRowsTheyAnswer) {
    Panel p(14);
    p.pollOpen();
    p.host.advance(300'000);
    p.interpreter.receive({0x80});  // stray, while the poll waits
    p.host.advance(300'000);
    p.interpreter.receive({0x80, 0xC0});
    p.host.advance(1'000'000);
    p.pollOpen();
    p.host.shown.clear();
    p.interpreter.receive({0x80, 0xC0});
    EXPECT_EQ(p.host.checked(), (std::set<int>{23, 29}));
}

}  // namespace
