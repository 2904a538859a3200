// Where the link's incoming bytes go, once no reply wait collects them.
//
// While the diagnostics window's status request is up (StatusHandshake.h),
// serial input goes to the firmware probe or the windows, and that window
// finds its answer among the bytes it gets. While the tally or configuration
// window's request is up, the input's first byte of the real-time status
// reply's form (isGsEotReply) that the request door finds answering it is
// that request's answer; the input's other
// bytes, or all of it when it holds no such byte, go on as if no handshake
// were up: to the connection check or the firmware probe while the link
// awaits them, else to the windows. Only the bytes of a firmware reply are
// never taken for that answer. The connection check takes only the bytes
// the request door finds answering it; the firmware reply is taken first,
// and only while the door's oldest request of its code is the link's: a
// work window may ask the same ID item, and its reply is the window's. Nor
// is a byte of an ID item reply the door still expects the check's answer:
// a window closed just before the check leaves its replies coming, and a
// digit of their text may have a status reply's form.
// TCP data is offered to every tally still requested (LanTallyReplies),
// then to the firmware probe while it is awaited; a block's leading bytes
// that the door finds answering the link's own probe or check are theirs,
// and the rest goes to the windows.
//
// The firmware reply begins with its marker (firmwareReplyMarker): while it
// is awaited and has not begun, a read that begins with the marker begins
// it, and any other read goes to the windows, the reply still awaited. On
// serial and TCP the reply is collected whole, however many reads bring it,
// and ends at its first control byte or once its text has its known length;
// what follows the end in the same read goes to the windows. A USB HID
// report, cut at its first zero byte, goes to the firmware probe when its
// data begins with the marker and the reply is awaited, else to the windows.
//
// Ownership: the link owns one, built on its handshake record, its tallies,
// its probes' flags and its receivers, which all outlive it. Nothing here
// blocks, and nothing here keeps time: the link ends a wait that lasts too
// long. An error a receiver raises reaches the caller of the route.
#pragma once

#include <cstdint>
#include <functional>

#include "link/LanTallyReplies.h"
#include "link/StatusHandshake.h"
#include "platform/Text.h"

namespace printerlink {

// The firmware version is the flash firmware revision's ID item read; the
// printer's reply begins with that read code.
std::uint8_t firmwareReplyMarker();

struct ReceiveTargets {
    StatusHandshake& handshake;
    LanTallyReplies& tallies;
    // Whether the after-connect probes await their replies now.
    const bool& awaitingConnectionStatus;
    const bool& awaitingFirmware;
    std::function<void(const platform::Bytes&)> connectionStatus;
    std::function<void(const platform::Bytes&)> firmwareVersion;
    std::function<void(const platform::Bytes&)> windows;
    // A byte of the real-time status reply's form came: whether the link's
    // request door finds it answers a window's real-time status request
    // (and not a request given up, or one of a closed window).
    std::function<bool()> answersRealTimeRequest;
    // Whether the next firmware reply is the link's to parse: the door's
    // oldest open request of its code is the link's, not a window's that
    // asked the same ID item. Unset: every firmware reply awaited is.
    std::function<bool()> firmwareAskedByLink;
    // Whether the door finds a byte answers the link's own connection
    // check, and takes it there. Unset: all input awaited goes to it.
    std::function<bool(std::uint8_t)> answersConnectionCheck;
    // Whether a byte is the code of an ID item reply the door still
    // expects: a request of its code owed, or one given up whose mark
    // stands (a window closed before its replies came). Unset: none is.
    std::function<bool(std::uint8_t)> idReplyExpected;
};

class ReceiveRouting {
public:
    explicit ReceiveRouting(ReceiveTargets targets) : to_(std::move(targets)) {}

    void routeSerialInput(const platform::Bytes& data);
    void routeLanData(const platform::Bytes& data);
    // report as the USB HID read got it, report ID first.
    void deliverHidReport(const platform::Bytes& report);
    // The diagnostics window's handshake answered: its reply interpreter
    // found the answer.
    void readrealTimeResponesDiag();
    // A firmware reply has begun and its end, or its trailing byte, has not
    // come yet.
    bool firmwareReplyOpen() const { return !firmwareReply_.empty() || firmwareTrailerDue_; }
    // Something went out on the link: a byte after it may be its answer, so
    // a firmware reply's trailing byte is no longer awaited. The reply
    // itself, begun or not, still is.
    void noteSent() { firmwareTrailerDue_ = false; }
    // The connection check was asked: the ID item reply being read past
    // for it, if any, was another check's.
    void noteCheckAsked() { idReplyLeft_ = 0; }
    // Its rest will not come, or belongs to no request any more.
    void dropFirmwareReply() {
        firmwareReply_.clear();
        firmwareTrailerDue_ = false;
    }

private:
    // Input no handshake takes.
    void toWaitingProbeOrWindows(const platform::Bytes& data);
    // Whether b is part of an ID item reply: its code, or its text up to
    // its trailing byte.
    bool inIdReply(std::uint8_t b);
    // A firmware reply, if the link asked for the next one, begins here.
    bool firmwareReplyAwaited() const;
    void toFirmwareOrWindows(const platform::Bytes& data);
    // The firmware reply takes its part of data, if any; the rest of data
    // is returned, in order.
    platform::Bytes takeFirmwareReply(const platform::Bytes& data);

    ReceiveTargets to_;
    platform::Bytes firmwareReply_;
    // The reply's text ended at its known length with the read, and nothing
    // was sent since: the next read may begin with its trailing byte.
    bool firmwareTrailerDue_ = false;
    // Bytes at most left of the ID item reply being read past.
    int idReplyLeft_ = 0;
};

}  // namespace printerlink
