// USB HID as the printer link's discovery and I/O code sees it.
//
// Two device lists in the forms the discovery code compares character by
// character, opening by path, attributes, capabilities, and report I/O.
// LinuxHidSystem implements it on hidraw with an injectable sysfs root and
// device opener; the in-memory double (tests/printer) on the virtual clock.
//
// read() may block up to its timeout (150 ms for the link): on a virtual
// clock it advances virtual time while it waits, so the simulated printer can
// answer; no utility event runs meanwhile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace platform {

struct HidAttributes {
    std::uint32_t Size = 12;
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

// Report lengths count the report ID byte, as the link expects.
struct HidCaps {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
    std::uint16_t NumberInputValueCaps = 0;
};

// The interface class text the discovery code appends to device paths.
inline constexpr const char* kHidClassGuid = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

class HidSystem {
public:
    virtual ~HidSystem() = default;

    // One entry per attached USB device function, as the USB controller
    // association list gives its "Dependent" text after the discovery code's
    // clean-up: e.g. HID\\VID_1B7D&PID_D2A8\\7&2F1B3C&0&0000 (backslashes
    // doubled). Non-HID USB devices appear as USB\\VID_xxxx&PID_xxxx\\...
    virtual std::vector<std::string> usbDeviceIdentifiers() = 0;
    // Interface paths of every present HID device:
    // \\?\hid#vid_1b7d&pid_d2a8#7&2f1b3c&0&0000#{4d1e55b2-...}
    virtual std::vector<std::string> hidInterfacePaths() = 0;

    // Opens the device a path names (built from either list; letter case is
    // ignored); returns a handle above 0, or -1 when it cannot be opened.
    virtual std::intptr_t open(const std::string& path) = 0;
    virtual bool getAttributes(std::intptr_t handle, HidAttributes& out) = 0;
    virtual bool getCaps(std::intptr_t handle, HidCaps& out) = 0;
    // Writes one whole output report (report ID first); false on failure
    // (device gone, short write).
    virtual bool write(std::intptr_t handle, const Bytes& report) = 0;
    // Reads one input report (report ID first), waiting at most timeoutMs;
    // nullopt on time-out or a vanished device.
    virtual std::optional<Bytes> read(std::intptr_t handle, int timeoutMs) = 0;
    virtual void close(std::intptr_t handle) = 0;
};

}  // namespace platform
