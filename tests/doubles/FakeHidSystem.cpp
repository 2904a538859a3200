#include "doubles/FakeHidSystem.h"

#include <algorithm>

#include "platform/hid/HidSysfs.h"

namespace doubles {

using platform::Bytes;


FakeHidSystem::DeviceId FakeHidSystem::addDevice(const FakeHidDeviceSpec& spec) {
    const DeviceId id = nextDevice_++;
    devices_[id].spec = spec;
    return id;
}

void FakeHidSystem::addOtherUsbDevice(std::uint16_t vendor, std::uint16_t product, const std::string& port) {
    otherUsb_.push_back(platform::usbDeviceIdentifier(vendor, product, platform::hidInstanceText(port)));
}

void FakeHidSystem::removeDevice(DeviceId id) {
    const auto it = devices_.find(id);
    if (it != devices_.end()) it->second.present = false;
}

void FakeHidSystem::restoreDevice(DeviceId id) {
    const auto it = devices_.find(id);
    if (it == devices_.end() || it->second.present) return;
    it->second.present = true;
    ++it->second.plugCount;
}

bool FakeHidSystem::isPresent(DeviceId id) const {
    const auto it = devices_.find(id);
    return it != devices_.end() && it->second.present;
}

int FakeHidSystem::openHandles(DeviceId id) const {
    return static_cast<int>(
        std::count_if(handles_.begin(), handles_.end(), [id](const auto& h) { return h.second.device == id; }));
}

void FakeHidSystem::setOutputHandler(DeviceId id, std::function<void(const Bytes&)> handler) {
    devices_.at(id).onOutput = std::move(handler);
}

void FakeHidSystem::queueInputReport(DeviceId id, const Bytes& report) {
    const auto it = devices_.find(id);
    if (it == devices_.end() || !it->second.present) return;
    for (auto& [handle, h] : handles_)
        if (h.device == id && h.plugCount == it->second.plugCount) h.queue.push_back(report);
}

std::string FakeHidSystem::usbIdentifier(DeviceId id) const {
    const auto& spec = devices_.at(id).spec;
    return platform::hidDeviceIdentifier(spec.vendorId, spec.productId, spec.instance);
}

std::string FakeHidSystem::interfacePath(DeviceId id) const {
    const auto& spec = devices_.at(id).spec;
    return platform::hidInterfacePath(spec.vendorId, spec.productId, spec.instance);
}

// As on the machine: the HID functions first, then every USB device,
// the printers' own USB devices among them.
std::vector<std::string> FakeHidSystem::usbDeviceIdentifiers() {
    std::vector<std::string> out;
    for (const auto& [id, device] : devices_)
        if (device.present) out.push_back(usbIdentifier(id));
    for (const auto& [id, device] : devices_)
        if (device.present)
            out.push_back(platform::usbDeviceIdentifier(device.spec.vendorId, device.spec.productId,
                                                        "1-" + std::to_string(id)));
    out.insert(out.end(), otherUsb_.begin(), otherUsb_.end());
    return out;
}

std::vector<std::string> FakeHidSystem::hidInterfacePaths() {
    std::vector<std::string> out;
    for (const auto& [id, device] : devices_)
        if (device.present) out.push_back(interfacePath(id));
    return out;
}

std::intptr_t FakeHidSystem::open(const std::string& path) {
    for (const auto& [id, device] : devices_) {
        if (!device.present || !platform::equalsIgnoreCase(path, interfacePath(id))) continue;
        const std::intptr_t handle = nextHandle_++;
        handles_[handle] = Handle{id, device.plugCount, {}};
        return handle;
    }
    return -1;
}

FakeHidSystem::Device* FakeHidSystem::liveDevice(std::intptr_t handle) {
    const auto h = handles_.find(handle);
    if (h == handles_.end()) return nullptr;
    const auto d = devices_.find(h->second.device);
    if (d == devices_.end() || !d->second.present || d->second.plugCount != h->second.plugCount) return nullptr;
    return &d->second;
}

bool FakeHidSystem::getAttributes(std::intptr_t handle, platform::HidAttributes& out) {
    const Device* device = liveDevice(handle);
    if (!device) return false;
    out.VendorID = device->spec.vendorId;
    out.ProductID = device->spec.productId;
    out.VersionNumber = device->spec.version;
    return true;
}

bool FakeHidSystem::getCaps(std::intptr_t handle, platform::HidCaps& out) {
    const Device* device = liveDevice(handle);
    if (!device) return false;
    out = device->spec.caps;
    return true;
}

bool FakeHidSystem::write(std::intptr_t handle, const Bytes& report) {
    if (!liveDevice(handle) || report.empty()) return false;
    const DeviceId id = handles_.at(handle).device;
    clock_.scheduleAfter(writeDelay, life_.wrap([this, id, report] {
        const auto it = devices_.find(id);
        if (it != devices_.end() && it->second.present && it->second.onOutput) it->second.onOutput(report);
    }));
    return true;
}

std::optional<Bytes> FakeHidSystem::read(std::intptr_t handle, int timeoutMs) {
    const platform::Micros deadline = clock_.now() + platform::Micros(std::max(timeoutMs, 0)) * 1000;
    for (;;) {
        if (!liveDevice(handle)) return std::nullopt;
        auto& queue = handles_.at(handle).queue;
        if (!queue.empty()) {
            Bytes report = std::move(queue.front());
            queue.pop_front();
            return report;
        }
        if (clock_.now() >= deadline) return std::nullopt;
        clock_.advanceTo(std::clamp(clock_.nextActionTime(), clock_.now(), deadline));
    }
}

void FakeHidSystem::close(std::intptr_t handle) { handles_.erase(handle); }

}  // namespace doubles
