// HidSystem on Linux hidraw.
//
// Devices are found under <sysfs root>/class/hidraw/hidrawN (device/uevent
// names bus, vendor and product; device/report_descriptor gives the
// capabilities) and opened through the device opener, which by default opens
// /dev/hidrawN read-write. Both are injectable so that tests and the
// simulated printer run against a fake tree (see HidTestTree.h) and a socket
// standing in for the device node; ioctls are used only where the device
// answers them.
//
// Ownership: the system owns every handle open() returned until close() or
// its own destruction; handles are file descriptors, and close() ignores a
// handle it did not open. Blocking: read() waits in poll() for at most its
// timeout; write() is one write() call; enumeration reads small sysfs files.
// Nothing here runs utility events or touches the event loop.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/hid/HidSysfs.h"
#include "platform/hid/HidSystem.h"
#include "platform/hid/ReportDescriptor.h"

namespace platform {

class LinuxHidSystem final : public HidSystem {
public:
    // Opens a device node ("/dev/hidraw3") read-write; returns a descriptor
    // or -1.
    using DeviceOpener = std::function<int(const std::string& deviceNode)>;

    explicit LinuxHidSystem(std::filesystem::path sysfsRoot = "/sys",
                            DeviceOpener opener = defaultOpener());
    ~LinuxHidSystem() override;
    LinuxHidSystem(const LinuxHidSystem&) = delete;
    LinuxHidSystem& operator=(const LinuxHidSystem&) = delete;

    static DeviceOpener defaultOpener();

    std::vector<std::string> usbDeviceIdentifiers() override;
    std::vector<std::string> hidInterfacePaths() override;
    std::intptr_t open(const std::string& path) override;
    bool getAttributes(std::intptr_t handle, HidAttributes& out) override;
    bool getCaps(std::intptr_t handle, HidCaps& out) override;
    bool write(std::intptr_t handle, const Bytes& report) override;
    std::optional<Bytes> read(std::intptr_t handle, int timeoutMs) override;
    void close(std::intptr_t handle) override;

    // One present USB HID device, as enumeration found it.
    struct Device {
        std::string node;                // "hidraw3"
        std::filesystem::path sysfsDir;  // <root>/class/hidraw/hidraw3
        HidUevent uevent;
        std::string instance;
    };
    // Present USB HID devices in hidraw number order; devices whose uevent
    // does not parse or that sit on another bus are left out.
    std::vector<Device> devices() const;

private:
    struct OpenDevice {
        Device device;
        bool isSocket = false;
        // Read once at open; nullopt when it could not be read or parsed.
        std::optional<ReportDescriptorInfo> descriptor;
    };
    OpenDevice* find(std::intptr_t handle);

    std::filesystem::path root_;
    DeviceOpener opener_;
    std::map<std::intptr_t, OpenDevice> open_;
};

}  // namespace platform
