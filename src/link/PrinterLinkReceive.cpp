// Receiving: the transports' events, the USB HID read and the TCP reply
// watchdog.
#include "link/LinkFlags.h"
#include "link/PrinterLink.h"
#include "platform/MessageBoxStyles.h"

namespace printerlink {

using platform::Bytes;

namespace {
// A reply watchdog that fires this much after its time was held up by the
// program (a blocking sleep), not by the printer.
constexpr platform::Micros kLanWatchdogLateUs = 1'000'000;
}  // namespace

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
}

void PrinterLink::readrealTimeResponesDiag(const Bytes& data) { routing_.readrealTimeResponesDiag(data); }

void PrinterLink::Winsock_DataArrival(long) {
    StopResponseTimer();
    Bytes data = Winsock.GetData();
    if (!m_bLanReplyReceived) lanFirstReplyByte_ = data.empty() ? 0 : data.front();
    m_bLanReplyReceived = true;
    // The windows that showed the printer offline show it online again.
    if (lanTimeoutReported_) {
        lanTimeoutReported_ = false;
        OnStatusUpdated.raise(kLanAnswersAgainStatus);
    }
    // A WaitResponse collecting the reply takes everything; bytes an earlier
    // one left over go first, so the windows see the input in order.
    if (heldReply_.collecting()) {
        heldReply_.add(data);
        return;
    }
    heldReply_.prependTo(data);
    routing_.routeLanData(data);
}

void PrinterLink::Winsock_Error(int, const std::string& description) {
    ++failureCount_;
    notices().ShowMessage(description, platform::vbOKOnly, platform::kNoIcon);
    lanTimeoutReported_ = true;
    OnStatusUpdated.raise(kLanTimeoutStatus);
}

// The watchdog counts from the oldest send still unanswered: were every send
// to restart it, a window's regular poll would keep a printer that stopped
// answering online for ever.
void PrinterLink::StartResponseTimer() {
    if (TimerWinsock.enabled() && TimerWinsock.interval() > 0) return;
    responseTimerStartedAt_ = loop_.clock().now();
    TimerWinsock.setInterval(kLanReplyTimeoutMs);
    TimerWinsock.setEnabled(true);
}

void PrinterLink::StopResponseTimer() {
    TimerWinsock.setEnabled(false);
    TimerWinsock.setInterval(0);
}

void PrinterLink::releaseReplyWatchdog() {
    if (replyWatchdogHolds_ == 0 || --replyWatchdogHolds_ > 0) return;
    StopResponseTimer();
}

// A reply that came in time but still waits for its data event is no
// time-out. Nor is a silence the program could not hear: when a blocking
// sleep held the loop well past the watchdog's time (a print's long wait,
// with sends that nothing answers before it), the printer gets its full time
// again from now, and the window's next poll tells.
void PrinterLink::TimerWinsock_Timer() {
    const bool replyWaiting = Winsock.BytesReceived() > 0;
    const platform::Micros dueAt = responseTimerStartedAt_ + platform::Micros(kLanReplyTimeoutMs) * 1000;
    if (!replyWaiting && loop_.clock().now() - dueAt > kLanWatchdogLateUs) {
        StopResponseTimer();
        StartResponseTimer();
        return;
    }
    if (!bSuppressLanTimeout && replyWatchdogHolds_ == 0 && !replyWaiting) {
        lanTimeoutReported_ = true;
        OnStatusUpdated.raise(kLanTimeoutStatus);
    }
    StopResponseTimer();
}

void PrinterLink::fncReadHIDData() {
    const std::optional<Bytes> report = readReport();
    const Bytes buffer = inputBuffer(report);
    // The device a poll read took for gone answers again: the windows that
    // showed it offline show it online again.
    if (report && answersAgain()) OnStatusUpdated.raise(kLanAnswersAgainStatus);
    if (m_AHPIBufferCmd) {
        if (report) return;
        // This path leaves the last-error fields alone; a window's failing
        // status handler is reported where the event dispatches it.
        OnStatusUpdated.raise(kHidPollTimeoutStatus);
        pollUnanswered();
        return;
    }
    trapErrors([&] { routing_.deliverHidReport(buffer); });
}

}  // namespace printerlink
