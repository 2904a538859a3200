// The synchronous reply wait, and the reply bytes it read but did not take.
#include <algorithm>

#include "link/PrinterLink.h"
#include "link/SerialReplyPolls.h"
#include "platform/RuntimeError.h"

namespace printerlink {

using platform::Bytes;
using platform::Sleep;

namespace {
constexpr int kHidYieldsBeforeRead = 11;
}  // namespace

// Whole milliseconds until `deadline`, at least 1 while it is ahead.
platform::Micros PrinterLink::msUntil(platform::Micros deadline) const {
    const platform::Micros left = deadline - loop_.clock().now();
    return left <= 0 ? 0 : left / 1000 + (left % 1000 != 0 ? 1 : 0);
}

bool PrinterLink::WaitResponse(Bytes& resp, int count) { return waitResponseUntil(resp, count, platform::kForever); }

bool PrinterLink::waitResponseUntil(Bytes& resp, int count, platform::Micros deadline) {
    // The serial control refuses a negative input length, whatever the link.
    if (count < 0) platform::raiseError(platform::err::InvalidProperty);
    if (count > static_cast<int>(resp.size())) platform::raiseError(platform::err::SubscriptOutOfRange);
    if (!IsPrinterOnline()) return false;
    if (m_bEthernet) return waitLanReply(resp, count, deadline);
    if (m_bAHPI) return m_lngHIDHandle >= 1 && waitHidReply(resp, count, deadline);
    // An input length of 0 would take everything waiting; nothing is expected.
    if (count == 0) return true;
    SerialReplyPolls polls(MSCommCtrl.OutBufferCount());
    while (MSCommCtrl.InBufferCount() < count && !polls.over() && loop_.clock().now() < deadline) {
        Sleep(static_cast<int>(std::min<platform::Micros>(SerialReplyPolls::kPollSleepMs, msUntil(deadline))));
        polls.polled(MSCommCtrl.OutBufferCount());
    }
    MSCommCtrl.InputLen = count;
    const Bytes input = MSCommCtrl.Input();
    MSCommCtrl.InputLen = 0;
    const std::size_t taken = std::min(input.size(), resp.size());
    std::copy(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(taken), resp.begin());
    return static_cast<int>(input.size()) >= count;
}

bool PrinterLink::waitResponseWhile(Bytes& resp, int count, platform::Micros deadline,
                                    const std::function<bool()>& waiting) {
    if (!m_bEthernet) return waiting() && waitResponseUntil(resp, count, deadline);
    constexpr platform::Micros kSliceMicros = 50'000;
    const auto now = [this] { return loop_.clock().now(); };
    deadline = std::min(deadline, now() + platform::Micros(kReplyWaitMs) * 1000);
    while (waiting() && IsPrinterOnline() && now() < deadline)
        if (waitResponseUntil(resp, count, std::min(deadline, now() + kSliceMicros))) return true;
    return false;
}

// What arrives on the socket while this waits is collected here instead of
// going to the windows (Winsock_DataArrival), for as long as the serial wait
// would poll.
bool PrinterLink::waitLanReply(Bytes& resp, int count, platform::Micros deadline) {
    if (heldReply_.size() < count && loop_.clock().now() < deadline) {
        bool expired = false;
        platform::Timer limit(loop_);
        limit.onTimer = [&] {
            limit.setEnabled(false);
            expired = true;
        };
        limit.setInterval(static_cast<int>(std::min<platform::Micros>(kReplyWaitMs, msUntil(deadline))));
        HeldReply::Collecting collecting(heldReply_);
        loop_.runUntil([&] {
            return expired || heldReply_.size() >= count ||
                   Winsock.State() != platform::sck::Connected;
        });
    }
    return heldReply_.take(resp, count);
}

// Input reports are read back to back until count data bytes came; a report
// that does not come within the read's bound ends the wait.
bool PrinterLink::waitHidReply(Bytes& resp, int count, platform::Micros deadline) {
    if (heldReply_.size() < count) {
        HeldReply::Collecting collecting(heldReply_);
        yieldTimes(kHidYieldsBeforeRead);
        const platform::Micros until =
            std::min(deadline, loop_.clock().now() + platform::Micros(kReplyWaitMs) * 1000);
        while (heldReply_.size() < count && m_lngHIDHandle > 0 && loop_.clock().now() < until) {
            const auto report = readReport();
            if (!report) break;
            // The window that waits shows what it reads; one opened later
            // asks afresh.
            silenceFoundByWindow_ = false;
            if (const auto input = inputData(*report)) heldReply_.addReportData(input->reportId, input->data);
        }
    }
    return heldReply_.take(resp, count);
}

// Bytes a wait read beyond its count and nobody took by the loop's next
// pass go to the receive route, a USB HID link's as the report they came in.
void PrinterLink::handOnHeldReply(Bytes data, std::uint8_t reportId) {
    guardEvent([&] {
        if (m_bAHPI) {
            routing_.deliverHidReport(hidReportAsRaised(reportId, data));
        } else {
            routing_.routeLanData(data);
            limitFirmwareReply();
        }
    });
}

}  // namespace printerlink
