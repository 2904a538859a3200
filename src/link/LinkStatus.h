// The codes the link's OnStatusUpdated carries besides the serial control's
// event codes, and what a window asks of a code. Pure constants; nothing
// here blocks or keeps state.
#pragma once

#include "platform/serial/SerialControl.h"

namespace printerlink {

// A TCP printer did not answer within the reply watchdog's time, or its
// connection met an error.
inline constexpr int kLanTimeoutStatus = 11053;
// A printer that went unanswered sends again: a TCP printer after its
// time-out or error was reported, a USB HID printer after a status poll
// read found no report.
inline constexpr int kPrinterAnswersAgainStatus = 11054;
// A USB HID status poll read found no report.
inline constexpr int kHidPollTimeoutStatus = 0;
// A change of the serial control lines (CTS or DSR), on which a window asks
// afresh whether the printer is online; the windows raise DSR to themselves
// for that, too.
inline constexpr bool isLineChangeStatus(int status) {
    return status == platform::comm::EvCTS || status == platform::comm::EvDSR;
}
// A serial line error (break, framing, overrun, overflow, parity: the
// control's codes from 1000 up), on which a window empties the buffers. The
// link's own codes above lie in that range but are none.
inline constexpr bool isLineErrorStatus(int status) {
    return status >= 1000 && status != kLanTimeoutStatus && status != kPrinterAnswersAgainStatus;
}

}  // namespace printerlink
