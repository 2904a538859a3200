// The TCP control against a loopback listener on the real clock.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "TransportTestSupport.h"
#include "platform/RuntimeError.h"
#include "platform/tcp/TcpSocket.h"

using namespace platform;

using test::errorOf;

namespace {

struct TcpOnLoopback : ::testing::Test {
    test::RealLoop real;
    TcpSocket socket{real.loop};
    int listener = -1;
    int peer = -1;
    int port = 0;

    std::vector<std::string> events;
    long lastBytesTotal = 0;
    int errorNumber = 0;
    std::string errorText;
    bool inCall = false;
    bool raisedInCall = false;

    void SetUp() override {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address = loopback(0);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener, 4), 0);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);

        auto seen = [this](std::string what) {
            events.push_back(std::move(what));
            raisedInCall = raisedInCall || inCall;
        };
        socket.OnConnect = [=] { seen("connect"); };
        socket.OnDataArrival = [=, this](long total) {
            lastBytesTotal = total;
            seen("data");
        };
        socket.OnError = [=, this](int number, const std::string& description) {
            errorNumber = number;
            errorText = description;
            seen("error");
        };
        socket.OnClose = [=] { seen("close"); };
        socket.OnSendComplete = [=] { seen("sent"); };
    }

    void TearDown() override {
        socket.Close();
        if (peer >= 0) ::close(peer);
        if (listener >= 0) ::close(listener);
    }

    static sockaddr_in loopback(int portNumber) {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(portNumber));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    int count(const std::string& what) const { return static_cast<int>(std::count(events.begin(), events.end(), what)); }

    void connectTo(const std::string& host, int portNumber) {
        socket.RemoteHost = host;
        socket.RemotePort = portNumber;
        inCall = true;
        socket.Connect();
        inCall = false;
    }

    // Connects and accepts the peer side.
    void connectAndAccept(const std::string& host = "127.0.0.1") {
        connectTo(host, port);
        ASSERT_TRUE(real.runUntil([&] {
            if (peer < 0) peer = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            return peer >= 0 && count("connect") == 1;
        }));
        EXPECT_EQ(socket.State(), sck::Connected);
    }

    std::string readPeer(std::size_t size) {
        std::string got;
        real.runUntil([&] {
            char buf[65536];
            ssize_t n;
            while ((n = ::recv(peer, buf, sizeof buf, 0)) > 0) got.append(buf, static_cast<std::size_t>(n));
            return got.size() >= size;
        });
        return got;
    }

    void send(const std::string& text) {
        inCall = true;
        socket.SendData(text);
        inCall = false;
    }
};

TEST_F(TcpOnLoopback, ConnectsExchangesDataAndNeverRaisesInsideTheCall) {
    connectAndAccept();
    EXPECT_EQ(errorOf([&] { socket.Connect(); }), sck::ErrWrongProtocolOrState);

    send("\x1d\x49\x40\xa3");
    EXPECT_EQ(readPeer(4), "\x1d\x49\x40\xa3");
    ASSERT_TRUE(real.runUntil([&] { return count("sent") == 1; }));

    ASSERT_EQ(::send(peer, "\xa3" "0398", 5, 0), 5);
    ASSERT_TRUE(real.runUntil([&] { return count("data") == 1; }));
    EXPECT_EQ(lastBytesTotal, 5);
    EXPECT_EQ(socket.BytesReceived(), 5);
    EXPECT_EQ(toText(socket.GetData()), "\xa3" "0398");
    EXPECT_EQ(socket.BytesReceived(), 0);
    EXPECT_TRUE(socket.GetData().empty());

    EXPECT_FALSE(raisedInCall);
    EXPECT_EQ(errorNumber, 0);
}

TEST_F(TcpOnLoopback, LargeSendCompletesOnceAllBytesAreHandedOver) {
    connectAndAccept();
    std::string big(4'000'000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);

    send(big);
    send("tail");
    EXPECT_LT(count("sent"), 2);  // the kernel cannot take 4 MB unread
    std::string got = readPeer(big.size() + 4);
    ASSERT_EQ(got.size(), big.size() + 4);
    EXPECT_TRUE(got == big + "tail");
    ASSERT_TRUE(real.runUntil([&] { return count("sent") == 2; }));
    EXPECT_FALSE(raisedInCall);
}

TEST_F(TcpOnLoopback, PeerCloseDeliversRemainingDataThenCloseAndState8) {
    connectAndAccept("localhost");  // a name, which may try ::1 before 127.0.0.1
    ASSERT_EQ(::send(peer, "bye", 3, 0), 3);
    ::close(peer);
    peer = -1;

    ASSERT_TRUE(real.runUntil([&] { return count("close") == 1; }));
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "data", "close"}));
    EXPECT_EQ(socket.State(), sck::Closing);
    EXPECT_EQ(toText(socket.GetData()), "bye");
    EXPECT_EQ(errorOf([&] { socket.SendData("x"); }), sck::ErrWrongProtocolOrState);

    // The link's close handler closes and reconnects at once.
    socket.Close();
    EXPECT_EQ(socket.State(), sck::Closed);
    events.clear();
    connectAndAccept();
}

TEST_F(TcpOnLoopback, RefusedPortGivesErrorAndState9) {
    ::close(listener);  // nobody listens on the port any more
    listener = -1;
    connectTo("127.0.0.1", port);
    ASSERT_TRUE(real.runUntil([&] { return count("error") == 1; }));
    EXPECT_EQ(errorNumber, sck::ErrConnectionRefused);
    EXPECT_NE(errorText.find(std::to_string(port)), std::string::npos) << errorText;
    EXPECT_EQ(socket.State(), sck::Error);
    EXPECT_EQ(errorOf([&] { socket.Connect(); }), sck::ErrWrongProtocolOrState);
    EXPECT_FALSE(raisedInCall);

    socket.Close();
    EXPECT_EQ(socket.State(), sck::Closed);
    connectTo("", port);
    ASSERT_TRUE(real.runUntil([&] { return count("error") == 2; }));
    EXPECT_EQ(errorNumber, sck::ErrHostNotFound);
    EXPECT_FALSE(raisedInCall);
}

TEST_F(TcpOnLoopback, ResetByThePeerIsConnectionResetAndState9) {
    connectAndAccept();
    linger hard {1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(peer);  // with linger 0: a reset
    peer = -1;

    // Sending before the loop noticed: the kernel reports the reset on a
    // write (or on the next read), and the program goes on.
    for (int i = 0; i < 50 && socket.State() == sck::Connected; ++i) {
        send("status?");
        real.clock.sleepFor(2'000);
    }
    ASSERT_TRUE(real.runUntil([&] { return count("error") == 1; }));
    EXPECT_EQ(errorNumber, sck::ErrConnectionReset);
    EXPECT_EQ(socket.State(), sck::Error);
    EXPECT_FALSE(raisedInCall);
}

TEST_F(TcpOnLoopback, CloseDropsEventsStillQueued) {
    connectAndAccept();
    send("x");  // its completion is queued, not yet delivered
    socket.Close();
    real.runFor(30);
    EXPECT_EQ(count("sent"), 0);
    EXPECT_EQ(socket.State(), sck::Closed);
}

}  // namespace
