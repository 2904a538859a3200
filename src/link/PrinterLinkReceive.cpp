// Receiving: the transports' events and the USB HID read.
#include <utility>

#include "link/PrinterLink.h"
#include "platform/MessageBoxStyles.h"

namespace printerlink {

using platform::Bytes;

void PrinterLink::MSCommCtrl_OnComm() {
    const int code = MSCommCtrl.CommEvent;
    if (code == platform::comm::EvSend) return;
    if (code != platform::comm::EvReceive) {
        OnStatusUpdated.raise(code);
        return;
    }
    const Bytes input = MSCommCtrl.Input();
    // The receive event is delivered after it was raised; a WaitResponse in
    // between may already have taken the bytes. An empty input is no answer.
    if (input.empty()) return;
    routing_.routeSerialInput(input);
    limitFirmwareReply();
}

void PrinterLink::readrealTimeResponesDiag() { routing_.readrealTimeResponesDiag(); }

void PrinterLink::Winsock_DataArrival(long) {
    StopResponseTimer();
    Bytes data = Winsock.GetData();
    if (!m_bLanReplyReceived) lanFirstReplyByte_ = data.empty() ? 0 : data.front();
    // The reply watchdog tells a TCP printer that answers again.
    silenceFoundByWindow_ = false;
    m_bLanReplyReceived = true;
    // A printer that answers after its restart is back: from now on its
    // silence is reported again, as it was before the restart.
    endRestartSilence();
    // The windows that showed the printer offline show it online again.
    if (lanAnswersAgain()) OnStatusUpdated.raise(kPrinterAnswersAgainStatus);
    // A WaitResponse collecting the reply takes everything; bytes an earlier
    // one left over go first, so the windows see the input in order.
    if (heldReply_.collecting()) {
        heldReply_.add(data);
        return;
    }
    heldReply_.prependTo(data);
    routing_.routeLanData(data);
    limitFirmwareReply();
}

void PrinterLink::Winsock_Error(int, const std::string& description) {
    ++failureCount_;
    notices().ShowMessage(description, platform::vbOKOnly, platform::kNoIcon);
    reportLanTimeout();
}

bool PrinterLink::fncReadHIDData() {
    const std::optional<Bytes> report = readReport();
    handleHidRead(report);
    return report.has_value();
}

bool PrinterLink::readHidReportsWithin(int waitMs) {
    if (m_lngHIDHandle <= 0) return false;
    if (waitMs > 0) {
        const std::optional<Bytes> report = readReport(waitMs);
        if (!report) return true;
        handleHidRead(report);
    }
    readQueuedHidReports();
    return true;
}

void PrinterLink::readQueuedHidReports() {
    constexpr int kMaxQueuedReports = 64;
    for (int n = 0; n < kMaxQueuedReports && m_lngHIDHandle > 0; ++n) {
        const std::optional<Bytes> report = readReport(0);
        if (!report) return;
        handleHidRead(report);
    }
}

void PrinterLink::forgetPollReads() {
    m_AHPIBufferCmd = false;
    hidPollMissed_ = false;
}

void PrinterLink::printerSent() {
    if (std::exchange(silenceFoundByWindow_, false)) OnStatusUpdated.raise(kPrinterAnswersAgainStatus);
}

void PrinterLink::handleHidRead(const std::optional<Bytes>& report) {
    const Bytes buffer = inputBuffer(report);
    if (report) printerSent();
    // The device a poll read took for gone answers again: the windows that
    // showed it offline show it online again.
    if (report && answersAgain()) OnStatusUpdated.raise(kPrinterAnswersAgainStatus);
    if (m_AHPIBufferCmd) {
        pollReplyByte_.reset();
        if (report && report->size() > kHidReportHeaderBytes) pollReplyByte_ = (*report)[kHidReportHeaderBytes];
        // A printer that answers later than a read waits has its answer read
        // at the next poll: it is silent only when a second poll read in a
        // row gets no report, and no late answer came in between.
        const bool missedBefore = std::exchange(hidPollMissed_, !report);
        if (report || !missedBefore) return;
        // This path leaves the last-error fields alone; a window's failing
        // status handler is reported where the event dispatches it.
        OnStatusUpdated.raise(kHidPollTimeoutStatus);
        pollUnanswered();
        return;
    }
    trapErrors([&] { routing_.deliverHidReport(buffer); });
    limitFirmwareReply();
}

}  // namespace printerlink
