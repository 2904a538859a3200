#include "link/ReceiveRouting.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "link/HidChannel.h"
#include "link/IdItemCodes.h"
#include "link/PrinterCommands.h"

namespace printerlink {

using platform::Bytes;

std::uint8_t firmwareReplyMarker() {
    return iditems::IdItemCode(iditems::kFlashFirmwareRevision, iditems::IdItemOp::Read);
}

namespace {
// Not every printer ends the firmware reply with a trailing byte. A byte
// taken for a trailer that never comes would be another reply's (a status
// answer), and whoever waits for that reply would be one behind from then
// on; so a byte of a status reply's form is never taken for the trailer.
bool canOnlyBeTrailer(std::uint8_t b) { return iditems::endsReplyText(b) && !isGsEotReply(b); }

// The marker and the revision's characters: what comes after them is no
// longer the reply's text.
std::size_t wholeFirmwareText() {
    return 1 + static_cast<std::size_t>(iditems::IdItemShownLength(iditems::kFlashFirmwareRevision));
}

// Marker and trailing byte included.
int longestIdReply() {
    int longest = iditems::kTallyReplyLength;
    for (int item = 0; item < iditems::kIdItemCount; ++item)
        longest = std::max(longest, iditems::IdItemReplyLength(item));
    return longest;
}

void takeAsAnswer(bool& requested, bool& answered) {
    answered = true;
    requested = false;
}
}  // namespace

// Bytes of the firmware reply are its own: a character of its text may
// have a status reply's form ('2', '6'), and taken for the answer it would
// leave a wrong version behind. So the reply takes its part of the input
// first, and the answer is looked for in the rest.
void ReceiveRouting::routeSerialInput(const Bytes& data) {
    StatusHandshake& handshake = to_.handshake;
    if (handshake.bDiagStatusRequested) {
        // The diagnostics window reads every byte itself and finds its
        // answer among them, in turn with its status poll's replies: taken
        // here, a reply of another request (a MICR read's) would be lost.
        toFirmwareOrWindows(data);
        return;
    }
    const bool tally = handshake.m_SendRealTimeStatusCmd;
    if (!tally && !handshake.bSendCmdForRealTimstatus) {
        toWaitingProbeOrWindows(data);
        return;
    }
    const Bytes rest = takeFirmwareReply(data);
    // Each byte of the form up to the answer is handed to the door once; one
    // that answers another request (a poll given up, a closed window's) is
    // no answer: it goes on as data.
    auto answer = rest.begin();
    for (; answer != rest.end(); ++answer) {
        if (!isGsEotReply(*answer)) continue;
        if (!to_.answersRealTimeRequest || to_.answersRealTimeRequest()) break;
    }
    Bytes others(rest.begin(), answer);
    if (answer != rest.end()) {
        if (tally)
            takeAsAnswer(handshake.m_SendRealTimeStatusCmd, handshake.m_ResponseRealTimeStatusCmd);
        else
            takeAsAnswer(handshake.bSendCmdForRealTimstatus, handshake.bResponseForRealTimestatus);
        others.insert(others.end(), std::next(answer), rest.end());
    }
    if (!others.empty()) toWaitingProbeOrWindows(others);
}

// A firmware reply or a window's late reply that comes while the check
// waits is not the check's answer: taken for it, the firmware parse or the
// window would never get it, and the check would fail on a byte that was
// never its answer.
void ReceiveRouting::toWaitingProbeOrWindows(const Bytes& data) {
    if (!to_.awaitingConnectionStatus) {
        toFirmwareOrWindows(data);
        return;
    }
    if (!to_.answersConnectionCheck) {
        to_.connectionStatus(data);
        return;
    }
    Bytes answers, others;
    for (std::uint8_t b : takeFirmwareReply(data))
        (!inIdReply(b) && to_.answersConnectionCheck(b) ? answers : others).push_back(b);
    if (!answers.empty()) to_.connectionStatus(answers);
    if (!others.empty()) to_.windows(others);
}

// The printer answers in order, so a check asked after an ID item read is
// answered after that read's reply. The reply's text has no control byte:
// it ends at its trailing byte, or at its longest length should that byte
// be lost; a control byte of a status reply's form ends it too, and may be
// the check's answer (a noise byte that looked like a code began it).
bool ReceiveRouting::inIdReply(std::uint8_t b) {
    if (idReplyLeft_ > 0) {
        if (!iditems::endsReplyText(b)) {
            --idReplyLeft_;
            return true;
        }
        idReplyLeft_ = 0;
        return canOnlyBeTrailer(b);
    }
    if (!to_.idReplyExpected || !to_.idReplyExpected(b)) return false;
    idReplyLeft_ = longestIdReply() - 1;
    return true;
}

bool ReceiveRouting::firmwareReplyAwaited() const {
    return to_.awaitingFirmware && (!to_.firmwareAskedByLink || to_.firmwareAskedByLink());
}

void ReceiveRouting::readrealTimeResponesDiag() {
    takeAsAnswer(to_.handshake.bDiagStatusRequested, to_.handshake.bDiagStatusAnswered);
}

// The link's own probes and check are not read on TCP, but their answers
// are theirs: passed on, nobody would take them at the door, and owed
// there they would hold the windows' polls back until given up. Only a
// block's leading bytes are taken for them: the printer answers in order,
// and a byte further on may belong to an ID item's text (with a check
// answer lost, such bytes were taken for it, and the item's box was cut).
void ReceiveRouting::routeLanData(const Bytes& data) {
    to_.tallies.parseWaitingTallies(data);
    Bytes rest = takeFirmwareReply(data);
    auto answered = rest.begin();
    while (answered != rest.end() && to_.answersConnectionCheck && to_.answersConnectionCheck(*answered)) ++answered;
    rest.erase(rest.begin(), answered);
    if (!rest.empty()) to_.windows(rest);
}

// A report reaches the windows from its report ID up to its first zero byte.
// The printer answers the firmware request in one report, which the request
// reads itself; a report another command brought is not the reply.
void ReceiveRouting::deliverHidReport(const Bytes& report) {
    const Bytes data = platform::toBytes(platform::toTextUntilNul(report));
    const bool reply = data.size() > kHidReportHeaderBytes && firmwareReplyAwaited() &&
                       data[kHidReportHeaderBytes] == firmwareReplyMarker();
    if (reply)
        to_.firmwareVersion(data);
    else
        to_.windows(data);
}

void ReceiveRouting::toFirmwareOrWindows(const Bytes& data) {
    const Bytes rest = takeFirmwareReply(data);
    if (!rest.empty()) to_.windows(rest);
}

// Taken piece by piece, the reply would give the version of its first part
// and hand the rest to the windows as data, so it is collected until its
// text has ended. Its trailing byte is the reply's only where it directly
// follows the text: in the same read, or at the start of the very next one
// while nothing was sent since (noteSent).
Bytes ReceiveRouting::takeFirmwareReply(const Bytes& data) {
    auto at = data.begin();
    if (std::exchange(firmwareTrailerDue_, false) && at != data.end() && canOnlyBeTrailer(*at)) ++at;
    if (!to_.awaitingFirmware) firmwareReply_.clear();  // the wait was called off
    const bool begins = at != data.end() && *at == firmwareReplyMarker() && firmwareReplyAwaited();
    if (firmwareReply_.empty() && !begins) return Bytes(at, data.end());
    while (at != data.end() && firmwareReply_.size() < wholeFirmwareText() && !iditems::endsReplyText(*at))
        firmwareReply_.push_back(*at++);
    if (at == data.end() && firmwareReply_.size() < wholeFirmwareText()) return {};
    if (at != data.end() && canOnlyBeTrailer(*at))
        firmwareReply_.push_back(*at++);
    else
        firmwareTrailerDue_ = at == data.end();
    const Bytes reply = std::exchange(firmwareReply_, {});
    to_.firmwareVersion(reply);
    return Bytes(at, data.end());
}

}  // namespace printerlink
