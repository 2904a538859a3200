#include "doubles/FakeSerialPort.h"

#include <gtest/gtest.h>

#include "platform/TransportTestSupport.h"

namespace {

using platform::Bytes;

class FakeSerialPortTest : public ::testing::Test {
protected:
    FakeSerialPortTest() {
        platform::EventLoop::setCurrent(&loop);
        port.OnComm = [this] { events.push_back(port.CommEvent); };
        port.peerReceive = [this](const Bytes& bytes) { peerGot.insert(peerGot.end(), bytes.begin(), bytes.end()); };
    }
    ~FakeSerialPortTest() override { platform::EventLoop::setCurrent(nullptr); }

    void passes(int n = 3) {
        for (int i = 0; i < n; ++i) loop.doEvents();
    }
    static int errorOf(const std::function<void()>& call) { return platform::test::errorOf(call); }

    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    doubles::FakeSerialPort port{loop, clock};
    std::vector<int> events;
    Bytes peerGot;
};

TEST_F(FakeSerialPortTest, OpeningFailsWithTheControlsNumbers) {
    port.addPort(2);
    port.setPortInUse(2, true);
    struct Case {
        const char* what;
        int commPort;
        const char* settings;
        int error;
    };
    const Case cases[] = {
        {"no such port", 5, "9600,N,8,1", platform::err::InvalidPortNumber},
        {"port in use", 2, "9600,N,8,1", platform::err::PortAlreadyOpen},
        {"malformed settings", 1, "9600,X,8,1", platform::err::InvalidProperty},
        {"not a settings text", 1, "fast", platform::err::InvalidProperty},
        {"fine", 1, "115200,E,7,2", 0},
    };
    for (const Case& c : cases) {
        port.CommPort = c.commPort;
        port.Settings = c.settings;
        EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }), c.error) << c.what;
        EXPECT_EQ(port.PortOpen(), c.error == 0) << c.what;
    }
    EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }), platform::err::PortAlreadyOpen);
    port.setPortOpen(false);
    EXPECT_EQ(errorOf([&] { port.Output({1}); }), platform::err::PortNotOpen);
    EXPECT_EQ(errorOf([&] { (void)port.InBufferCount(); }), platform::err::PortNotOpen);
    EXPECT_EQ(errorOf([&] { (void)port.CTSHolding(); }), platform::err::PortNotOpen);
}

TEST_F(FakeSerialPortTest, ReceiveAndLineEventsArePostedNotRaisedInsideTheCall) {
    port.RThreshold = 1;
    port.setPortOpen(true);
    port.peerSend({0x12, 0x34});
    port.setCts(false);
    port.setDsr(false);
    port.setCts(false);  // no change, no event
    EXPECT_TRUE(events.empty());
    passes();
    EXPECT_EQ(events, (std::vector<int>{platform::comm::EvReceive, platform::comm::EvCTS, platform::comm::EvDSR}));
    EXPECT_FALSE(port.CTSHolding());
    EXPECT_EQ(port.Input(), (Bytes{0x12, 0x34}));
}

TEST_F(FakeSerialPortTest, ReceiveEventNeedsAThresholdAndWaitingBytes) {
    port.setPortOpen(true);
    port.peerSend({1});
    passes();
    EXPECT_TRUE(events.empty()) << "RThreshold 0 raises no receive event";
    EXPECT_EQ(port.InBufferCount(), 1);

    port.RThreshold = 1;
    port.peerSend({2});
    port.InputLen = 1;
    EXPECT_EQ(port.Input(), Bytes{1});
    EXPECT_EQ(port.Input(), Bytes{2});
    passes();
    EXPECT_TRUE(events.empty()) << "the bytes were taken before the event ran";
}

TEST_F(FakeSerialPortTest, WritesReachThePeerWhenVirtualTimePasses) {
    port.setPortOpen(true);
    port.Output({0x10, 0x04, 0x02});
    EXPECT_TRUE(peerGot.empty());
    EXPECT_EQ(port.OutBufferCount(), 3);
    platform::Sleep(1);
    EXPECT_EQ(peerGot, (Bytes{0x10, 0x04, 0x02}));
    EXPECT_EQ(port.OutBufferCount(), 0);
}

TEST_F(FakeSerialPortTest, RtsCtsHandshakeHoldsOutputWhileCtsIsLow) {
    port.Handshaking = platform::comm::HandshakeRtsCts;
    port.setPortOpen(true);
    port.setCts(false);
    port.Output({0x41});
    platform::Sleep(10);
    EXPECT_TRUE(peerGot.empty());
    port.setCts(true);
    EXPECT_EQ(peerGot, Bytes{0x41});
}

TEST_F(FakeSerialPortTest, ClosingDropsQueuedEventsAndBuffers) {
    port.RThreshold = 1;
    port.setPortOpen(true);
    port.peerSend({1, 2});
    port.setPortOpen(false);
    port.setPortOpen(true);
    passes();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(FakeSerialPortTest, RemovedDeviceDropsLinesFailsWritesAndCannotBeReopened) {
    port.setPortOpen(true);
    port.removeDevice();
    passes();
    EXPECT_EQ(events, (std::vector<int>{platform::comm::EvCTS, platform::comm::EvDSR}));
    EXPECT_FALSE(port.CTSHolding());
    EXPECT_EQ(errorOf([&] { port.Output({1}); }), platform::err::PortOpenFailed);
    port.setPortOpen(false);
    EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }), platform::err::InvalidPortNumber);
    port.restoreDevice();
    EXPECT_EQ(errorOf([&] { port.setPortOpen(true); }), 0);
    EXPECT_TRUE(port.CTSHolding());
}

TEST_F(FakeSerialPortTest, WrongLineSettingsGarbleBothWaysWithoutError) {
    port.setPeerSettings("9600,N,8,1");
    port.Settings = "19200,N,8,1";
    port.setPortOpen(true);
    port.Output({0x10, 0x04, 0x02});
    port.peerSend({0x12});
    platform::Sleep(1);
    EXPECT_EQ(peerGot.size(), 3u);
    EXPECT_NE(peerGot, (Bytes{0x10, 0x04, 0x02}));
    EXPECT_NE(port.Input(), Bytes{0x12});
}

TEST_F(FakeSerialPortTest, BytesBeyondTheInputBufferAreLostAndReported) {
    port.InBufferSize = 4;
    port.setPortOpen(true);
    port.peerSend({1, 2, 3, 4, 5, 6});
    passes();
    EXPECT_EQ(port.InBufferCount(), 4);
    EXPECT_EQ(events, std::vector<int>{platform::comm::ErRxOver});
}

}  // namespace
