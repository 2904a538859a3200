// In-memory USB HID devices on the virtual clock.
//
// Devices are added with their identity (instance text, vendor, product,
// version) and capabilities (64-byte input and output reports by default)
// and show up in both device lists in the forms the discovery code compares.
// A write hands the whole output report to the device's peer (the simulated
// printer) as a world action; reports the peer queues reach every handle open
// on the device, as hidraw gives each reader its own queue. read() waits by
// moving the virtual clock forward to the next world action, up to its
// timeout, so the printer answers while the utility is blocked in the read.
//
// Removal makes open, write, read, attributes and capabilities fail; a device
// that comes back must be opened again (old handles stay dead, as a
// re-plugged hidraw node is a new file). Handles are above 0 and never reused.
// Ownership: the system refers to the clock, which outlives it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/loop/LifeToken.h"
#include "platform/hid/HidSystem.h"
#include "platform/loop/Clock.h"

namespace doubles {

struct FakeHidDeviceSpec {
    std::string instance = "7&2F1B3C&0&0000";
    std::uint16_t vendorId = 0x1B7D;
    std::uint16_t productId = 0xD2A8;
    std::uint16_t version = 0x0100;
    platform::HidCaps caps{.Usage = 5,
                           .UsagePage = 0xFF8B,
                           .InputReportByteLength = 64,
                           .OutputReportByteLength = 64,
                           .FeatureReportByteLength = 0,
                           .NumberInputValueCaps = 1};
};

class FakeHidSystem final : public platform::HidSystem {
public:
    using DeviceId = int;

    explicit FakeHidSystem(platform::VirtualClock& clock) : clock_(clock) {}

    DeviceId addDevice(const FakeHidDeviceSpec& spec);
    // A USB device without a HID function (a hub, a mass-storage stick).
    void addOtherUsbDevice(std::uint16_t vendor, std::uint16_t product, const std::string& port);
    void removeDevice(DeviceId id);
    void restoreDevice(DeviceId id);
    bool isPresent(DeviceId id) const;
    int openHandles(DeviceId id) const;

    // The device's side.
    void setOutputHandler(DeviceId id, std::function<void(const platform::Bytes&)> handler);
    void queueInputReport(DeviceId id, const platform::Bytes& report);

    // Identifier and path texts of one device, as the lists show them.
    std::string usbIdentifier(DeviceId id) const;
    std::string interfacePath(DeviceId id) const;

    // --- HidSystem --------------------------------------------------------
    std::vector<std::string> usbDeviceIdentifiers() override;
    std::vector<std::string> hidInterfacePaths() override;
    std::intptr_t open(const std::string& path) override;
    bool getAttributes(std::intptr_t handle, platform::HidAttributes& out) override;
    bool getCaps(std::intptr_t handle, platform::HidCaps& out) override;
    bool write(std::intptr_t handle, const platform::Bytes& report) override;
    std::optional<platform::Bytes> read(std::intptr_t handle, int timeoutMs) override;
    void close(std::intptr_t handle) override;

    // Virtual time an output report takes to reach the device.
    platform::Micros writeDelay = 0;

private:
    struct Device {
        FakeHidDeviceSpec spec;
        bool present = true;
        unsigned plugCount = 0;  // bumps on each re-plug; handles of an older plug are dead
        std::function<void(const platform::Bytes&)> onOutput;
    };
    struct Handle {
        DeviceId device;
        unsigned plugCount;
        std::deque<platform::Bytes> queue;
    };
    Device* liveDevice(std::intptr_t handle);

    platform::VirtualClock& clock_;
    std::map<DeviceId, Device> devices_;
    std::map<std::intptr_t, Handle> handles_;
    std::vector<std::string> otherUsb_;
    DeviceId nextDevice_ = 1;
    std::intptr_t nextHandle_ = 1;
    platform::LifeToken life_;
};

}  // namespace doubles
