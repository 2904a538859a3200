#include "printer/DoubleAdapters.h"

#include "printer-sim/PrinterTypes.h"

namespace sim {

using platform::Bytes;

SerialDoubleAdapter::SerialDoubleAdapter(SimPrinter& printer, doubles::FakeSerialPort& port)
    : printer_(printer), port_(port) {
    port_.peerReceive = [this](const Bytes& bytes) { printer_.receive(bytes); };
    printer_.attach(this);
}

SerialDoubleAdapter::~SerialDoubleAdapter() {
    port_.peerReceive = nullptr;
    printer_.attach(nullptr);
}

TcpDoubleAdapter::TcpDoubleAdapter(SimPrinter& printer, doubles::FakeNetwork& network, std::string host, int port)
    : printer_(printer), network_(network), host_(std::move(host)), port_(port) {
    listen();
    printer_.attach(this);
}

TcpDoubleAdapter::~TcpDoubleAdapter() {
    network_.refuse(host_, port_);
    if (peer_) {
        peer_->onReceive = nullptr;
        peer_->onClientClosed = nullptr;
    }
    printer_.attach(nullptr);
}

void TcpDoubleAdapter::listen() {
    network_.listen(host_, port_, [this](const std::shared_ptr<doubles::FakeTcpPeer>& peer) { accept(peer); });
}

void TcpDoubleAdapter::accept(const std::shared_ptr<doubles::FakeTcpPeer>& peer) {
    if (connected()) {
        peer->close();
        return;
    }
    peer_ = peer;
    peer->onReceive = [this](const Bytes& bytes) { printer_.receive(bytes); };
    peer->onClientClosed = [this, raw = peer.get()] {
        if (peer_.get() == raw) peer_.reset();
    };
}

void TcpDoubleAdapter::send(const Bytes& bytes) {
    if (peer_) peer_->send(bytes);
}

void TcpDoubleAdapter::closeConnection() {
    if (!peer_) return;
    peer_->close();
    peer_.reset();
}

void TcpDoubleAdapter::resetConnection() {
    if (!peer_) return;
    peer_->reset();
    peer_.reset();
}

void TcpDoubleAdapter::setLinkUp(bool up) {
    if (up) {
        listen();
        return;
    }
    closeConnection();
    network_.refuse(host_, port_);
}

HidDoubleAdapter::HidDoubleAdapter(SimPrinter& printer, doubles::FakeHidSystem& hid, std::string instance)
    : printer_(printer), hid_(hid) {
    spec_.instance = std::move(instance);
    spec_.vendorId = kVendorId;
    spec_.productId = printerType(printer.config().printerType).productId;
    device_ = hid_.addDevice(spec_);
    hid_.setOutputHandler(device_, [this](const Bytes& report) { printer_.receiveReport(report); });
    printer_.attach(this);
}

// Taking the printer off is unplugging it: a later attachment shows a new
// device, and discovery must not find the old one without a printer behind.
HidDoubleAdapter::~HidDoubleAdapter() {
    hid_.removeDevice(device_);
    hid_.setOutputHandler(device_, nullptr);
    printer_.attach(nullptr);
}

void HidDoubleAdapter::setLinkUp(bool up) {
    if (up)
        hid_.restoreDevice(device_);
    else
        hid_.removeDevice(device_);
}

}  // namespace sim
