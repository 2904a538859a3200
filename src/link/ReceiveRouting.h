// Where the link's incoming bytes go, once no reply wait collects them.
//
// Serial input goes to the first window status handshake waiting for an
// answer (StatusHandshake.h; the diagnostics window finds its own answer in
// the input it gets as the windows' data), else to the connection check or the firmware
// probe while the link awaits them, else to the windows. TCP data is offered
// to every tally still requested (LanTallyReplies) and then goes to the
// firmware probe while it is awaited, else to the windows; the connection
// check never takes it. On both, the firmware probe gets its reply whole,
// once its end has come, however many reads brought it. A USB HID report,
// cut at its first zero byte, goes to the firmware probe or the windows.
//
// Ownership: the link owns one, built on its handshake record, its tallies,
// its probes' flags and its receivers, which all outlive it. Nothing here
// blocks; an error a receiver raises reaches the caller of the route.
#pragma once

#include <functional>

#include "link/LanTallyReplies.h"
#include "link/StatusHandshake.h"
#include "platform/Text.h"

namespace printerlink {

struct ReceiveTargets {
    StatusHandshake& handshake;
    LanTallyReplies& tallies;
    // Whether the after-connect probes await their replies now.
    const bool& awaitingConnectionStatus;
    const bool& awaitingFirmware;
    std::function<void(const platform::Bytes&)> connectionStatus;
    std::function<void(const platform::Bytes&)> firmwareVersion;
    std::function<void(const platform::Bytes&)> windows;
};

class ReceiveRouting {
public:
    explicit ReceiveRouting(ReceiveTargets targets) : to_(std::move(targets)) {}

    void routeSerialInput(const platform::Bytes& data);
    void routeLanData(const platform::Bytes& data);
    // report as the USB HID read got it, report ID first.
    void deliverHidReport(const platform::Bytes& report);
    // The diagnostics window's handshake answered, with the byte its reply
    // interpreter found to be the answer.
    void readrealTimeResponesDiag(const platform::Bytes& data);
    // A firmware reply has begun and its end, or its trailing byte, has not
    // come yet.
    bool firmwareReplyOpen() const { return !firmwareReply_.empty() || firmwareTrailerDue_; }
    // Something went out on the link: a byte after it may be its answer, so
    // a firmware reply's trailing byte is no longer awaited.
    void noteSent() { firmwareTrailerDue_ = false; }
    // Its rest will not come, or belongs to no request any more.
    void dropFirmwareReply() {
        firmwareReply_.clear();
        firmwareTrailerDue_ = false;
    }

private:
    void toFirmwareOrWindows(const platform::Bytes& data);

    ReceiveTargets to_;
    platform::Bytes firmwareReply_;
    // The reply was taken before its trailing byte came, and nothing was sent
    // since: the next read may begin with that byte.
    bool firmwareTrailerDue_ = false;
};

}  // namespace printerlink
