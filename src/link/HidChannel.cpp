#include "link/HidChannel.h"

#include <algorithm>

#include "platform/RuntimeError.h"

namespace printerlink {

using platform::Bytes;

namespace {
constexpr std::uint16_t kPrinterVendorId = 0x1B7D;
constexpr std::uint8_t kReportId = 0x08;
// A command framed whole fills at most one 64-byte report.
constexpr std::size_t kLargestFramedCommand = 62;
constexpr std::size_t kReadBufferSize = 1025;
}  // namespace

void HidChannel::OpenHidPrinter(const std::string& devicePath) {
    m_strDevicePath = devicePath;
    m_lngHIDHandle = hid_.open(devicePath);
    m_HidAttributes = {};
    // A device that cannot be opened, or whose attributes cannot be read,
    // is not the printer; its handle is never left behind as if open.
    if (m_lngHIDHandle <= 0 || !hid_.getAttributes(m_lngHIDHandle, m_HidAttributes) ||
        m_HidAttributes.VendorID != kPrinterVendorId) {
        closeHidDevice();
        return;
    }
    m_bHIDDeviceFound = true;
    ReadHidCapabilities();
}

void HidChannel::ReadHidCapabilities() {
    m_HidCaps = {};
    hid_.getCaps(m_lngHIDHandle, m_HidCaps);
}

void HidChannel::closeHidDevice() {
    if (m_lngHIDHandle > 0) hid_.close(m_lngHIDHandle);
    m_lngHIDHandle = 0;
    m_bHIDDeviceFound = false;
    hidPollUnanswered_ = false;
}

bool HidChannel::releaseDevice() {
    if (m_lngHIDHandle <= 0) return false;
    hid_.close(m_lngHIDHandle);
    return true;
}

void HidChannel::forgetDevice() {
    m_lngHIDHandle = 0;
    m_bHIDDeviceFound = false;
    hidPollUnanswered_ = false;
}

Bytes HidChannel::HidOutputReport(const Bytes& piece, bool framedHere) const {
    Bytes report(m_HidCaps.OutputReportByteLength, 0);
    const std::size_t offset = framedHere ? 2 : 0;
    if (offset + piece.size() > report.size()) platform::raiseError(platform::err::SubscriptOutOfRange);
    if (framedHere) {
        report[0] = kReportId;
        report[1] = static_cast<std::uint8_t>(piece.size());
    }
    std::copy(piece.begin(), piece.end(), report.begin() + static_cast<std::ptrdiff_t>(offset));
    return report;
}

bool HidChannel::writeReport(const Bytes& report) { return hid_.write(m_lngHIDHandle, report); }

std::optional<Bytes> HidChannel::readReport(int timeoutMs) {
    if (m_lngHIDHandle <= 0) return std::nullopt;
    return hid_.read(m_lngHIDHandle, timeoutMs);
}

Bytes HidChannel::inputBuffer(const std::optional<Bytes>& report) const {
    Bytes buffer(kReadBufferSize, 0);
    if (report) {
        const std::size_t n = std::min({report->size(), buffer.size(),
                                        static_cast<std::size_t>(m_HidCaps.InputReportByteLength)});
        std::copy(report->begin(), report->begin() + static_cast<std::ptrdiff_t>(n), buffer.begin());
    }
    return buffer;
}

Bytes hidReportAsRaised(std::uint8_t reportId, const Bytes& data) {
    Bytes report = data;
    report.insert(report.begin(), {reportId, static_cast<std::uint8_t>(std::min<std::size_t>(data.size(), 255))});
    return report;
}

std::size_t hidReportDataEnd(const Bytes& report) {
    if (report.size() < kHidReportHeaderBytes) return report.size();
    return std::min(report.size(), kHidReportHeaderBytes + report[1]);
}

std::optional<HidChannel::InputData> HidChannel::inputData(const Bytes& report) const {
    const std::size_t size = std::min<std::size_t>(report.size(), m_HidCaps.InputReportByteLength);
    if (size < 2) return std::nullopt;
    const std::size_t n = std::min<std::size_t>(report[1], size - 2);
    return InputData{report[0], Bytes(report.begin() + 2, report.begin() + 2 + static_cast<std::ptrdiff_t>(n))};
}

bool HidChannel::answersAgain() {
    if (!hidPollUnanswered_) return false;
    hidPollUnanswered_ = false;
    m_bHIDDeviceFound = true;
    return true;
}

void HidChannel::pollUnanswered() {
    m_bHIDDeviceFound = false;
    hidPollUnanswered_ = true;
}

std::vector<Bytes> HidChannel::HidCommandSends(const Bytes& command) {
    if (command.empty() || command.size() > static_cast<std::size_t>(kLargestUnsplitUpperBound) + 1) return {command};
    const std::size_t piece =
        command.size() <= kLargestFramedCommand ? command.size() : static_cast<std::size_t>(kPieceUpperBound) + 1;
    std::vector<Bytes> sends;
    for (std::size_t at = 0; at < command.size(); at += piece) {
        Bytes framed(command.begin() + static_cast<std::ptrdiff_t>(at),
                     command.begin() + static_cast<std::ptrdiff_t>(std::min(at + piece, command.size())));
        FrameHIDCommand(static_cast<int>(framed.size()) - 1, framed);
        sends.push_back(std::move(framed));
    }
    return sends;
}

void HidChannel::FrameHIDCommand(int n, Bytes& data) {
    // n is an upper bound: -1 is an empty command, anything lower names no array.
    if (n < -1 || n + 1 > static_cast<int>(data.size())) platform::raiseError(platform::err::SubscriptOutOfRange);
    const int length = n + 2;
    Bytes framed(static_cast<std::size_t>(n + 3), 0);
    framed[0] = kReportId;
    framed[1] = static_cast<std::uint8_t>(length > 250 ? 61 : length);
    std::copy(data.begin(), data.begin() + (n + 1), framed.begin() + 2);
    data = std::move(framed);
}

}  // namespace printerlink
