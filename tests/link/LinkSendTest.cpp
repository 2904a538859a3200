// Sending, framing, waiting and purging against the simulated printer.
#include <functional>

#include "LinkTestSupport.h"

namespace linktest {
namespace {

using printerlink::PrinterLink;
using printerlink::TextArray;

Bytes report(std::initializer_list<std::uint8_t> header, const Bytes& data, std::size_t from, std::size_t to) {
    Bytes r = framed(header, data, from, to);
    r.resize(64, 0);
    return r;
}

TEST_F(LinkTest, UsbHidSendsShortArraysAsOneReportAndLongOnesAsFramedPieces) {
    ASSERT_TRUE(connect(18));
    const Bytes b64 = counting(64), b65 = counting(65);
    Bytes framed100 = counting(98);
    PrinterLink::FrameHIDCommand(97, framed100);
    ASSERT_EQ(framed100.size(), 100u);
    struct Case {
        const char* name;
        Bytes data;
        std::vector<Bytes> reports;
    } cases[] = {
        {"64 bytes as given", b64, {b64}},
        {"65 bytes", b65, {report({0x08, 61}, b65, 0, 61), report({0x08, 4}, b65, 61, 65)}},
        {"100-byte framed buffer",
         framed100,
         {report({0x08, 61}, framed100, 0, 61), report({0x08, 39}, framed100, 61, 100)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        printer.clearLog();
        EXPECT_TRUE(link->SendOutput(c.data));
        runFor(1);
        std::vector<Bytes> written;
        for (const auto& entry : printer.log()) written.push_back(entry.raw);
        EXPECT_EQ(written, c.reports);
    }
}

TEST_F(LinkTest, TextArrayGoesOutAsItsNumbersAndStartsTheLanWatchdog) {
    ASSERT_TRUE(connect(17));
    printer.clearLog();
    EXPECT_TRUE(link->SendOutput(TextArray{"29", "4", "1"}));
    EXPECT_TRUE(link->TimerWinsock.enabled());
    EXPECT_EQ(link->TimerWinsock.interval(), 5000);
    runFor(10);
    EXPECT_EQ(streamReceivedByPrinter(), (Bytes{0x1D, 0x04, 0x01}));
}

TEST_F(LinkTest, EverySendFailsWithNothingOpen) {
    attachSerial();
    const std::vector<std::function<bool(PrinterLink&)>> sends = {
        [](PrinterLink& l) { return l.SendOutput(std::string("A")); },
        [](PrinterLink& l) { return l.SendOutput(Bytes{0x1B, 0x40}); },
        [](PrinterLink& l) { return l.SendOutput(TextArray{"27", "64"}); },
        [](PrinterLink& l) { return l.SendRTOSCmd(std::string("A")); },
        [](PrinterLink& l) { return l.SendRTOSCmd(Bytes{0x10, 0x04, 0x02}); },
        [](PrinterLink& l) { return l.SendRTOSCmd(TextArray{"16"}); },
        [](PrinterLink& l) { return l.SendRTOSCmdPrinterValidation(std::string("A")); },
        [](PrinterLink& l) { return l.SendRTOSCmdPrinterValidation(Bytes{0x10}); },
        [](PrinterLink& l) { return l.SendRTOSCmdPrinterValidation(TextArray{"16"}); },
    };
    for (std::size_t i = 0; i < sends.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(sends[i](*link));
    }
    runFor(100);
    EXPECT_TRUE(printer.log().empty());
}

TEST_F(LinkTest, UsbHidSendToAnUnpluggedPrinterFailsWithADeviceError) {
    ASSERT_TRUE(connect(18));
    printer.removeDevice();
    for (const Bytes& data : {Bytes{0x08, 0x03, 0x1B, 0x40}, counting(130)}) {
        SCOPED_TRACE(data.size());
        EXPECT_FALSE(link->SendOutput(data));
        EXPECT_EQ(link->LastError, 57);
    }
}

TEST_F(LinkTest, BadSendArgumentsFailWithTheirRunTimeError) {
    ASSERT_TRUE(connect(18));
    EXPECT_FALSE(link->SendOutput(std::string("text over USB HID")));
    EXPECT_EQ(link->LastError, 13);
    ASSERT_TRUE(link->DisconnectPrinter());
    ASSERT_TRUE(connect(1));
    EXPECT_FALSE(link->SendOutput(TextArray{"27", "300"}));
    EXPECT_EQ(link->LastError, 6);
    EXPECT_FALSE(link->SendOutput(TextArray{"ESC"}));
    EXPECT_EQ(link->LastError, 13);
    EXPECT_TRUE(link->SendOutput(Bytes{0x1B, 0x40}));
    EXPECT_EQ(link->LastError, 0);
}

TEST_F(LinkTest, SerialWaitResponseWaitsAboutFiveSecondsForMissingBytesAndKeepsWhatCame) {
    ASSERT_TRUE(connect(1, 5));
    printer.setReply({0x10, 0x04, 0x04}, {0x16, 0x17});
    struct Case {
        int count;
        bool ok;
        Bytes bytes;
        double minMs, maxMs;
    } cases[] = {
        {2, true, {0x16, 0x17}, 0, 100},
        {3, false, {0x16, 0x17, 0x00}, 4900, 5100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        received.clear();
        ASSERT_TRUE(link->SendOutput(Bytes{0x10, 0x04, 0x04}));
        const auto start = clock.now();
        Bytes resp(static_cast<std::size_t>(c.count), 0);
        EXPECT_EQ(link->WaitResponse(resp, c.count), c.ok);
        EXPECT_GE(elapsedMs(start), c.minMs);
        EXPECT_LE(elapsedMs(start), c.maxMs);
        EXPECT_EQ(resp, c.bytes);
        runFor(50);
        EXPECT_TRUE(received.empty()) << "the bytes WaitResponse took must not arrive again";
    }
}

// The request as the link's callers send it: framed on USB HID.
Bytes request(int port, Bytes command) {
    if (port == 18) PrinterLink::FrameHIDCommand(static_cast<int>(command.size()) - 1, command);
    return command;
}

TEST_F(LinkTest, TcpAndUsbHidWaitResponseHandTheReplyToTheCaller) {
    struct Case {
        const char* name;
        int port, count;
        bool closeMidWait, ok;
        Bytes bytes;
        double minMs, maxMs;
    } cases[] = {
        {"TCP reply", 17, 2, false, true, {0x16, 0x17}, 0, 100},
        {"TCP short reply", 17, 3, false, false, {0x16, 0x17, 0xEE}, 4900, 5100},
        {"TCP closed while waiting", 17, 3, true, false, {0x16, 0x17, 0xEE}, 200, 300},
        {"USB HID data bytes", 18, 2, false, true, {0x16, 0x17}, 0, 100},
        {"USB HID short reply", 18, 3, false, false, {0x16, 0x17, 0xEE}, 150, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(connect(c.port, 5));
        printer.setReply({0x10, 0x04, 0x04}, {0x16, 0x17});
        platform::Timer closer(loop);
        closer.onTimer = [&] {
            closer.setEnabled(false);
            printer.closeConnection();
        };
        closer.setInterval(c.closeMidWait ? 200 : 0);
        received.clear();
        ASSERT_TRUE(link->SendOutput(request(c.port, {0x10, 0x04, 0x04})));
        const auto start = clock.now();
        Bytes resp(3, 0xEE);
        EXPECT_EQ(link->WaitResponse(resp, c.count), c.ok);
        EXPECT_GE(elapsedMs(start), c.minMs);
        EXPECT_LE(elapsedMs(start), c.maxMs);
        EXPECT_EQ(Bytes(resp.begin(), resp.begin() + c.count), c.bytes);
        runFor(50);
        EXPECT_TRUE(received.empty()) << "the bytes WaitResponse took must not arrive again";
        link->DisconnectPrinter();
    }
}

TEST_F(LinkTest, ReplyBytesBeyondTheCountGoToTheNextWaitOrOnToTheWindows) {
    struct Case {
        int port;
        Bytes handedOn;  // on USB HID as a report reaches the windows
    } cases[] = {{17, {0x18}}, {18, {0x09, 0x01, 0x18}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        ASSERT_TRUE(connect(c.port, 5));
        printer.setReply({0x10, 0x04, 0x04}, {0x16, 0x17, 0x18});
        for (bool purge : {false, true}) {
            received.clear();
            ASSERT_TRUE(link->SendOutput(request(c.port, {0x10, 0x04, 0x04})));
            Bytes resp(1, 0);
            ASSERT_TRUE(link->WaitResponse(resp, 1));
            EXPECT_EQ(resp[0], 0x16);
            const auto start = clock.now();
            ASSERT_TRUE(link->WaitResponse(resp, 1));
            EXPECT_EQ(resp[0], 0x17);
            EXPECT_EQ(clock.now(), start) << "held bytes are taken without waiting";
            if (purge) link->PurgeCommunication(8);
            runFor(10);
            EXPECT_EQ(received, purge ? std::vector<Bytes>{} : std::vector<Bytes>{c.handedOn});
        }
        link->DisconnectPrinter();
    }
}

TEST_F(LinkTest, PurgeDiscardsSerialInputAndLetsPendingDataSettleElsewhere) {
    struct Case {
        int port;
        double minMs, maxMs;
    } cases[] = {{1, 0, 1}, {17, 400, 600}, {18, 50, 150}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        ASSERT_TRUE(connect(c.port));
        if (c.port == 1) serial.peerSend({0x41, 0x42});
        const auto start = clock.now();
        EXPECT_TRUE(link->PurgeCommunication(12));
        EXPECT_GE(elapsedMs(start), c.minMs);
        EXPECT_LE(elapsedMs(start), c.maxMs);
        if (c.port == 1) {
            EXPECT_EQ(serial.InBufferCount(), 0);
        }
        link->DisconnectPrinter();
    }
    runFor(10);
    EXPECT_TRUE(received.empty());
}

TEST_F(LinkTest, PurgeOnAClosedLinkReturnsFalseAtOnce) {
    const auto start = clock.now();
    EXPECT_FALSE(link->PurgeCommunication(12));
    EXPECT_EQ(clock.now(), start);
}

}  // namespace
}  // namespace linktest
