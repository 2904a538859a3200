// The simulated printer's view of the transport it is attached to.
//
// Each adapter (serial, TCP and USB HID doubles; a pseudo-terminal; a
// loopback listener; the fake hidraw tree) implements it. The printer core
// calls it from its own scheduled actions, never from inside the adapter's
// delivery of received bytes, so an adapter need not guard against re-entry.
#pragma once

#include <cstddef>

#include "platform/Text.h"

namespace sim {

class SimPort {
public:
    virtual ~SimPort() = default;

    // Report transports (USB HID) take replies as whole input reports of
    // inputReportLength() bytes; stream transports take plain bytes.
    virtual bool reportFramed() const { return false; }
    virtual std::size_t inputReportLength() const { return 64; }

    // Hands reply bytes (or one whole input report) to the utility's side.
    virtual void send(const platform::Bytes& bytes) = 0;

    // The link goes down (a restart, a vanished device) or comes back, as the
    // transport shows it: serial CTS low/high, TCP connection closed and new
    // ones refused / accepted again, USB HID device removed / present.
    virtual void setLinkUp(bool up) = 0;

    // Transport-specific faults; a transport without the line or the
    // connection ignores them.
    virtual void setCts(bool /*asserted*/) {}
    virtual void closeConnection() {}
};

}  // namespace sim
