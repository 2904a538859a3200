// A fake sysfs tree of USB HID devices for tests and the simulated printer.
//
// It lays out, under its root, what LinuxHidSystem reads from /sys:
//   devices/usb1/<port>/{idVendor,idProduct,bcdDevice}
//   devices/usb1/<port>/<port>:1.0/<HID device>/{uevent,report_descriptor,hidraw/hidrawN}
//   class/hidraw/hidrawN -> that hidrawN, whose device -> the HID device
//   bus/usb/devices/<port> -> the USB device
// so class/hidraw/hidrawN/device/uevent reads as on a real machine. There is
// no device node: pass LinuxHidSystem an opener that hands out a stand-in
// (one end of a SOCK_SEQPACKET socketpair keeps report boundaries).
//
// Ownership: a tree made without a root makes and later removes its own
// temporary folder; a tree given a root leaves it in place. File system
// failures throw std::filesystem::filesystem_error. Nothing here blocks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Text.h"
#include "platform/hid/HidSysfs.h"

namespace platform {

struct HidTestDevice {
    std::uint16_t vendor = 0x1B7D;
    std::uint16_t product = 0xD2A8;
    std::uint16_t version = 0x0100;
    std::uint16_t bus = kHidBusUsb;
    std::string name = "POS Printer";
    // USB port path such as "1-2"; a fresh one is made up when empty.
    std::string port;
    Bytes reportDescriptor = printerReportDescriptor();
    // When set, written as the uevent file instead of the usual lines.
    std::optional<std::string> uevent;

    // Vendor page FF8B, usage 5; 64-byte input reports with ID 9 and
    // 64-byte output reports with ID 8, as the printers have.
    static Bytes printerReportDescriptor();
};

class HidTestTree {
public:
    HidTestTree();
    explicit HidTestTree(std::filesystem::path root);
    ~HidTestTree();
    HidTestTree(const HidTestTree&) = delete;
    HidTestTree& operator=(const HidTestTree&) = delete;

    const std::filesystem::path& root() const { return root_; }

    // Adds the device as the next hidrawN; returns "hidrawN".
    std::string addHidDevice(const HidTestDevice& device);
    // Adds a USB device that has no HID interface.
    void addUsbDevice(std::uint16_t vendor, std::uint16_t product, const std::string& port);
    // The device vanishes: its hidraw entry goes, as on unplugging.
    void removeHidDevice(const std::string& node);

private:
    std::filesystem::path usbDeviceDir(std::uint16_t vendor, std::uint16_t product,
                                       std::uint16_t version, const std::string& port);

    std::filesystem::path root_;
    bool owned_ = false;
    int nextNode_ = 0;
};

}  // namespace platform
