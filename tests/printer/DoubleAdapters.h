// Attach a simulated printer to the in-memory transport doubles (virtual
// clock). Each adapter attaches itself to the printer on construction and
// detaches on destruction; the printer, the double and (for TCP) the network
// must outlive the adapter.
#pragma once

#include <memory>
#include <string>

#include "doubles/FakeHidSystem.h"
#include "doubles/FakeNetwork.h"
#include "doubles/FakeSerialPort.h"
#include "printer-sim/SimPrinter.h"

namespace sim {

// The printer on the double's peer port. A restart shows as CTS low, then high.
class SerialDoubleAdapter final : public SimPort {
public:
    SerialDoubleAdapter(SimPrinter& printer, doubles::FakeSerialPort& port);
    ~SerialDoubleAdapter() override;

    void send(const platform::Bytes& bytes) override { port_.peerSend(bytes); }
    void setLinkUp(bool up) override { port_.setCts(up); }
    void setCts(bool asserted) override { port_.setCts(asserted); }

private:
    SimPrinter& printer_;
    doubles::FakeSerialPort& port_;
};

// The printer listening at host:port of the fake network, one client at a
// time (a second client is closed at once). A restart closes the connection
// and refuses new ones until the printer is back.
class TcpDoubleAdapter final : public SimPort {
public:
    TcpDoubleAdapter(SimPrinter& printer, doubles::FakeNetwork& network, std::string host, int port);
    ~TcpDoubleAdapter() override;

    void send(const platform::Bytes& bytes) override;
    void setLinkUp(bool up) override;
    void closeConnection() override;
    // The printer resets the connection (RST) instead of closing it.
    void resetConnection();
    bool connected() const { return peer_ && peer_->isOpen(); }

private:
    void listen();
    void accept(const std::shared_ptr<doubles::FakeTcpPeer>& peer);

    SimPrinter& printer_;
    doubles::FakeNetwork& network_;
    std::string host_;
    int port_;
    std::shared_ptr<doubles::FakeTcpPeer> peer_;
};

// The printer as a USB HID device with the vendor and product of its type.
// A restart removes the device and plugs it in again.
class HidDoubleAdapter final : public SimPort {
public:
    HidDoubleAdapter(SimPrinter& printer, doubles::FakeHidSystem& hid, std::string instance = "7&2F1B3C&0&0000");
    ~HidDoubleAdapter() override;

    bool reportFramed() const override { return true; }
    std::size_t inputReportLength() const override { return spec_.caps.InputReportByteLength; }
    void send(const platform::Bytes& bytes) override { hid_.queueInputReport(device_, bytes); }
    void setLinkUp(bool up) override;

    doubles::FakeHidSystem::DeviceId device() const { return device_; }

private:
    SimPrinter& printer_;
    doubles::FakeHidSystem& hid_;
    doubles::FakeHidDeviceSpec spec_;
    doubles::FakeHidSystem::DeviceId device_;
};

}  // namespace sim
