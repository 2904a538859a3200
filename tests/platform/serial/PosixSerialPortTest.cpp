// The serial port against a pseudo-terminal on the real clock: the test holds
// the master side, the port opens the slave through ports/COM5.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TransportTestSupport.h"
#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "platform/serial/PosixSerialPort.h"

using namespace platform;
namespace fs = std::filesystem;

using test::errorOf;

namespace {

struct SerialOnPty : ::testing::Test {
    test::RealLoop real;
    std::string folder;
    std::string savedPath = app().path();
    int master = -1, slave = -1;
    std::string slaveName;
    std::vector<int> events;
    bool inCall = false;
    bool raisedInCall = false;

    void SetUp() override {
        char pattern[] = "/tmp/serial-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        fs::create_directory(folder + "/ports");
        app().setPath(folder);

        char name[128];
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        slaveName = name;
        // The test keeps its own slave descriptor so the master never reads
        // a hang-up while the port is closed between cases.
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        fs::create_symlink(slaveName, folder + "/ports/COM5");
    }

    void TearDown() override {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
        fs::remove_all(folder);
        app().setPath(savedPath);
    }

    void listen(PosixSerialPort& port) {
        port.OnComm = [&] {
            events.push_back(port.CommEvent);
            raisedInCall = raisedInCall || inCall;
        };
    }

    void openCom5(PosixSerialPort& port, const std::string& settings = "9600,N,8,1", int handshaking = 0) {
        port.CommPort = 5;
        port.Settings = settings;
        port.Handshaking = handshaking;
        port.InputMode = comm::InputModeBinary;
        port.RThreshold = 1;
        port.DTREnable = true;
        port.setPortOpen(true);
    }

    void writeMaster(const std::string& text) {
        ASSERT_EQ(::write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Reads what reaches the master until `count` bytes came or time ran out.
    std::string readMaster(std::size_t count, int ms = 10000) {
        std::string got;
        real.runUntil(
            [&] {
                char buf[65536];
                ssize_t n;
                while ((n = ::read(master, buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
                return got.size() >= count;
            },
            ms);
        return got;
    }

    // Sleeps on the clock without serving events, as the link's reply wait does.
    bool sleepUntilWaiting(PosixSerialPort& port, int count) {
        for (int i = 0; i < 1000 && port.InBufferCount() < count; ++i) real.clock.sleepFor(10'000);
        return port.InBufferCount() >= count;
    }
};

TEST_F(SerialOnPty, OpensThroughPortLinkOrFileAndAppliesSettings) {
    struct Case {
        const char* portFile;  // nullptr: the symbolic link made in SetUp
        const char* settings;
        int handshaking;
        speed_t speed;
        tcflag_t cflag, iflag;
    };
    const Case cases[] = {
        {nullptr, "9600,N,8,1", 0, B9600, 0, 0},
        {"%s\n", "19200,E,7,2", 1, B19200, CSTOPB, IXON | IXOFF},
        {"  %s\r\nignored\n", "115200,O,8,1", 2, B115200, PARODD | CRTSCTS, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        if (c.portFile) {
            fs::remove(folder + "/ports/COM5");
            char content[256];
            std::snprintf(content, sizeof content, c.portFile, slaveName.c_str());
            std::ofstream(folder + "/ports/COM5") << content;
        }
        PosixSerialPort port(real.loop);
        openCom5(port, c.settings, c.handshaking);
        ASSERT_TRUE(port.PortOpen());

        // The master reports the slave's line settings. A pseudo-terminal
        // forces 8 data bits without parity, so those two are checked on
        // the termios mapping alone (LineSettingsTest).
        termios tio {};
        ASSERT_EQ(::tcgetattr(master, &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & (PARODD | CSTOPB | CRTSCTS), c.cflag);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), c.iflag);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);

        port.setPortOpen(false);
        EXPECT_FALSE(port.PortOpen());
    }
}

TEST_F(SerialOnPty, BytesTravelBothWaysAndArrivalIsAnEventOnALaterPass) {
    PosixSerialPort port(real.loop);
    listen(port);
    openCom5(port);

    writeMaster("\x10\x04\x02 reply");
    ASSERT_TRUE(real.runUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector<int>{comm::EvReceive});
    EXPECT_EQ(toText(port.Input()), "\x10\x04\x02 reply");
    EXPECT_EQ(port.InBufferCount(), 0);

    inCall = true;
    port.Output(toBytes("\x1d\x49\x40\xa3"));
    inCall = false;
    EXPECT_EQ(readMaster(4), "\x1d\x49\x40\xa3");

    // A reply that arrives while the caller sleeps without serving events is
    // counted, taken InputLen bytes at a time, and its event comes later.
    events.clear();
    writeMaster("ABC");
    inCall = true;
    ASSERT_TRUE(sleepUntilWaiting(port, 3));
    port.InputLen = 2;
    EXPECT_EQ(toText(port.Input()), "AB");
    inCall = false;
    port.InputLen = 0;
    ASSERT_TRUE(real.runUntil([&] { return !events.empty(); }));
    EXPECT_EQ(toText(port.Input()), "C");
    EXPECT_FALSE(raisedInCall);
}

TEST_F(SerialOnPty, LargeOutputIsQueuedAndArrivesWholeAndInOrder) {
    PosixSerialPort port(real.loop);
    openCom5(port);
    std::string big(300'000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 23);

    port.Output(toBytes(big));
    EXPECT_GT(port.OutBufferCount(), 0);  // more than the terminal takes at once
    std::string got = readMaster(big.size());
    EXPECT_EQ(got.size(), big.size());
    EXPECT_TRUE(got == big);
    EXPECT_TRUE(real.runUntil([&] { return port.OutBufferCount() == 0; }));
}

TEST_F(SerialOnPty, PurgeDiscardsWaitingInputAndUnsentOutput) {
    PosixSerialPort port(real.loop);
    listen(port);
    openCom5(port);

    writeMaster("stale status bytes");
    ASSERT_TRUE(sleepUntilWaiting(port, 18));
    port.setInBufferCount(0);
    EXPECT_EQ(port.InBufferCount(), 0);
    real.runFor(30);
    EXPECT_TRUE(port.Input().empty());
    EXPECT_TRUE(events.empty());  // nothing left to report

    port.Output(Bytes(300'000, 'x'));
    ASSERT_GT(port.OutBufferCount(), 0);
    port.setOutBufferCount(0);
    EXPECT_EQ(port.OutBufferCount(), 0);
    EXPECT_LT(readMaster(300'000, 300).size(), 300'000u);

    EXPECT_EQ(errorOf([&] { port.setInBufferCount(3); }), err::InvalidProperty);
    EXPECT_EQ(errorOf([&] { port.setOutBufferCount(3); }), err::InvalidProperty);
}

// A command handed over just before the port closes (a restart, then the
// reconnect) still reaches the device; only output the port could not hand
// over is dropped.
TEST_F(SerialOnPty, ClosingKeepsOutputAlreadyHandedOverAndDropsOnlyWhatIsHeld) {
    PosixSerialPort port(real.loop);
    openCom5(port);
    port.Output(toBytes("\x1d\xff"));
    ASSERT_EQ(port.OutBufferCount(), 0);
    port.setPortOpen(false);
    EXPECT_EQ(readMaster(2), "\x1d\xff");

    openCom5(port);
    port.Output(Bytes(300'000, 'x'));
    ASSERT_GT(port.OutBufferCount(), 0);
    port.setPortOpen(false);  // does not wait for a device that reads nothing
    EXPECT_LT(readMaster(300'000, 300).size(), 300'000u);
}

TEST_F(SerialOnPty, PtyReadsLinesAssertedUntilTheDeviceVanishes) {
    PosixSerialPort port(real.loop);
    listen(port);
    openCom5(port);
    EXPECT_TRUE(port.CTSHolding());
    EXPECT_TRUE(port.DSRHolding());

    ::close(master);
    ::close(slave);
    master = slave = -1;
    ASSERT_TRUE(real.runUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (std::vector<int>{comm::EvCTS, comm::EvDSR}));
    EXPECT_FALSE(port.CTSHolding());
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(errorOf([&] { port.Output(toBytes("x")); }), err::PortOpenFailed);
    port.setPortOpen(false);
}

TEST_F(SerialOnPty, PortWithoutDeviceIsAnInvalidPortNumberNamingTheDevice) {
    std::ofstream(folder + "/ports/COM7") << "/dev/no-such-printer\n";
    fs::create_symlink("/dev/also-missing", folder + "/ports/COM8");
    std::ofstream(folder + "/ports/COM9") << "\n";
    struct Case {
        int port;
        const char* mentions;
    };
    const Case cases[] = {
        {7, "/dev/no-such-printer"}, {8, "COM8"}, {9, "COM9"}, {40, "COM40"}, {16, "/dev/ttyS15"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        if (c.port == 16 && fs::exists("/dev/ttyS15")) continue;  // a machine with that many UART nodes
        PosixSerialPort port(real.loop);
        port.CommPort = c.port;
        std::string description;
        EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }, &description), err::InvalidPortNumber);
        EXPECT_NE(description.find(c.mentions), std::string::npos) << description;
        EXPECT_NE(description.find("Invalid port number"), std::string::npos) << description;
        EXPECT_FALSE(port.PortOpen());
    }
}

TEST_F(SerialOnPty, PortInUseIsAlreadyOpen) {
    PosixSerialPort first(real.loop), second(real.loop);
    openCom5(first);
    std::string description;
    EXPECT_EQ(errorOf([&] { openCom5(second); }, &description), err::PortAlreadyOpen);
    EXPECT_NE(description.find("COM5"), std::string::npos);
    EXPECT_EQ(errorOf([&] { first.setPortOpen(true); }), err::PortAlreadyOpen);
    EXPECT_FALSE(second.PortOpen());

    first.setPortOpen(false);
    openCom5(second);
    EXPECT_TRUE(second.PortOpen());
}

TEST_F(SerialOnPty, RefusedSettingsLeaveThePortClosedAndFree) {
    const char* settings[] = {"9600,N,8", "9600,X,8,1", "14400,N,8,1", "9600,M,8,1", "9600,N,8,1.5"};
    for (const char* text : settings) {
        SCOPED_TRACE(text);
        PosixSerialPort port(real.loop);
        EXPECT_EQ(errorOf([&] { openCom5(port, text); }), err::InvalidProperty);
        EXPECT_FALSE(port.PortOpen());
    }
    PosixSerialPort port(real.loop);
    EXPECT_EQ(errorOf([&] { openCom5(port, "9600,N,8,1", 3); }), err::InvalidProperty);
    openCom5(port);  // nothing was left locked
    EXPECT_TRUE(port.PortOpen());
}

TEST_F(SerialOnPty, ClosedPortRefusesIoAndDropsQueuedEvents) {
    PosixSerialPort port(real.loop);
    listen(port);
    const std::function<void()> calls[] = {
        [&] { port.Output(toBytes("x")); }, [&] { port.Input(); },          [&] { port.InBufferCount(); },
        [&] { port.OutBufferCount(); },     [&] { port.setInBufferCount(0); }, [&] { port.CTSHolding(); },
    };
    for (const auto& call : calls) EXPECT_EQ(errorOf(call), err::PortNotOpen);

    openCom5(port);
    writeMaster("xyz");
    ASSERT_TRUE(sleepUntilWaiting(port, 3));
    port.InputLen = 1;
    EXPECT_EQ(toText(port.Input()), "x");  // the rest waits and its event is queued
    port.setPortOpen(false);
    real.runFor(30);
    EXPECT_TRUE(events.empty());
}

}  // namespace
