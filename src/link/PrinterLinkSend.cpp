// Sending, framing and purging.
#include <algorithm>

#include "link/PrinterLink.h"
#include "platform/RuntimeError.h"

namespace printerlink {

using platform::Bytes;
using platform::DoEvents;
using platform::Sleep;

namespace {

constexpr int kReadyRounds = 10;
constexpr int kSettleRounds = 100;
constexpr int kReadySleepMs = 10;
constexpr int kSettleSleepMs = 50;

}  // namespace

void PrinterLink::yieldTimes(int n) {
    for (int i = 0; i < n; ++i) DoEvents();
}

bool PrinterLink::IsPrinterOnline() {
    if (Winsock.State() == platform::sck::Connected) return true;
    if (m_bHIDDeviceFound) return true;
    if (MSCommCtrl.PortOpen() && MSCommCtrl.CTSHolding()) {
        bPrinterOffline = false;
        return true;
    }
    if (MSCommCtrl.PortOpen() && MSCommCtrl.Handshaking == platform::comm::HandshakeXonXoff &&
        MSCommCtrl.CTSHolding())
        return true;
    return false;
}

bool PrinterLink::isPrinterAnswering() {
    return IsPrinterOnline() && !lanSilenceReported() && !silenceFoundByWindow_;
}

// Both waits end early when the link was closed or lost meanwhile (a
// handler that ran during a yield disconnected, the TCP peer went away):
// nothing is left to wait for. Nor is there for a USB HID device taken for
// gone after a poll read went unanswered: only a later read finds it again,
// and the poll that reads would sit out every wait first.
bool PrinterLink::sendWaitEnds() { return IsPrinterOnline() || !anyTransportOpen() || hidPollUnanswered(); }

void PrinterLink::readyWait(const SendWaits& waits) {
    for (int round = 0; round < kReadyRounds; ++round) {
        if (sendWaitEnds()) return;
        if (waits.readySleeps) Sleep(kReadySleepMs);
        DoEvents();
    }
}

void PrinterLink::settleWait(const SendWaits& waits) {
    for (int round = 0; round < kSettleRounds; ++round) {
        if (sendWaitEnds()) return;
        if (waits.settleSleeps) Sleep(kSettleSleepMs);
        DoEvents();
    }
    if (!sendWaitEnds()) ++notReadyCount_;
}

void PrinterLink::sendText(const std::string& text, const SendWaits& waits) {
    if (MSCommCtrl.PortOpen()) {
        MSCommCtrl.Output(platform::toBytes(text));
        if (waits.afterSerialTextMs > 0) Sleep(waits.afterSerialTextMs);
    }
    if (Winsock.State() == platform::sck::Connected) {
        Winsock.SendData(text);
        StartResponseTimer();
    }
    // A USB HID report carries bytes; callers convert and frame text first.
    if (m_lngHIDHandle > 0) platform::raiseError(platform::err::TypeMismatch);
}

bool PrinterLink::sendPieces(const Bytes& data, const SendWaits& waits) {
    const int u = static_cast<int>(data.size()) - 1;
    const bool framedHere = u > kLargestUnsplitUpperBound;
    int p = 0;
    while (p <= u) {
        // A link closed or lost while the previous piece settled takes no
        // more pieces: without this a long send would sit out the settle
        // wait of every remaining piece with nobody to send to.
        if (p > 0 && !anyTransportOpen()) return false;
        const int r = u - p;
        const int k = r > kLargestUnsplitUpperBound ? kPieceUpperBound : r;
        const Bytes piece(data.begin() + p, data.begin() + p + k + 1);

        Bytes report;
        if (m_lngHIDHandle > 0) report = HidOutputReport(piece, framedHere);
        if (MSCommCtrl.PortOpen()) {
            MSCommCtrl.Output(piece);
            if (waits.afterSerialPieceMs > 0) Sleep(waits.afterSerialPieceMs);
        }
        if (Winsock.State() == platform::sck::Connected) {
            Winsock.SendData(piece);
            StartResponseTimer();
        }
        // A report the device did not take (it was unplugged) fails the send:
        // callers tell the user whether their command reached the printer.
        if (m_lngHIDHandle > 0 && !writeReport(report)) platform::raiseError(platform::err::DeviceIO);
        settleWait(waits);
        p += k + 1;
    }
    return true;
}

bool PrinterLink::send(const SendArgument& data, const SendWaits& waits) {
    bool result = false;
    trapErrors([&] {
        if (!anyTransportOpen()) return;
        readyWait(waits);
        if (!anyTransportOpen()) return;
        // From here on a byte in may answer this send rather than end an
        // earlier reply. The firmware reply is still awaited: its marker
        // tells it from this send's answer.
        routing_.noteSent();
        if (const auto* text = std::get_if<std::string>(&data)) {
            sendText(*text, waits);
            result = true;
        } else if (const auto* bytes = std::get_if<Bytes>(&data)) {
            result = sendPieces(*bytes, waits);
        } else {
            Bytes converted;
            for (const auto& element : std::get<TextArray>(data))
                converted.push_back(platform::CByte(platform::CDbl(element)));
            result = sendPieces(converted, waits);
        }
    });
    if (!result) ++failureCount_;
    return result;
}

bool PrinterLink::SendOutput(const std::string& text) { return send(text, kOutputWaits); }
bool PrinterLink::SendOutput(const Bytes& data) { return send(data, kOutputWaits); }
bool PrinterLink::SendOutput(const TextArray& data) { return send(data, kOutputWaits); }

bool PrinterLink::SendRTOSCmd(const std::string& text) { return send(text, kRtosWaits); }
bool PrinterLink::SendRTOSCmd(const Bytes& data) { return send(data, kRtosWaits); }
bool PrinterLink::SendRTOSCmd(const TextArray& data) { return send(data, kRtosWaits); }

bool PrinterLink::SendRTOSCmdPrinterValidation(const std::string& text) { return send(text, kValidationWaits); }
bool PrinterLink::SendRTOSCmdPrinterValidation(const Bytes& data) { return send(data, kValidationWaits); }
bool PrinterLink::SendRTOSCmdPrinterValidation(const TextArray& data) { return send(data, kValidationWaits); }

bool PrinterLink::sendFramed(const Bytes& command, const SendWaits& waits) {
    if (m_lngHIDHandle <= 0) return send(command, waits);
    for (const Bytes& piece : HidCommandSends(command))
        if (!send(piece, waits)) return false;
    return true;
}

bool PrinterLink::SendOutputFramed(const Bytes& command) { return sendFramed(command, kOutputWaits); }
bool PrinterLink::SendRTOSCmdFramed(const Bytes& command) { return sendFramed(command, kRtosWaits); }

bool PrinterLink::PurgeCommunication(std::uint8_t flags) {
    bool result = false;
    trapErrors([&] {
        if (flags & kPurgeInput) heldReply_.clear();
        if (MSCommCtrl.PortOpen()) {
            if (flags & kPurgeOutput) MSCommCtrl.setOutBufferCount(0);
            if (flags & kPurgeInput) MSCommCtrl.setInBufferCount(0);
            DoEvents();
            result = true;
        }
        // Let pending TCP or USB HID data arrive and be delivered.
        if (m_bEthernet) {
            yieldTimes(5001);
            result = true;
        }
        if (m_bAHPI) {
            yieldTimes(1001);
            result = true;
        }
    });
    return result;
}

}  // namespace printerlink
