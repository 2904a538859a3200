// The serial port control the printer link drives.
//
// Plain settings are public fields, read when the port is opened (as the
// link sets them in a fixed order before PortOpen). Operations that touch the
// device are virtual: PosixSerialPort implements them on termios, the
// in-memory double (tests/printer) on the virtual clock.
//
// OnComm is posted to the event loop, never raised inside the call that
// caused it; CommEvent holds the event code while the handler runs:
// 2 receive (RThreshold > 0 and bytes waiting), 3 CTS change, 4 DSR change,
// 5 CD change, 6 ring, 7 EOF character, 1001 and above line errors
// (1001 break, 1004 framing, 1006 overrun, 1008 receive buffer overflow,
// 1009 parity).
//
// Errors are RuntimeError with the control's numbers: 8002 invalid port
// number (no device behind it), 8005 port already open (in use), 8015 the
// port could not be set up, 8018 the operation needs an open port, 380 an
// invalid property value (e.g. a malformed Settings text).
#pragma once

#include <functional>
#include <string>

#include "platform/Text.h"

namespace platform {

namespace comm {
inline constexpr int EvSend = 1, EvReceive = 2, EvCTS = 3, EvDSR = 4, EvCD = 5, EvRing = 6, EvEOF = 7;
inline constexpr int ErBreak = 1001, ErFrame = 1004, ErOverrun = 1006, ErRxOver = 1008, ErRxParity = 1009;
inline constexpr int HandshakeNone = 0, HandshakeXonXoff = 1, HandshakeRtsCts = 2;
inline constexpr int InputModeText = 0, InputModeBinary = 1;
}  // namespace comm

class SerialControl {
public:
    virtual ~SerialControl() = default;

    int CommPort = 1;
    std::string Settings = "9600,N,8,1";
    int Handshaking = comm::HandshakeNone;
    int InputMode = comm::InputModeText;
    int RThreshold = 0;
    int OutBufferSize = 512;
    int InBufferSize = 1024;
    bool DTREnable = false;
    int InputLen = 0;  // 0: Input() takes everything waiting

    // Opening validates Settings and the port; closing discards both buffers.
    virtual void setPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;

    virtual void Output(const Bytes& data) = 0;
    // Takes up to InputLen bytes (all when 0) from the receive buffer.
    virtual Bytes Input() = 0;

    virtual int InBufferCount() const = 0;
    virtual void setInBufferCount(int zero) = 0;   // only 0: discard received bytes
    // Bytes written that have not gone out yet. Counting first hands the
    // device what it takes now, so a caller that blocks in Sleep and polls
    // the count sees its output leave, as InBufferCount sees input arrive.
    virtual int OutBufferCount() = 0;
    virtual void setOutBufferCount(int zero) = 0;  // only 0: discard unsent bytes

    // A device without modem lines reads as asserted.
    virtual bool CTSHolding() const = 0;
    virtual bool DSRHolding() const = 0;

    int CommEvent = 0;
    std::function<void()> OnComm;
};

// Parsed "9600,N,8,1"; throws RuntimeError 380 for a malformed text.
struct LineSettings {
    int baud = 9600;
    char parity = 'N';  // N E O M S
    int dataBits = 8;
    int stopBits = 1;   // 1 or 2
};
LineSettings parseLineSettings(const std::string& settings);

}  // namespace platform
