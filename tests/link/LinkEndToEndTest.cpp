// The link over real transports on the real clock: the simulated printer
// behind a pseudo-terminal and behind a loopback TCP listener. Each wait is
// for what the test needs to see, bounded by a deadline generous enough for
// a loaded machine; times are printed as figures, not bounded.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "LinkTestSupport.h"
#include "platform/Application.h"
#include "platform/hid/LinuxHidSystem.h"
#include "platform/serial/PosixSerialPort.h"
#include "platform/tcp/TcpSocket.h"
#include "printer-sim/PtyAdapter.h"
#include "printer-sim/TcpListenerAdapter.h"

namespace linktest {
namespace {

namespace fs = std::filesystem;

double cpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// A scratch application folder with ports/ and an empty sysfs tree.
std::string makeScratchFolder() {
    char pattern[] = "/tmp/link-e2e-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    fs::create_directories(folder + "/ports");
    fs::create_directories(folder + "/sys/class/hidraw");
    return folder;
}

class RealLink : public ::testing::Test {
protected:
    RealLink() {
        platform::EventLoop::setCurrent(&loop);
        printerlink::resetLinkModuleState();
        platform::app().setPath(folder);
        printer.config().printerType = 7;  // a 3690: one status byte proves the line
        printer.config().firmware = "3545";
        sim::addStandardCommands(printer);
    }
    ~RealLink() override {
        link.reset();
        platform::app().setPath(savedPath);
        fs::remove_all(folder);
        platform::EventLoop::setCurrent(nullptr);
    }

    void makeLink() {
        link = std::make_unique<TestLink>(printerlink::LinkTransports{serial, tcp, hid},
                                          printerlink::LinkShellServices{dialogs, settings, notices}, loop);
        dataSubscription = link->OnDataReceived.subscribe([this](const Bytes& data) { bytesToWindows += data.size(); });
    }

    // The status requests the printer took; it answers each with one byte,
    // which on TCP goes to the windows.
    std::size_t statusRequestsTaken() const {
        std::size_t asked = 0;
        for (const std::string& name : printer.commands())
            if (name.rfind("DLE EOT", 0) == 0 || name.rfind("GS EOT", 0) == 0 || name == "ESC v") ++asked;
        return asked;
    }

    // Runs the loop until done() or the deadline; a ticking timer bounds each wait.
    bool runUntil(const std::function<bool()>& done, int ms = 10000) {
        platform::Timer tick(loop);
        tick.onTimer = [] {};
        tick.setInterval(5);
        const auto deadline = clock.now() + platform::Micros{ms} * 1000;
        loop.runUntil([&] { return done() || clock.now() >= deadline; });
        return done();
    }

    // What the main window does after a good connect: check, then firmware.
    void probe() {
        link->m_bValidationSend = true;
        const std::size_t checkRequests = statusRequestsTaken() + 2;  // DLE EOT 2 and DLE EOT 5
        link->RequestConnectionCheckStatus();
        if (link->EthernetStatus() == "True")  // the link takes the answers at the door
            ASSERT_TRUE(runUntil([&] { return statusRequestsTaken() >= checkRequests; }));
        else
            ASSERT_TRUE(runUntil([&] { return link->m_CheckingConfiguration; }));
        link->RequestFirmwareVersion();
        ASSERT_TRUE(runUntil([&] { return !link->m_bAwaitingFirmware; }));
        EXPECT_EQ(link->m_dblFirmwareVersion, 3545);
        EXPECT_TRUE(link->m_FWVersion48ColSupport);
    }

    platform::RealClock clock;
    platform::EventLoop loop{clock};
    std::string folder = makeScratchFolder();
    std::string savedPath = platform::app().path();
    platform::PosixSerialPort serial{loop};
    platform::TcpSocket tcp{loop};
    platform::LinuxHidSystem hid{folder + "/sys"};
    sim::LoopScheduler scheduler{loop};
    sim::SimPrinter printer{scheduler};
    FakeDialogService dialogs;
    FakeSettings settings;
    FakeNotices notices{loop};
    std::unique_ptr<TestLink> link;
    std::size_t bytesToWindows = 0;
    printerlink::LinkEvent<const Bytes&>::Subscription dataSubscription;
};

TEST_F(RealLink, ConnectsAndProbesOverAPseudoTerminal) {
    sim::PtyAdapter pty(printer, loop);
    fs::create_symlink(pty.slavePath(), folder + "/ports/COM3");
    makeLink();
    dialogs.choice.port = 3;
    dialogs.choice.model = 7;
    ASSERT_TRUE(link->ConnectPrinter()) << link->LastErrorDesc;
    EXPECT_EQ(link->PortNumber(), 3);
    probe();
    EXPECT_TRUE(link->m_bConnectionCheckPassed);
    EXPECT_TRUE(link->DisconnectPrinter());
}

TEST_F(RealLink, ConnectsAndProbesOverLoopbackTcpWithoutSpinning) {
    sim::TcpListenerAdapter listener(printer, loop, "127.0.0.1", 0);
    makeLink();
    dialogs.choice.port = 17;
    dialogs.choice.model = 7;
    dialogs.choice.ip = "127.0.0.1";
    dialogs.choice.hostPort = std::to_string(listener.port());
    const double cpuBefore = cpuMs();
    const auto wallBefore = clock.now();
    ASSERT_TRUE(link->ConnectPrinter()) << link->LastErrorDesc;
    const double connectWallMs = static_cast<double>(clock.now() - wallBefore) / 1000.0;
    const double connectCpuMs = cpuMs() - cpuBefore;
    // The connect yields 10000 times; yields wait for events, they do not spin.
    std::cout << "[ figure   ] TCP connect with 10000 yields: " << connectWallMs << " ms wall, " << connectCpuMs
              << " ms CPU\n";
    EXPECT_LT(connectCpuMs, connectWallMs * 0.5) << connectCpuMs << " ms CPU in " << connectWallMs << " ms";
    link->ProbeLanPrinterStatus();
    EXPECT_TRUE(printerlink::bLanAnswersGsEot);
    probe();
}

TEST_F(RealLink, SendingA37KbLogoToAReadyLanPrinterDeliversItWithLittleCpu) {
    sim::TcpListenerAdapter listener(printer, loop, "127.0.0.1", 0);
    makeLink();
    dialogs.choice.port = 17;
    dialogs.choice.ip = "127.0.0.1";
    dialogs.choice.hostPort = std::to_string(listener.port());
    ASSERT_TRUE(link->ConnectPrinter());
    printer.clearLog();
    const Bytes logo(37 * 1024, 0xAA);  // no command of the printer starts with AA
    std::size_t arrived = 0;
    printer.onLog = [&](const sim::SimLogEntry& entry) { arrived += entry.raw.size(); };

    const double cpuBefore = cpuMs();
    const auto wallBefore = clock.now();
    ASSERT_TRUE(link->SendOutput(logo));
    ASSERT_TRUE(runUntil([&] { return arrived >= logo.size(); }));
    const double wallMs = static_cast<double>(clock.now() - wallBefore) / 1000.0;
    const double usedCpuMs = cpuMs() - cpuBefore;
    std::cout << "[ figure   ] 37 KB over loopback TCP: " << wallMs << " ms wall, " << usedCpuMs << " ms CPU\n";
    RecordProperty("wall_ms", static_cast<int>(wallMs));
    RecordProperty("cpu_ms", static_cast<int>(usedCpuMs));
    EXPECT_EQ(arrived, logo.size());
    EXPECT_LT(usedCpuMs, 1000);
}

// A loopback listener that accepts one connection and can reset it (RST, as
// a printer's network stack does when it reboots under an open connection).
class ResettingPeer {
public:
    ResettingPeer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "no loopback listener";
        port_ = ntohs(address.sin_port);
    }
    ~ResettingPeer() {
        if (peer_ >= 0) ::close(peer_);
        ::close(listener_);
    }
    int port() const { return port_; }
    // The kernel finished the handshake already; this only takes the socket.
    void accept() { peer_ = ::accept(listener_, nullptr, nullptr); }
    void reset() {
        linger abort{1, 0};
        ::setsockopt(peer_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(peer_);
        peer_ = -1;
    }

private:
    int listener_ = -1;
    int peer_ = -1;
    int port_ = 0;
};

TEST_F(RealLink, APrinterResettingTheConnectionDuringAWaitIsReportedOnceWithoutSpinning) {
    ResettingPeer peer;
    makeLink();
    std::vector<int> statuses;
    auto statusSub = link->OnStatusUpdated.subscribe([&](int status) { statuses.push_back(status); });
    dialogs.choice.port = 17;
    dialogs.choice.ip = "127.0.0.1";
    dialogs.choice.hostPort = std::to_string(peer.port());
    ASSERT_TRUE(link->ConnectPrinter()) << link->LastErrorDesc;
    peer.accept();

    platform::Timer trouble(loop);
    trouble.onTimer = [&] {
        trouble.setEnabled(false);
        peer.reset();
    };
    trouble.setInterval(100);
    trouble.setEnabled(true);
    const double cpuBefore = cpuMs();
    const auto wallBefore = clock.now();
    EXPECT_TRUE(link->PurgeCommunication(12));  // 5001 yields: the reset arrives during them
    const double wallMs = static_cast<double>(clock.now() - wallBefore) / 1000.0;
    const double usedCpuMs = cpuMs() - cpuBefore;

    EXPECT_EQ(statuses, std::vector<int>{printerlink::kLanTimeoutStatus});
    EXPECT_EQ(notices.messages.size(), 1u);
    EXPECT_LT(usedCpuMs, wallMs * 0.5) << usedCpuMs << " ms CPU in " << wallMs << " ms";
    EXPECT_FALSE(link->IsPrinterOnline());
    EXPECT_FALSE(link->SendOutput(Bytes{0x1D, 0x04, 0x01}));
    Bytes resp(1, 0);
    EXPECT_FALSE(link->WaitResponse(resp, 1));
    link->DisconnectPrinter();
    EXPECT_EQ(tcp.State(), platform::sck::Closed);
}

}  // namespace
}  // namespace linktest
