// Turns the serial control's settings into a termios line set-up.
//
// Pure: it edits a termios structure and touches no device, so the mapping
// is tested without hardware. Values the port does not support throw
// RuntimeError 380 before anything is applied.
#pragma once

#include <termios.h>

#include "platform/serial/SerialControl.h"

namespace platform {

// The speed constant of a supported rate (1200..115200), or B0 when none.
speed_t baudConstant(int baud);

// Raw mode, no modem-line control over the receiver (CLOCAL), the given
// rate, parity (N, E, O; mark and space are refused), 7 or 8 data bits,
// 1 or 2 stop bits and handshaking (0 none, 1 XON/XOFF, 2 RTS/CTS).
// On a descriptor opened non-blocking, a read returns what is waiting or
// fails with EAGAIN; it returns 0 only when the device hung up.
void applyLineSettings(termios& tio, const LineSettings& line, int handshaking);

}  // namespace platform
