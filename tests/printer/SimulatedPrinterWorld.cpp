#include "printer/SimulatedPrinterWorld.h"

namespace sim {

void runLoopFor(platform::EventLoop& loop, int ms) {
    platform::Timer timer(loop);
    bool done = false;
    timer.onTimer = [&] {
        done = true;
        timer.setEnabled(false);
    };
    timer.setInterval(ms);
    timer.setEnabled(true);
    loop.runUntil([&] { return done; });
}

SimulatedPrinterWorld::SimulatedPrinterWorld() {
    platform::EventLoop::setCurrent(&loop);
    addStandardCommands(printer);
}

SimulatedPrinterWorld::~SimulatedPrinterWorld() {
    if (platform::EventLoop::currentOrNull() == &loop) platform::EventLoop::setCurrent(nullptr);
}

void SimulatedPrinterWorld::leaveOtherTransports() {
    if (printerOnOneTransport) detachPrinter();
}

void SimulatedPrinterWorld::attachSerial() {
    if (serialAdapter) return;
    leaveOtherTransports();
    serialAdapter = std::make_unique<SerialDoubleAdapter>(printer, serial);
}

void SimulatedPrinterWorld::attachTcp() {
    if (tcpAdapter) return;
    leaveOtherTransports();
    tcpAdapter = std::make_unique<TcpDoubleAdapter>(printer, network, kPrinterHost, kPrinterPort);
}

void SimulatedPrinterWorld::attachHid() {
    if (hidAdapter) return;
    leaveOtherTransports();
    hidAdapter = std::make_unique<HidDoubleAdapter>(printer, hid);
}

void SimulatedPrinterWorld::detachPrinter() {
    serialAdapter.reset();
    tcpAdapter.reset();
    hidAdapter.reset();
}

platform::Bytes SimulatedPrinterWorld::streamReceivedByPrinter() const {
    platform::Bytes out;
    for (const auto& entry : printer.log()) out.insert(out.end(), entry.raw.begin(), entry.raw.end());
    return out;
}

int SimulatedPrinterWorld::countCommand(const std::string& name) const {
    int n = 0;
    for (const auto& c : printer.commands()) n += c == name;
    return n;
}

}  // namespace sim
