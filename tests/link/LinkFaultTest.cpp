// The link when things go wrong: impossible arguments, a link closed in the
// middle of a long send, discovery interrupted by a status poll, answers
// nobody asked to read, a window whose status handler fails.
#include <functional>

#include "LinkTestSupport.h"
#include "platform/RuntimeError.h"

namespace linktest {
namespace {

using printerlink::PrinterLink;

int runTimeErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST_F(LinkTest, ImpossibleCountsAreRunTimeErrorsForTheCaller) {
    ASSERT_TRUE(connect(1, 5));
    Bytes three{0x1D, 0x04, 0x01};
    Bytes resp(4, 0);
    struct Case {
        const char* name;
        std::function<void()> call;
        int error;
    } cases[] = {
        {"frame with upper bound -2", [&] { PrinterLink::FrameHIDCommand(-2, three); }, 9},
        {"frame with upper bound -3", [&] { PrinterLink::FrameHIDCommand(-3, three); }, 9},
        {"frame with upper bound -40", [&] { PrinterLink::FrameHIDCommand(-40, three); }, 9},
        {"wait for -1 bytes", [&] { link->WaitResponse(resp, -1); }, 380},
        {"wait for more bytes than resp holds", [&] { link->WaitResponse(resp, 5); }, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        three = {0x1D, 0x04, 0x01};
        EXPECT_EQ(runTimeErrorOf(c.call), c.error);
    }
    Bytes none;
    PrinterLink::FrameHIDCommand(-1, none);
    EXPECT_EQ(none, (Bytes{0x08, 0x01})) << "an empty command is framed alone";
}

TEST_F(LinkTest, SerialWaitForNoBytesLeavesWaitingInputToTheWindows) {
    ASSERT_TRUE(connect(1, 5));
    serial.peerSend({0x41, 0x42});
    Bytes resp;
    EXPECT_TRUE(link->WaitResponse(resp, 0));
    runFor(10);
    EXPECT_EQ(received, std::vector<Bytes>{(Bytes{0x41, 0x42})});
}

// A long send to a serial printer that holds CTS low waits about 5 s per
// piece; whatever ends the link meanwhile must end the send too.
TEST_F(LinkTest, ALongSendEndsSoonAfterTheLinkIsClosedOrLostUnderIt) {
    struct Case {
        const char* name;
        std::function<void(LinkTest&)> endLink;
        int lastError;
    } cases[] = {
        {"closed by a handler while the send yields", [](LinkTest& t) { t.link->DisconnectPrinter(); }, 0},
        {"serial adapter pulled", [](LinkTest& t) { t.serial.removeDevice(); }, 8015},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        serial.restoreDevice();
        printer.setCtsLow(false);
        ASSERT_TRUE(connect(1, 5));
        printer.setCtsLow(true);
        printer.clearLog();
        platform::Timer trouble(loop);
        trouble.onTimer = [&] {
            trouble.setEnabled(false);
            c.endLink(*this);
        };
        trouble.setInterval(7000);  // during the second piece's settle wait
        trouble.setEnabled(true);
        const auto start = clock.now();
        EXPECT_FALSE(link->SendOutput(Bytes(610, 0x20)));  // ten pieces
        EXPECT_LT(elapsedMs(start), 16000);
        EXPECT_EQ(link->LastError, c.lastError);
        EXPECT_LE(streamReceivedByPrinter().size(), 183u) << "at most the pieces sent before the trouble";
        link->DisconnectPrinter();
    }
}

// The configuration window's poll flag may still be set when a discovery
// walk reads a firmware reply; the walk must still hold no device it did not
// keep, and report no printer when it holds none.
TEST_F(LinkTest, DiscoveryInterruptedByAStatusPollHoldsNoDeviceItDidNotKeep) {
    doubles::FakeHidDeviceSpec first, second;
    first.instance = "7&1000&0&0001";
    second.instance = "7&1000&0&0002";
    second.productId = 0xD2C2;
    const auto ids = {hid.addDevice(first), hid.addDevice(second)};  // both silent
    struct Case {
        const char* name;
        std::function<bool(PrinterLink&)> walk;
    } cases[] = {
        {"any printer", [](PrinterLink& l) { return l.EnumerateUSBDevice(); }},
        {"chosen product", [](PrinterLink& l) { return l.fncFindHIDDevice(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        link->strUSBProductID = "AXO3650";
        link->m_AHPIBufferCmd = true;
        EXPECT_FALSE(c.walk(*link));
        EXPECT_EQ(link->m_lngHIDHandle, 0);
        for (const auto id : ids) EXPECT_EQ(hid.openHandles(id), 0);
        EXPECT_FALSE(link->IsPrinterOnline());
    }
}

// A printer that closes the connection is reconnected at once, but one that
// closes every reconnect at once (it serves another client) is not chased.
TEST_F(LinkTest, ALanPrinterThatRefusesEveryReconnectIsNotChased) {
    ASSERT_TRUE(connect(17));
    int connects = 0;
    const auto linkOnConnect = tcp.OnConnect;
    tcp.OnConnect = [&] {
        ++connects;
        linkOnConnect();
    };
    struct Case {
        const char* name;
        bool busy;
        int connectsAtMost;
        int state;
    } cases[] = {
        {"closes again after a while", false, 1, platform::sck::Connected},
        {"serves another client", true, 1, platform::sck::Closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        connects = 0;
        doubles::FakeTcpSocket other{loop, network};
        other.RemoteHost = kPrinterHost;
        other.RemotePort = kPrinterPort;
        printer.closeConnection();
        if (c.busy) other.Connect();  // it gets in before the link's reconnect
        runFor(5000);
        EXPECT_LE(connects, c.connectsAtMost);
        EXPECT_EQ(tcp.State(), c.state);
    }
    ASSERT_TRUE(connect(17)) << "the user's next Connect reaches the printer once it is free";
}

// After the connection check on USB HID, every read still gets the answer to
// its own command: the check's answers do not wait in the queue.
TEST_F(LinkTest, UsbHidReadsAfterTheConnectionCheckGetTheirOwnAnswers) {
    ASSERT_TRUE(connect(18));
    link->m_bValidationSend = true;
    link->RequestConnectionCheckStatus();
    link->RequestFirmwareVersion();
    EXPECT_EQ(link->m_dblFirmwareVersion, 398);
    Bytes status{0x1D, 0x04, 0x01};
    PrinterLink::FrameHIDCommand(2, status);
    printer.setReply({0x1D, 0x04, 0x01}, {0x16});
    ASSERT_TRUE(link->SendOutput(status));
    link->fncReadHIDData();
    EXPECT_EQ(received, std::vector<Bytes>{(Bytes{0x09, 0x01, 0x16})});
}

TEST_F(LinkTest, AFailingStatusHandlerDoesNotEscapeTheUsbHidRead) {
    ASSERT_TRUE(connect(18));
    auto failing = link->OnStatusUpdated.subscribe([](int) { platform::raiseError(platform::err::Overflow); });
    link->m_AHPIBufferCmd = true;
    link->LastError = 0;
    EXPECT_NO_THROW(link->fncReadHIDData());
    EXPECT_NO_THROW(link->fncReadHIDData());  // a second poll read in a row with no report
    EXPECT_EQ(statuses, std::vector<int>{0});
    EXPECT_EQ(link->LastError, 0) << "a status poll leaves the last-error fields alone";
}

}  // namespace
}  // namespace linktest
