// The TCP client control the printer link drives.
//
// TcpSocket implements it on non-blocking POSIX sockets through the event
// loop; the in-memory double (tests/printer) on the virtual clock. Every
// event is posted to the loop and delivered at a later pass, never inside
// the call that caused it. A refused or unreachable host gives OnError with
// a number and a description and leaves State 9; a peer close gives OnClose
// with State 8; SendComplete follows once the bytes are handed to the kernel.
#pragma once

#include <functional>
#include <string>

#include "platform/Text.h"

namespace platform {

namespace sck {
inline constexpr int Closed = 0, Open = 1, Listening = 2, ConnectionPending = 3, ResolvingHost = 4,
                     HostResolved = 5, Connecting = 6, Connected = 7, Closing = 8, Error = 9;
// Error numbers raised in OnError / thrown by the calls.
inline constexpr int ErrConnectionRefused = 10061, ErrHostNotFound = 11001, ErrTimedOut = 10060,
                     ErrNetUnreachable = 10051, ErrConnectionReset = 10054, ErrNotConnected = 10057,
                     ErrWrongProtocolOrState = 40006, ErrInvalidArgument = 40020;
}  // namespace sck

class TcpControl {
public:
    virtual ~TcpControl() = default;

    std::string RemoteHost;
    int RemotePort = 0;

    // Starts connecting to RemoteHost:RemotePort; the result arrives as
    // OnConnect or OnError. Throws 40006 unless State is 0 (closed).
    virtual void Connect() = 0;
    virtual void Close() = 0;
    virtual int State() const = 0;
    // Throws 40006 unless connected.
    virtual void SendData(const Bytes& data) = 0;
    void SendData(const std::string& text) { SendData(toBytes(text)); }
    // Takes everything received so far (empty when nothing waits).
    virtual Bytes GetData() = 0;
    virtual long BytesReceived() const = 0;

    std::function<void()> OnConnect;
    std::function<void(long bytesTotal)> OnDataArrival;
    std::function<void(int number, const std::string& description)> OnError;
    std::function<void()> OnClose;
    std::function<void()> OnSendComplete;
};

}  // namespace platform
