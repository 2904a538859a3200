#include "platform/hid/HidTestTree.h"

#include <stdlib.h>

#include <cerrno>

#include <fstream>
#include <stdexcept>

namespace platform {

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    if (!f) throw fs::filesystem_error("cannot write", path, std::make_error_code(std::errc::io_error));
}

std::string lowerHex4(std::uint16_t v) { return toLowerAscii(hex4(v)); }

}  // namespace

Bytes HidTestDevice::printerReportDescriptor() {
    return {
        0x06, 0x8B, 0xFF,  // usage page FF8B (vendor)
        0x09, 0x05,        // usage 5
        0xA1, 0x01,        // collection (application)
        0x15, 0x00,        //   logical minimum 0
        0x26, 0xFF, 0x00,  //   logical maximum 255
        0x75, 0x08,        //   report size 8
        0x85, 0x09,        //   report ID 9
        0x95, 0x3F,        //   report count 63
        0x09, 0x01,        //   usage 1
        0x81, 0x02,        //   input (data, variable, absolute)
        0x85, 0x08,        //   report ID 8
        0x95, 0x3F,        //   report count 63
        0x09, 0x01,        //   usage 1
        0x91, 0x02,        //   output (data, variable, absolute)
        0xC0,              // end collection
    };
}

HidTestTree::HidTestTree() : owned_(true) {
    std::string pattern = (fs::temp_directory_path() / "hidtree.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw fs::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
    root_ = pattern;
}

HidTestTree::HidTestTree(fs::path root) : root_(std::move(root)) { fs::create_directories(root_); }

HidTestTree::~HidTestTree() {
    std::error_code ec;
    if (owned_) fs::remove_all(root_, ec);
}

fs::path HidTestTree::usbDeviceDir(std::uint16_t vendor, std::uint16_t product,
                                   std::uint16_t version, const std::string& port) {
    fs::path dir = root_ / "devices" / "usb1" / port;
    fs::create_directories(dir);
    writeFile(dir / "idVendor", lowerHex4(vendor) + "\n");
    writeFile(dir / "idProduct", lowerHex4(product) + "\n");
    writeFile(dir / "bcdDevice", lowerHex4(version) + "\n");
    fs::path link = root_ / "bus" / "usb" / "devices" / port;
    fs::create_directories(link.parent_path());
    if (!fs::is_symlink(link)) fs::create_directory_symlink(fs::path("../../../devices/usb1") / port, link);
    return dir;
}

void HidTestTree::addUsbDevice(std::uint16_t vendor, std::uint16_t product, const std::string& port) {
    usbDeviceDir(vendor, product, 0x0100, port);
}

std::string HidTestTree::addHidDevice(const HidTestDevice& d) {
    int n = nextNode_++;
    std::string node = "hidraw" + std::to_string(n);
    std::string port = d.port.empty() ? "1-" + std::to_string(n + 1) : d.port;
    std::string interface = port + ":1.0";
    std::string hidName = hex4(d.bus) + ":" + hex4(d.vendor) + ":" + hex4(d.product) + "." +
                          hex4(static_cast<std::uint16_t>(n + 1));

    fs::path hidDir = usbDeviceDir(d.vendor, d.product, d.version, port) / interface / hidName;
    fs::create_directories(hidDir / "hidraw" / node);
    std::string devpath = port.substr(port.find('-') + 1);
    std::string uevent = d.uevent.value_or(
        "DRIVER=hid-generic\nHID_ID=" + hex4(d.bus) + ":0000" + hex4(d.vendor) + ":0000" +
        hex4(d.product) + "\nHID_NAME=" + d.name + "\nHID_PHYS=usb-0000:00:14.0-" + devpath +
        "/input0\nHID_UNIQ=\nMODALIAS=hid:b" + hex4(d.bus) + "g0001v0000" + hex4(d.vendor) +
        "p0000" + hex4(d.product) + "\n");
    writeFile(hidDir / "uevent", uevent);
    writeFile(hidDir / "report_descriptor", toText(d.reportDescriptor));
    fs::create_directory_symlink("../..", hidDir / "hidraw" / node / "device");

    fs::path classDir = root_ / "class" / "hidraw";
    fs::create_directories(classDir);
    fs::create_directory_symlink(fs::path("../../devices/usb1") / port / interface / hidName /
                                     "hidraw" / node,
                                 classDir / node);
    return node;
}

void HidTestTree::removeHidDevice(const std::string& node) {
    fs::remove(root_ / "class" / "hidraw" / node);
}

}  // namespace platform
