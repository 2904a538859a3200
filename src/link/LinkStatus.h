// The codes the link's OnStatusUpdated carries besides the serial control's
// event codes, and what a window asks of a code. Pure constants; nothing
// here blocks or keeps state.
#pragma once

#include "platform/serial/SerialControl.h"

namespace printerlink {

// Status codes raised through OnStatusUpdated besides the serial event codes.
inline constexpr int kLanTimeoutStatus = 11053;
// A TCP printer whose time-out or error was reported has sent data again;
// also a USB HID printer whose status poll read went unanswered.
inline constexpr int kLanAnswersAgainStatus = 11054;
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
    return status >= 1000 && status != kLanTimeoutStatus && status != kLanAnswersAgainStatus;
}

}  // namespace printerlink
