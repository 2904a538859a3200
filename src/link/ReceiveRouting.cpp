#include "link/ReceiveRouting.h"

#include <algorithm>
#include <utility>

#include "link/IdItemCodes.h"
#include "link/PrinterCommands.h"

namespace printerlink {

using platform::Bytes;

namespace {
bool isEndByte(std::uint8_t b) { return b < 0x20; }

// Not every printer ends the firmware reply with a trailing byte. A byte
// taken for a trailer that never comes would be another reply's (a status
// answer), and whoever waits for that reply would be one behind from then
// on; so a byte of a status reply's form is never taken for the trailer.
bool canOnlyBeTrailer(std::uint8_t b) { return isEndByte(b) && !isGsEotReply(b); }

enum class FirmwareReply { Open, Ended, EndedBeforeTrailer };

// The firmware reply is the flash firmware revision's read code, its
// characters and a trailing byte; a serial or TCP read may bring any part of
// it. Its text, taken as parsing takes it (after the marker, or from the
// start when there is none), ends at its first control byte, or once the
// revision's characters are all there, with the trailer still to come.
FirmwareReply firmwareReplyState(const Bytes& reply) {
    const std::uint8_t marker = iditems::IdItemCode(iditems::kFlashFirmwareRevision, iditems::IdItemOp::Read);
    auto text = std::find(reply.begin(), reply.end(), marker);
    const bool marked = text != reply.end();
    text = marked ? text + 1 : reply.begin();
    if (std::any_of(text, reply.end(), isEndByte)) return FirmwareReply::Ended;
    if (marked && reply.end() - text >= iditems::IdItemShownLength(iditems::kFlashFirmwareRevision))
        return FirmwareReply::EndedBeforeTrailer;
    return FirmwareReply::Open;
}

// A window's real-time status request answered, whatever the bytes are.
void takeAsAnswer(bool& requested, bool& answered) {
    answered = true;
    requested = false;
}
}  // namespace

void ReceiveRouting::routeSerialInput(const Bytes& data) {
    StatusHandshake& handshake = to_.handshake;
    if (handshake.bDiagStatusRequested) {
        // The diagnostics window reads every byte itself and finds its
        // answer among them, in turn with its status poll's replies: taken
        // here, a reply of another request (a MICR read's) would be lost.
        toFirmwareOrWindows(data);
    } else if (handshake.m_SendRealTimeStatusCmd) {
        takeAsAnswer(handshake.m_SendRealTimeStatusCmd, handshake.m_ResponseRealTimeStatusCmd);
    } else if (handshake.bSendCmdForRealTimstatus) {
        takeAsAnswer(handshake.bSendCmdForRealTimstatus, handshake.bResponseForRealTimestatus);
    } else if (to_.awaitingConnectionStatus) {
        to_.connectionStatus(data);
    } else {
        toFirmwareOrWindows(data);
    }
}

void ReceiveRouting::readrealTimeResponesDiag(const Bytes&) {
    takeAsAnswer(to_.handshake.bDiagStatusRequested, to_.handshake.bDiagStatusAnswered);
}

void ReceiveRouting::routeLanData(const Bytes& data) {
    to_.tallies.parseWaitingTallies(data);
    toFirmwareOrWindows(data);
}

// A report reaches the windows from its report ID up to its first zero byte.
// The printer answers the firmware request in one report, which the request
// reads itself: whatever that read got is the reply.
void ReceiveRouting::deliverHidReport(const Bytes& report) {
    const Bytes data = platform::toBytes(platform::toTextUntilNul(report));
    if (to_.awaitingFirmware)
        to_.firmwareVersion(data);
    else
        to_.windows(data);
}

// Taken piece by piece, the reply would give the version of its first part
// and hand the rest to the windows as data. Its trailing byte, when it comes
// apart, is awaited only at the start of the very next read, and only while
// nothing was sent since (noteSent).
void ReceiveRouting::toFirmwareOrWindows(const Bytes& data) {
    Bytes rest = data;
    if (std::exchange(firmwareTrailerDue_, false) && !rest.empty() && canOnlyBeTrailer(rest.front())) {
        rest.erase(rest.begin());
        if (rest.empty()) return;
    }
    if (!to_.awaitingFirmware) {
        firmwareReply_.clear();  // the wait was called off
        to_.windows(rest);
        return;
    }
    firmwareReply_.insert(firmwareReply_.end(), rest.begin(), rest.end());
    const FirmwareReply state = firmwareReplyState(firmwareReply_);
    if (state == FirmwareReply::Open) return;
    firmwareTrailerDue_ = state == FirmwareReply::EndedBeforeTrailer;
    const Bytes reply = std::exchange(firmwareReply_, {});
    to_.firmwareVersion(reply);
}

}  // namespace printerlink
