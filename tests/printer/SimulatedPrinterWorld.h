// The world a test of the utility runs in: a virtual clock and its event
// loop, the in-memory serial, TCP and USB HID transports, and the simulated
// printer with the standard commands, ready to be attached to any of them.
//
// Ownership: the world owns everything in it; the adapters go first, then the
// printer and its scheduler, then the doubles, the loop and the clock. The
// loop is the current one while the world lives. A test fixture derives from
// it (after ::testing::Test) so that its own members, built after the world,
// may refer to the loop and go before it. Nothing here blocks on real time.
#pragma once

#include <memory>
#include <string>

#include "doubles/FakeHidSystem.h"
#include "doubles/FakeNetwork.h"
#include "doubles/FakeSerialPort.h"
#include "doubles/FakeTcpSocket.h"
#include "platform/loop/EventLoop.h"
#include "printer/DoubleAdapters.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

// Where the printer listens on the fake network.
inline constexpr const char* kPrinterHost = "192.168.1.50";
inline constexpr int kPrinterPort = 9100;

// Runs the loop as a modal window would, until ms of clock time have passed.
void runLoopFor(platform::EventLoop& loop, int ms);

class SimulatedPrinterWorld {
public:
    SimulatedPrinterWorld();
    ~SimulatedPrinterWorld();
    SimulatedPrinterWorld(const SimulatedPrinterWorld&) = delete;
    SimulatedPrinterWorld& operator=(const SimulatedPrinterWorld&) = delete;

    // Puts the printer on a transport; an adapter already there is kept.
    // With printerOnOneTransport the printer leaves the other transports
    // first; otherwise it may sit on several, answering on the last attached
    // (or the one given to printer.attach()).
    void attachSerial();
    void attachTcp();
    void attachHid();
    void detachPrinter();

    // Lets ms of virtual time pass with the event loop running, as while the
    // user looks at the screen.
    void runFor(int ms) { runLoopFor(loop, ms); }
    double elapsedMs(platform::Micros since) const { return static_cast<double>(clock.now() - since) / 1000.0; }

    // Everything the printer received, in order (USB HID reports whole).
    platform::Bytes streamReceivedByPrinter() const;
    // How often the printer received the command of this decoded name.
    int countCommand(const std::string& name) const;

    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    doubles::FakeSerialPort serial{loop, clock};
    doubles::FakeNetwork network{clock};
    doubles::FakeTcpSocket tcp{loop, network};
    doubles::FakeHidSystem hid{clock};
    VirtualScheduler scheduler{clock};
    SimPrinter printer{scheduler};
    std::unique_ptr<SerialDoubleAdapter> serialAdapter;
    std::unique_ptr<TcpDoubleAdapter> tcpAdapter;
    std::unique_ptr<HidDoubleAdapter> hidAdapter;
    bool printerOnOneTransport = false;

private:
    void leaveOtherTransports();
};

}  // namespace sim
