// The simulated printer behind a real loopback listener, reached with the
// utility's own socket control on the real clock. The restart lasts long
// enough to be seen refusing on a loaded machine; its end is waited for.
#include <gtest/gtest.h>

#include "platform/TransportTestSupport.h"
#include "platform/tcp/TcpSocket.h"
#include "printer-sim/TcpListenerAdapter.h"

namespace {

using platform::Bytes;
namespace sck = platform::sck;

TEST(SimOverRealTransports, LoopbackListenerAnswersRestartsAndComesBack) {
    platform::test::RealLoop real;
    sim::LoopScheduler scheduler(real.loop);
    sim::SimConfig config;
    config.restartTime = 1'000'000;
    sim::SimPrinter printer(scheduler, config);
    sim::TcpListenerAdapter adapter(printer, real.loop, "127.0.0.1", 0);

    platform::TcpSocket socket(real.loop);
    Bytes received;
    std::vector<int> errors;
    socket.OnDataArrival = [&](long) {
        const Bytes in = socket.GetData();
        received.insert(received.end(), in.begin(), in.end());
    };
    socket.OnError = [&](int number, const std::string&) { errors.push_back(number); };
    socket.RemoteHost = "127.0.0.1";
    socket.RemotePort = adapter.port();
    auto connect = [&] {
        socket.Close();
        socket.Connect();
        real.runUntil([&] { return socket.State() != sck::Connecting; });
        return socket.State();
    };

    ASSERT_EQ(connect(), sck::Connected);
    socket.SendData(Bytes{0x1D, 0x49, 0x40, 0xA3});
    ASSERT_TRUE(real.runUntil([&] { return received.size() >= 5; }));
    EXPECT_EQ(received, (Bytes{0xA3, 0x30, 0x33, 0x39, 0x38, 0x0D}));

    socket.SendData(Bytes{0x1D, 0xFF});
    ASSERT_TRUE(real.runUntil([&] { return socket.State() == sck::Closing; })) << "the printer drops the connection";
    EXPECT_EQ(connect(), sck::Error);
    ASSERT_TRUE(real.runUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0], sck::ErrConnectionRefused) << "and refuses while it restarts";

    bool back = false;
    for (int attempt = 0; attempt < 100 && !back; ++attempt) {
        back = connect() == sck::Connected;
        if (!back) real.runFor(100);
    }
    ASSERT_TRUE(back) << "then takes connections again";
    received.clear();
    socket.SendData(Bytes{0x10, 0x04, 0x02});
    ASSERT_TRUE(real.runUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received, Bytes{0x12});
}

}  // namespace
