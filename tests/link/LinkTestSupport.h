// A printer link wired to the in-memory transports and the simulated
// printer on a virtual clock, with fake shell services.
//
// Ownership: the fixture owns everything; the link is destroyed first, then
// the fakes, then the world (adapters, printer, doubles). Module flags are
// reset before each case.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/LinkFlags.h"
#include "link/PrinterLink.h"
#include "printer/SimulatedPrinterWorld.h"

namespace linktest {

using platform::Bytes;
using sim::kPrinterHost;
using sim::kPrinterPort;
using sim::runLoopFor;

// 1, 2, 3 ... n, as bytes.
inline Bytes counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i + 1);
    return b;
}

// header, then data[from, to).
inline Bytes framed(std::initializer_list<std::uint8_t> header, const Bytes& data, std::size_t from, std::size_t to) {
    Bytes r(header);
    r.insert(r.end(), data.begin() + static_cast<std::ptrdiff_t>(from), data.begin() + static_cast<std::ptrdiff_t>(to));
    return r;
}

// What the user picks in the connection dialog.
struct DialogChoice {
    bool ok = true;
    int port = 1;
    long baud = 9600;
    int dataBits = 8, stopBits = 1, parity = 1, handshake = 0;
    int model = 0, paper = 0;
    std::string ip, hostPort, usbProduct;
};

class FakeConnectDialog final : public printerlink::ConnectDialog {
public:
    FakeConnectDialog(DialogChoice choice, int& shown) : choice_(std::move(choice)), shown_(shown) {}
    // Closes at once as the real dialog's OK or Cancel does.
    void showModal() override {
        ++shown_;
        canceled_ = true;
        if (choice_.ok) {
            printerlink::bLinkLost = false;
            printerlink::bAutoReconnect = false;
            printerlink::bConnectRequested = true;
            printerlink::bConnectDialogCancelled = false;
        } else {
            printerlink::bConnectDialogCancelled = true;
        }
    }
    bool Canceled() const override { return canceled_; }
    bool EthernetStatus() const override { return choice_.port == 17; }
    bool AHPIStatus() const override { return choice_.port == 18; }
    int PortNumber() const override { return choice_.port; }
    long BaudRate() const override { return choice_.baud; }
    int DataBits() const override { return choice_.dataBits; }
    int StopBits() const override { return choice_.stopBits; }
    int Parity() const override { return choice_.parity; }
    int Handshake() const override { return choice_.handshake; }
    int PrinterModel() const override { return choice_.model; }
    int PaperWidth() const override { return choice_.paper; }
    std::string IPAddress() const override { return choice_.ip; }
    std::string HostPortNumber() const override { return choice_.hostPort; }
    std::string USBProductId() const override { return choice_.usbProduct; }

private:
    DialogChoice choice_;
    int& shown_;
    bool canceled_ = false;
};

class FakeDialogService final : public printerlink::ConnectDialogService {
public:
    std::unique_ptr<printerlink::ConnectDialog> createConnectDialog() override {
        return std::make_unique<FakeConnectDialog>(choice, shown);
    }
    DialogChoice choice;
    int shown = 0;
};

class FakeSettings final : public printerlink::SettingsStore {
public:
    std::string ReadIniValue(const std::string& section, const std::string& key) override {
        auto it = values.find({section, key});
        return it == values.end() ? "" : it->second;
    }
    void WriteIniValue(const std::string& section, const std::string& key, const std::string& value) override {
        values[{section, key}] = value;
    }
    std::map<std::pair<std::string, std::string>, std::string> values;
};

class FakeNotices final : public printerlink::UserNotices {
public:
    explicit FakeNotices(platform::EventLoop& loop) : loop_(loop) {}
    int ShowMessage(const std::string& text, int, int) override {
        messages.push_back(text);
        return 1;
    }
    void ShowTimedNotice(const std::string&, int displayMs) override {
        noticeTimes.push_back(displayMs);
        runLoopFor(loop_, displayMs);
    }
    std::vector<std::string> messages;
    std::vector<int> noticeTimes;

private:
    platform::EventLoop& loop_;
};

// Exposes what the main window reaches as the derived class.
class TestLink : public printerlink::PrinterLink {
public:
    using PrinterLink::PrinterLink;
    using PrinterLink::CheckStatusResponse;
    using PrinterLink::DisconnectPrinter;
    using PrinterLink::LastError;
    using PrinterLink::LastErrorDesc;
    using PrinterLink::m_bAwaitingConnectionStatus;
    using PrinterLink::m_bAwaitingFirmware;
    using PrinterLink::m_bConnectionCheckPassed;
    using PrinterLink::m_bFirmwareAnswered;
    using PrinterLink::m_bHIDDeviceFound;
    using PrinterLink::m_bValidationSend;
    using PrinterLink::m_dblFirmwareVersion;
    using PrinterLink::m_lPaperWidth;
    using PrinterLink::m_lPrinterType;
    using PrinterLink::ProbeLanPrinterStatus;
    using PrinterLink::RequestConnectionCheckStatus;
    using PrinterLink::RequestFirmwareVersion;
};

class LinkTest : public ::testing::Test, public sim::SimulatedPrinterWorld {
public:
    LinkTest() {
        printerlink::resetLinkModuleState();
        link = std::make_unique<TestLink>(printerlink::LinkTransports{serial, tcp, hid},
                                          printerlink::LinkShellServices{dialogs, settings, notices}, loop);
        dataSub = link->OnDataReceived.subscribe([this](const Bytes& data) { received.push_back(data); });
        statusSub = link->OnStatusUpdated.subscribe([this](int status) { statuses.push_back(status); });
    }
    ~LinkTest() override { link.reset(); }

    // Connects through the dialog, as the Connect button does, over the transport of `port` (1 serial,
    // 17 TCP, 18 USB HID) with the printer of the given type attached there.
    bool connect(int port, int type = 0, std::string usbProduct = "Any HID USB POS Printer") {
        printer.config().printerType = type;
        if (port == 17) {
            attachTcp();
            dialogs.choice.ip = kPrinterHost;
            dialogs.choice.hostPort = std::to_string(kPrinterPort);
        } else if (port == 18) {
            attachHid();
            dialogs.choice.usbProduct = std::move(usbProduct);
        } else {
            attachSerial();
        }
        dialogs.choice.port = port;
        dialogs.choice.model = type;
        link->reconnect = false;  // as the main window's Connect button does
        return link->ConnectPrinter();
    }

    FakeDialogService dialogs;
    FakeSettings settings;
    FakeNotices notices{loop};
    std::unique_ptr<TestLink> link;
    std::vector<Bytes> received;
    std::vector<int> statuses;
    printerlink::LinkEvent<const Bytes&>::Subscription dataSub;
    printerlink::LinkEvent<int>::Subscription statusSub;
};

}  // namespace linktest
