// The USB HID channel: the printer's HID device once the link has found it,
// its capabilities, and the output and input reports on it.
//
// Ownership: the link derives from it; the caller owns the HID system and
// keeps it alive as long as the link. The channel holds at most one device
// open (m_lngHIDHandle above 0) and closes it in closeHidDevice, or in
// releaseDevice and forgetDevice when the link disconnects.
//
// What blocks: a read waits up to kHidReadTimeoutMs in the device read; no
// event runs meanwhile. Nothing else blocks.
//
// Errors: HidOutputReport and FrameHIDCommand raise run-time error 9 for a
// piece that does not fit; a failed write or a read that gets no report is
// a result, not an error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/hid/HidSystem.h"

namespace printerlink {

// Bound of every USB HID input report read.
inline constexpr int kHidReadTimeoutMs = 150;

// What a window receives of a USB HID input report through OnDataReceived:
// the report as read, its ID and its length byte first, then its data, cut
// at the first zero byte. Bytes a reply wait read from reports and left are
// raised in the same form. The data the length byte announces ends at
// hidReportDataEnd, as far as the bytes came.
inline constexpr std::uint8_t kHidInputReportId = 0x09;
inline constexpr std::size_t kHidReportHeaderBytes = 2;
platform::Bytes hidReportAsRaised(std::uint8_t reportId, const platform::Bytes& data);
std::size_t hidReportDataEnd(const platform::Bytes& report);

class HidChannel {
public:
    explicit HidChannel(platform::HidSystem& hid) : hid_(hid) {}

    // The device's handle: above 0 while one is open.
    std::intptr_t m_lngHIDHandle = -1;

    // The arrays that carry one command on USB HID, one send each: a command
    // that fits one report (62 bytes beside the report ID and length byte)
    // framed whole, one of 63 or 64 bytes framed in pieces of 61, a longer
    // one as it is (the send frames its pieces itself).
    static std::vector<platform::Bytes> HidCommandSends(const platform::Bytes& command);
    // n is the upper bound of data (any int, so large logo blocks fit);
    // data becomes the framed output report.
    static void FrameHIDCommand(int n, platform::Bytes& data);
    // A send splits its data into pieces that fit the printer's 64-byte
    // report with the report ID and length byte in front: data up to this
    // upper bound goes as one piece, longer data in pieces of this upper
    // bound, which the send frames itself.
    static constexpr int kLargestUnsplitUpperBound = 63;
    static constexpr int kPieceUpperBound = 60;

    // A USB HID status poll read got no report, which took the device for
    // gone, and no report has been read since: the polls go on asking.
    bool hidPollUnanswered() const { return hidPollUnanswered_; }

    // ---- The device. ----
    // Opens the device at devicePath; a device that cannot be opened, whose
    // attributes cannot be read or that is not the printer maker's is closed
    // again at once, and m_bHIDDeviceFound stays as it was.
    void OpenHidPrinter(const std::string& devicePath);
    void closeHidDevice();
    // Disconnecting closes the device first and forgets its handle only
    // after the link's buffers were purged; releaseDevice tells whether one
    // was open.
    bool releaseDevice();
    void forgetDevice();

    // ---- Reports. ----
    // The output report of one piece: the piece as given, or framed here as
    // [08, piece length, piece]; zero-padded to the device's length.
    platform::Bytes HidOutputReport(const platform::Bytes& piece, bool framedHere) const;
    // False when the device did not take the whole report (it was unplugged).
    bool writeReport(const platform::Bytes& report);
    // One input report, or nothing when no device is open or none came in
    // time; a time of 0 takes only a report already waiting.
    std::optional<platform::Bytes> readReport(int timeoutMs = kHidReadTimeoutMs);
    // The input report as the windows get it: report at the start of a
    // zeroed 1025-byte buffer, cut to the device's input report length.
    platform::Bytes inputBuffer(const std::optional<platform::Bytes>& report) const;
    // An input report's data bytes: [report ID][data length][data][padding];
    // nothing for a report too short to carry a length.
    struct InputData {
        std::uint8_t reportId;
        platform::Bytes data;
    };
    std::optional<InputData> inputData(const platform::Bytes& report) const;

    // ---- The status poll. ----
    // A report came: true when it ends a poll's unanswered spell, and the
    // device counts as found again.
    bool answersAgain();
    // A poll's read got no report: the device counts as gone until a read
    // gets one.
    void pollUnanswered();

protected:
    void ReadHidCapabilities();

    platform::HidSystem& hid_;
    bool m_bHIDDeviceFound = false;
    platform::HidCaps m_HidCaps;
    platform::HidAttributes m_HidAttributes;
    std::string m_strDevicePath;

private:
    bool hidPollUnanswered_ = false;
};

}  // namespace printerlink
