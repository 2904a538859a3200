#include "doubles/FakeTcpSocket.h"

#include <gtest/gtest.h>

#include "platform/RuntimeError.h"

namespace {

using platform::Bytes;
namespace sck = platform::sck;

class FakeTcpSocketTest : public ::testing::Test {
protected:
    FakeTcpSocketTest() {
        platform::EventLoop::setCurrent(&loop);
        socket.OnConnect = [this] { events.push_back("connect"); };
        socket.OnError = [this](int number, const std::string&) { events.push_back("error " + std::to_string(number)); };
        socket.OnClose = [this] { events.push_back("close"); };
        socket.OnSendComplete = [this] { events.push_back("sent"); };
        socket.OnDataArrival = [this](long n) { events.push_back("data " + std::to_string(n)); };
        network.listen("192.168.1.50", 9100, [this](std::shared_ptr<doubles::FakeTcpPeer> p) {
            peer = p;
            peer->onReceive = [this](const Bytes& b) { peerGot.insert(peerGot.end(), b.begin(), b.end()); };
            peer->onClientClosed = [this] { peerSawClose = true; };
        });
        network.refuse("192.168.1.50", 9101);
        network.ignore("192.168.1.51", 9100);
    }
    ~FakeTcpSocketTest() override { platform::EventLoop::setCurrent(nullptr); }

    void connectTo(const std::string& host, int port) {
        socket.RemoteHost = host;
        socket.RemotePort = port;
        socket.Connect();
    }
    // Runs the loop until the socket leaves the connecting state.
    void settle() { loop.runUntil([this] { return socket.State() != sck::Connecting && !loop.hasPendingPosts(); }); }

    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    doubles::FakeNetwork network{clock};
    doubles::FakeTcpSocket socket{loop, network};
    std::shared_ptr<doubles::FakeTcpPeer> peer;
    Bytes peerGot;
    bool peerSawClose = false;
    std::vector<std::string> events;
};

TEST_F(FakeTcpSocketTest, ConnectOutcomes) {
    struct Case {
        const char* host;
        int port;
        int state;
        std::string event;
        platform::Micros atLeast;
    };
    const Case cases[] = {
        {"192.168.1.50", 9100, sck::Connected, "connect", 0},
        {"192.168.1.50", 9101, sck::Error, "error 10061", 0},
        {"10.0.0.9", 9100, sck::Error, "error 10061", 0},
        {"no-such-printer", 9100, sck::Error, "error 11001", 0},
        {"192.168.1.51", 9100, sck::Error, "error 10060", 21'000'000},
    };
    for (const Case& c : cases) {
        events.clear();
        socket.Close();
        const platform::Micros start = clock.now();
        connectTo(c.host, c.port);
        EXPECT_EQ(socket.State(), sck::Connecting) << c.host;
        EXPECT_TRUE(events.empty()) << "nothing is raised inside Connect";
        settle();
        EXPECT_EQ(socket.State(), c.state) << c.host;
        EXPECT_EQ(events, std::vector<std::string>{c.event}) << c.host;
        EXPECT_GE(clock.now() - start, c.atLeast) << c.host;
    }
}

TEST_F(FakeTcpSocketTest, CallsInTheWrongStateThrow) {
    EXPECT_THROW(socket.SendData(Bytes{1}), platform::RuntimeError);
    connectTo("192.168.1.50", 9100);
    try {
        socket.Connect();
        FAIL() << "a second Connect must throw";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), sck::ErrWrongProtocolOrState);
    }
    socket.Close();
    socket.RemotePort = 0;
    EXPECT_THROW(socket.Connect(), platform::RuntimeError);
}

TEST_F(FakeTcpSocketTest, DataBothWaysAndSendComplete) {
    connectTo("192.168.1.50", 9100);
    settle();
    events.clear();
    socket.SendData(Bytes{0x1D, 0x49, 0x40, 0xA3});
    EXPECT_TRUE(events.empty());
    loop.doEvents();
    EXPECT_EQ(events, std::vector<std::string>{"sent"});
    EXPECT_EQ(peerGot, (Bytes{0x1D, 0x49, 0x40, 0xA3}));

    peer->send({0xA3, 0x30});
    peer->send({0x33});
    loop.doEvents();
    loop.doEvents();
    EXPECT_EQ(events.back(), "data 3") << "one data event reports what waits when it runs";
    EXPECT_EQ(socket.BytesReceived(), 3);
    EXPECT_EQ(socket.GetData(), (Bytes{0xA3, 0x30, 0x33}));
    EXPECT_TRUE(socket.GetData().empty());
}

TEST_F(FakeTcpSocketTest, PeerCloseKeepsDataReadableAndClientCloseReachesThePeer) {
    connectTo("192.168.1.50", 9100);
    settle();
    peer->send({0x12});
    peer->close();
    loop.runUntil([this] { return socket.State() == sck::Closing && !loop.hasPendingPosts(); });
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "data 1", "close"}));
    EXPECT_EQ(socket.GetData(), Bytes{0x12});
    EXPECT_THROW(socket.SendData(Bytes{1}), platform::RuntimeError);

    socket.Close();
    connectTo("192.168.1.50", 9100);
    settle();
    socket.SendData(Bytes{0x41});
    socket.Close();
    platform::Sleep(1);
    EXPECT_EQ(peerGot.back(), 0x41) << "bytes sent before the close still arrive";
    EXPECT_TRUE(peerSawClose);
}

TEST_F(FakeTcpSocketTest, NoEventOfAClosedConnectionReachesTheNextOne) {
    connectTo("192.168.1.50", 9101);
    clock.advanceTo(clock.now() + 5000);  // the refusal is posted, not yet delivered
    socket.Close();
    connectTo("192.168.1.50", 9100);
    settle();
    EXPECT_EQ(events, std::vector<std::string>{"connect"});
}

}  // namespace
