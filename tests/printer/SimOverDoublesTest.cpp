// The simulated printer attached to each transport double, driven the way
// the printer link drives the transports, on the virtual clock.
#include <gtest/gtest.h>

#include "doubles/FakeTcpSocket.h"
#include "printer/DoubleAdapters.h"

namespace {

using platform::Bytes;
namespace sck = platform::sck;

const Bytes kFirmwareRequest{0x1D, 0x49, 0x40, 0xA3};
const Bytes kFirmwareReply{0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D};
const Bytes kRestart{0x1D, 0xFF};

class SimOverDoublesTest : public ::testing::Test {
protected:
    SimOverDoublesTest() { platform::EventLoop::setCurrent(&loop); }
    ~SimOverDoublesTest() override { platform::EventLoop::setCurrent(nullptr); }

    // Runs the loop until done() or until a virtual second has passed; the
    // deadline is a world action, so a loop with nothing else to wait for
    // moves on to it instead of waiting for ever.
    void waitFor(const std::function<bool()>& done) {
        const platform::Micros until = clock.now() + 1'000'000;
        clock.scheduleAt(until, [] {});
        loop.runUntil([&] { return done() || clock.now() >= until; });
    }

    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    sim::VirtualScheduler scheduler{clock};
    sim::SimPrinter printer{scheduler};
};

// --- Serial --------------------------------------------------------------

class SimOverSerialTest : public SimOverDoublesTest {
protected:
    SimOverSerialTest() {
        port.RThreshold = 1;
        port.OnComm = [this] {
            events.push_back(port.CommEvent);
            if (port.CommEvent == platform::comm::EvReceive) {
                const Bytes in = port.Input();
                received.insert(received.end(), in.begin(), in.end());
            }
        };
        port.setPortOpen(true);
    }
    // Sends and yields until `n` reply bytes arrived (or a second passed).
    Bytes ask(const Bytes& command, std::size_t n) {
        received.clear();
        port.Output(command);
        waitFor([&] { return received.size() >= n; });
        return received;
    }

    doubles::FakeSerialPort port{loop, clock};
    sim::SerialDoubleAdapter adapter{printer, port};
    std::vector<int> events;
    Bytes received;
};

TEST_F(SimOverSerialTest, AnswersStatusAndFirmware) {
    printer.config().printerType = 3;
    EXPECT_EQ(ask({0x10, 0x04, 0x02, 0x10, 0x04, 0x05}, 2), (Bytes{0x12, 0x12}));
    EXPECT_EQ(ask(kFirmwareRequest, 6), kFirmwareReply);
}

TEST_F(SimOverSerialTest, CtsLowFaultAndRestartShowOnTheModemLines) {
    printer.setCtsLow(true);
    loop.doEvents();
    EXPECT_FALSE(port.CTSHolding());
    printer.setCtsLow(false);
    loop.doEvents();
    EXPECT_EQ(events, (std::vector<int>{platform::comm::EvCTS, platform::comm::EvCTS}));

    events.clear();
    printer.config().restartTime = 500'000;
    port.Output(kRestart);
    platform::Sleep(10);
    EXPECT_FALSE(port.CTSHolding()) << "CTS drops while the printer restarts";
    EXPECT_TRUE(ask(kFirmwareRequest, 6).empty()) << "a restarting printer does not answer";
    platform::Sleep(500);
    EXPECT_TRUE(port.CTSHolding());
    EXPECT_EQ(ask(kFirmwareRequest, 6), kFirmwareReply);
    EXPECT_EQ(events, (std::vector<int>{platform::comm::EvCTS, platform::comm::EvCTS, platform::comm::EvReceive}));
}

// --- TCP -----------------------------------------------------------------

class SimOverTcpTest : public SimOverDoublesTest {
protected:
    SimOverTcpTest() {
        socket.RemoteHost = "192.168.0.20";
        socket.RemotePort = 9100;
        socket.OnConnect = [this] { events.push_back("connect"); };
        socket.OnClose = [this] { events.push_back("close"); };
        socket.OnError = [this](int n, const std::string&) { events.push_back("error " + std::to_string(n)); };
        socket.OnDataArrival = [this](long) {
            const Bytes in = socket.GetData();
            received.insert(received.end(), in.begin(), in.end());
        };
    }
    int connect() {
        socket.Close();
        socket.Connect();
        loop.runUntil([this] { return socket.State() != sck::Connecting && !loop.hasPendingPosts(); });
        return socket.State();
    }
    Bytes ask(const Bytes& command, std::size_t n) {
        received.clear();
        socket.SendData(command);
        waitFor([&] { return received.size() >= n; });
        return received;
    }

    doubles::FakeNetwork network{clock};
    doubles::FakeTcpSocket socket{loop, network};
    sim::TcpDoubleAdapter adapter{printer, network, "192.168.0.20", 9100};
    std::vector<std::string> events;
    Bytes received;
};

TEST_F(SimOverTcpTest, AnswersTheLanProbesAndFirmware) {
    ASSERT_EQ(connect(), sck::Connected);
    EXPECT_EQ(ask({0x1D, 0x04, 0x01}, 1), Bytes{0x12});
    EXPECT_EQ(ask({0x1B, 0x76}, 1), Bytes{0x00});
    EXPECT_EQ(ask(kFirmwareRequest, 6), kFirmwareReply);
}

TEST_F(SimOverTcpTest, PrinterClosingTheConnection) {
    ASSERT_EQ(connect(), sck::Connected);
    printer.closeConnection();
    loop.runUntil([this] { return socket.State() == sck::Closing; });
    ASSERT_EQ(connect(), sck::Connected) << "the printer takes a new connection at once";
    EXPECT_EQ(ask(kFirmwareRequest, 6), kFirmwareReply);
}

TEST_F(SimOverTcpTest, RestartClosesRefusesThenAcceptsAgain) {
    printer.config().restartTime = 3'000'000;
    ASSERT_EQ(connect(), sck::Connected);
    socket.SendData(kRestart);
    loop.runUntil([this] { return socket.State() == sck::Closing; });
    EXPECT_EQ(connect(), sck::Error);
    EXPECT_EQ(events.back(), "error 10061");
    platform::Sleep(3000);
    EXPECT_EQ(connect(), sck::Connected);
    EXPECT_EQ(ask(kFirmwareRequest, 6), kFirmwareReply);
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "close", "error 10061", "connect"}));
}

// --- USB HID -------------------------------------------------------------

class SimOverHidTest : public SimOverDoublesTest {
protected:
    SimOverHidTest() {
        printer.config().printerType = 8;
        adapter = std::make_unique<sim::HidDoubleAdapter>(printer, hid);
    }

    std::intptr_t openPrinter() {
        const auto paths = hid.hidInterfacePaths();
        return paths.empty() ? -1 : hid.open(paths[0]);
    }
    // A command framed one more than its length, zero-padded to 64 bytes.
    static Bytes report(const Bytes& command) {
        Bytes r(64, 0);
        r[0] = 0x08;
        r[1] = static_cast<std::uint8_t>(command.size() + 1);
        std::copy(command.begin(), command.end(), r.begin() + 2);
        return r;
    }
    // The report up to its first zero byte, as the link reads a reply.
    static Bytes untilZero(const std::optional<Bytes>& r) {
        if (!r) return {};
        return Bytes(r->begin(), std::find(r->begin(), r->end(), 0));
    }

    doubles::FakeHidSystem hid{clock};
    std::unique_ptr<sim::HidDoubleAdapter> adapter;
};

TEST_F(SimOverHidTest, ShowsItsTypesIdentityAndAnswersInInputReports) {
    EXPECT_EQ(hid.usbDeviceIdentifiers()[0], "HID\\\\VID_1B7D&PID_D2E3\\\\7&2F1B3C&0&0000");
    const auto h = openPrinter();
    ASSERT_GT(h, 0);
    ASSERT_TRUE(hid.write(h, report(kFirmwareRequest)));
    EXPECT_EQ(untilZero(hid.read(h, 150)), (Bytes{0x09, 0x06, 0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}));
    ASSERT_TRUE(hid.write(h, report({0x10, 0x04, 0x02})));
    EXPECT_EQ(untilZero(hid.read(h, 150)), (Bytes{0x09, 0x01, 0x12}));
}

TEST_F(SimOverHidTest, SilentPrinterLetsTheReadTimeOut) {
    printer.setReplyFault(sim::ReplyFault::Silent);
    const auto h = openPrinter();
    hid.write(h, report(kFirmwareRequest));
    EXPECT_FALSE(hid.read(h, 150).has_value());
}

TEST_F(SimOverHidTest, RemovedDeviceAndRestart) {
    auto h = openPrinter();
    printer.removeDevice();
    EXPECT_FALSE(hid.write(h, report(kFirmwareRequest)));
    EXPECT_EQ(openPrinter(), -1);
    printer.restoreDevice();
    h = openPrinter();
    ASSERT_GT(h, 0);

    printer.config().restartTime = 2'000'000;
    ASSERT_TRUE(hid.write(h, {0x08, 0x03, 0x1D, 0xFF, 0x00, 0x00}));
    EXPECT_FALSE(hid.read(h, 150).has_value());
    EXPECT_EQ(openPrinter(), -1) << "the device is gone while the printer restarts";
    platform::Sleep(2000);
    h = openPrinter();
    ASSERT_GT(h, 0) << "and present again afterwards";
    ASSERT_TRUE(hid.write(h, report(kFirmwareRequest)));
    EXPECT_EQ(untilZero(hid.read(h, 150)), (Bytes{0x09, 0x06, 0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}));
    EXPECT_EQ(printer.commands(), (std::vector<std::string>{"restart 1D FF", "GS I @ A3 (firmware)"}));
}

}  // namespace
