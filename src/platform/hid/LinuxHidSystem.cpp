#include "platform/hid/LinuxHidSystem.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include "platform/Text.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

// Sysfs attribute files are at most a page; anything much longer is not
// what we are looking for and is cut rather than read without bound.
constexpr std::size_t kMaxSysfsFile = 64 * 1024;

std::optional<std::string> readSmallFile(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string out;
    char buf[4096];
    while (out.size() < kMaxSysfsFile) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (out.size() > kMaxSysfsFile) out.resize(kMaxSysfsFile);
    return out;
}

std::optional<std::uint16_t> readHexFile(const fs::path& path) {
    auto text = readSmallFile(path);
    std::uint16_t value = 0;
    if (!text || !parseHex16(*text, value)) return std::nullopt;
    return value;
}

// "hidraw12" -> 12; -1 for any other name.
long hidrawNumber(const std::string& name) {
    static const std::string prefix = "hidraw";
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 ||
        name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    long n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::vector<fs::path> listDir(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        out.push_back(it->path());
    return out;
}

// A descriptor the opener handed out at 0 would be taken for "no handle" by
// the link, which tests handles for being above 0.
int moveAbove(int fd, int lowest) {
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, lowest);
    ::close(fd);
    return moved;
}

std::optional<Bytes> descriptorFromDevice(int fd) {
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) != 0 || size <= 0 ||
        size > HID_MAX_DESCRIPTOR_SIZE)
        return std::nullopt;
    hidraw_report_descriptor desc{};
    desc.size = static_cast<std::uint32_t>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &desc) != 0) return std::nullopt;
    return Bytes(desc.value, desc.value + size);
}

std::optional<ReportDescriptorInfo> readDescriptor(int fd, const fs::path& sysfsDir) {
    std::optional<Bytes> bytes = descriptorFromDevice(fd);
    if (!bytes) {
        auto text = readSmallFile(sysfsDir / "device" / "report_descriptor");
        if (!text) return std::nullopt;
        bytes = toBytes(*text);
    }
    return parseReportDescriptor(*bytes);
}

// Without a location, or with one another device already has, the node name
// keeps the instance unique (and stable while the device stays). The text
// with the node name may itself be taken ("X&HIDRAW2" can be a location), so
// it is checked again, and numbered until it is free.
std::string uniqueInstance(const std::string& location, const std::string& node,
                           const std::set<std::string>& taken) {
    if (!location.empty() && !taken.count(location)) return location;
    std::string withNode = location;
    if (!withNode.empty()) withNode += '&';
    withNode += toUpperAscii(node);
    std::string candidate = withNode;
    for (int n = 2; taken.count(candidate); ++n) candidate = withNode + "&" + std::to_string(n);
    return candidate;
}

}  // namespace

LinuxHidSystem::DeviceOpener LinuxHidSystem::defaultOpener() {
    return [](const std::string& node) { return ::open(node.c_str(), O_RDWR | O_CLOEXEC); };
}

LinuxHidSystem::LinuxHidSystem(fs::path sysfsRoot, DeviceOpener opener)
    : root_(std::move(sysfsRoot)), opener_(std::move(opener)) {}

LinuxHidSystem::~LinuxHidSystem() {
    for (auto& [handle, dev] : open_) ::close(static_cast<int>(handle));
}

std::vector<LinuxHidSystem::Device> LinuxHidSystem::devices() const {
    std::vector<std::pair<long, Device>> found;
    for (const fs::path& dir : listDir(root_ / "class" / "hidraw")) {
        std::string node = dir.filename().string();
        long number = hidrawNumber(node);
        if (number < 0) continue;
        auto text = readSmallFile(dir / "device" / "uevent");
        if (!text) continue;
        HidUevent ev = parseHidUevent(*text);
        if (!ev.valid || ev.bus != kHidBusUsb) continue;
        found.push_back({number, Device{node, dir, std::move(ev), {}}});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<Device> out;
    std::set<std::string> instances;
    for (auto& [number, dev] : found) {
        dev.instance = uniqueInstance(hidInstanceText(dev.uevent.phys), dev.node, instances);
        instances.insert(dev.instance);
        out.push_back(std::move(dev));
    }
    return out;
}

std::vector<std::string> LinuxHidSystem::usbDeviceIdentifiers() {
    std::vector<std::string> out;
    for (const Device& d : devices())
        out.push_back(hidDeviceIdentifier(d.uevent.vendor, d.uevent.product, d.instance));

    // Every USB device (interfaces have no idVendor and drop out), in name order.
    std::vector<fs::path> usb = listDir(root_ / "bus" / "usb" / "devices");
    std::sort(usb.begin(), usb.end());
    for (const fs::path& dir : usb) {
        auto vendor = readHexFile(dir / "idVendor");
        auto product = readHexFile(dir / "idProduct");
        if (!vendor || !product) continue;
        out.push_back(usbDeviceIdentifier(*vendor, *product,
                                          hidInstanceText(dir.filename().string())));
    }
    return out;
}

std::vector<std::string> LinuxHidSystem::hidInterfacePaths() {
    std::vector<std::string> out;
    for (const Device& d : devices())
        out.push_back(hidInterfacePath(d.uevent.vendor, d.uevent.product, d.instance));
    return out;
}

std::intptr_t LinuxHidSystem::open(const std::string& path) {
    for (Device& d : devices()) {
        if (!equalsIgnoreCase(path, hidInterfacePath(d.uevent.vendor, d.uevent.product, d.instance)))
            continue;
        int fd = opener_("/dev/" + d.node);
        if (fd < 0) return -1;
        if (open_.count(fd))
            fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);  // an opener that hands out one we hold
        else if (fd == 0)
            fd = moveAbove(fd, 1);
        if (fd < 0) return -1;
        struct stat st {};
        bool isSocket = ::fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
        auto descriptor = readDescriptor(fd, d.sysfsDir);
        open_[fd] = OpenDevice{std::move(d), isSocket, descriptor};
        return fd;
    }
    return -1;
}

LinuxHidSystem::OpenDevice* LinuxHidSystem::find(std::intptr_t handle) {
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : &it->second;
}

bool LinuxHidSystem::getAttributes(std::intptr_t handle, HidAttributes& out) {
    OpenDevice* dev = find(handle);
    if (!dev) return false;
    const HidUevent& ev = dev->device.uevent;
    out.Size = 12;
    out.VendorID = ev.vendor;
    out.ProductID = ev.product;
    hidraw_devinfo info{};
    if (::ioctl(static_cast<int>(handle), HIDIOCGRAWINFO, &info) == 0) {
        out.VendorID = static_cast<std::uint16_t>(info.vendor);
        out.ProductID = static_cast<std::uint16_t>(info.product);
    }
    // The release number lives on the USB device, two levels above the HID
    // device (which sits below its USB interface).
    std::error_code ec;
    fs::path hidDir = fs::canonical(dev->device.sysfsDir / "device", ec);
    auto version = ec ? std::nullopt : readHexFile(hidDir.parent_path().parent_path() / "bcdDevice");
    out.VersionNumber = version.value_or(0);
    return true;
}

bool LinuxHidSystem::getCaps(std::intptr_t handle, HidCaps& out) {
    out = HidCaps{};
    OpenDevice* dev = find(handle);
    if (!dev || !dev->descriptor) return false;
    out = dev->descriptor->caps;
    return true;
}

bool LinuxHidSystem::write(std::intptr_t handle, const Bytes& report) {
    OpenDevice* dev = find(handle);
    if (!dev || report.empty()) return false;
    int fd = static_cast<int>(handle);
    ssize_t n;
    do {
        // A socket standing in for the device must not raise SIGPIPE when its
        // peer (a vanished device) is gone.
        n = dev->isSocket ? ::send(fd, report.data(), report.size(), MSG_NOSIGNAL)
                          : ::write(fd, report.data(), report.size());
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(report.size());
}

std::optional<Bytes> LinuxHidSystem::read(std::intptr_t handle, int timeoutMs) {
    OpenDevice* dev = find(handle);
    if (!dev) return std::nullopt;
    int fd = static_cast<int>(handle);
    pollfd p{fd, POLLIN, 0};
    // An interrupted wait counts as a time-out: the report, if one comes,
    // stays queued for the next read.
    if (::poll(&p, 1, std::max(timeoutMs, 0)) <= 0 || !(p.revents & POLLIN)) return std::nullopt;
    // Byte 0 is the report ID; hidraw leaves it out when the device numbers
    // no reports, so it is put back as 0.
    std::size_t idBytes = dev->descriptor && !dev->descriptor->usesReportIds ? 1 : 0;
    Bytes buf(idBytes + kMaxHidReportBytes, 0);
    ssize_t n;
    do {
        n = ::read(fd, buf.data() + idBytes, kMaxHidReportBytes);
    } while (n < 0 && errno == EINTR);
    // 0 is end of file (the peer of a stand-in socket closed); a real device
    // that vanished fails with EIO or ENODEV.
    if (n <= 0) return std::nullopt;
    buf.resize(idBytes + static_cast<std::size_t>(n));
    return buf;
}

void LinuxHidSystem::close(std::intptr_t handle) {
    auto it = open_.find(handle);
    if (it == open_.end()) return;
    ::close(static_cast<int>(handle));
    open_.erase(it);
}

}  // namespace platform
