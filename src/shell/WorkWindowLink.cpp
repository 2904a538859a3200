#include "shell/WorkWindowLink.h"

#include <optional>
#include <utility>

#include "link/LinkFlags.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/ModalMessageBox.h"
#include "shell/ModelessMsgBox.h"
#include "shell/TypeDefinition.h"

namespace shell {

void PurgeBuffers(printerlink::PrinterLink& mainComm) { mainComm.PurgeCommunication(printerlink::kPurgeBoth); }

// Also sent on a USB HID link (a restart after a restore checks whatever link
// is open), where an unframed request would be taken for a report of ID 10h.
bool RequestRealTimeStatus(printerlink::PrinterLink& mainComm, const RealTimeStatusHandshake& handshake,
                           const DoorPass& pass, const std::function<bool()>& stop) {
    handshake.answered = false;
    bool sendFailed = false;
    const auto ticket = pass.door().ask(
        pass.owner(), printerlink::ReplyForm::Status, printerlink::kRealTimeStatus, 1,
        [&] {
            handshake.requested = true;
            if (mainComm.SendRTOSCmdFramed(RealTimeStatusCommand)) return true;
            // No answer is coming: owed, the request would hold the next
            // status request back until given up, and raised, the flag
            // would take the next serial input for its answer.
            handshake.requested = false;
            sendFailed = true;
            return false;
        },
        stop);
    // The check that follows a failed send finds no answer and takes the
    // lost-link exit, as it did when the request counted as sent.
    return ticket != 0 || sendFailed;
}

bool IsDirectLink(const printerlink::PrinterLink& mainComm, const std::string& windowPortName) {
    return mainComm.m_lngHIDHandle > 0 || windowPortName == kLanPortName;
}

void ShowLinkCheckNotice(const SerialLinkCheck& check) {
    if (!check.noticeText.empty()) ShowTimedNotice(check.noticeText, check.noticeMs);
}

bool AwaitRealTimeStatusAnswer(const RealTimeStatusHandshake& handshake, const platform::Form& window, int waitMs) {
    constexpr int kAnswerSleepMs = 50;
    return waitRounds(waitMs / kAnswerSleepMs, kAnswerSleepMs,
                      [&] { return handshake.answered || !window.isLoaded(); }) &&
           handshake.answered;
}

bool takeRealTimeStatusAnswer(const RealTimeStatusHandshake& handshake) {
    if (!handshake.answered) return false;
    handshake.answered = false;
    handshake.requested = false;
    return true;
}

void LostLinkExit(printerlink::PrinterLink& mainComm, platform::Form& window,
                  const RealTimeStatusHandshake& handshake, const SerialLinkCheck& check) {
    handshake.answered = false;
    handshake.requested = false;
    if (check.lostLinkFlags) check.lostLinkFlags();
    ShowMessage(kLostLinkMessage, vbOKOnly, vbNoIcon);
    mainComm.bConnectButton = true;
    platform::Unload(window);
}

bool TakeAnswerOrExit(printerlink::PrinterLink& mainComm, platform::Form& window,
                      const RealTimeStatusHandshake& handshake, const SerialLinkCheck& check) {
    if (!window.isLoaded()) return false;
    if (takeRealTimeStatusAnswer(handshake)) return true;
    LostLinkExit(mainComm, window, handshake, check);
    return false;
}

bool CheckSerialLink(printerlink::PrinterLink& mainComm, platform::Form& window,
                     const RealTimeStatusHandshake& handshake, const SerialLinkCheck& check) {
    ShowLinkCheckNotice(check);
    return TakeAnswerOrExit(mainComm, window, handshake, check);
}

SendCheck::SendCheck(printerlink::PrinterLink& link)
    : link_(&link),
      failuresAtStart_(link.failureCount()),
      notReadyAtStart_(link.notReadyCount()),
      lan_(link.EthernetStatus() == "True") {}

// A serial printer switched off keeps the port open and takes every send
// after sitting out its settle wait: it counts as failed once a send waited
// the wait out and the printer is still not online, not while it holds CTS
// low for flow control.
bool SendCheck::failed() const {
    if (link_->failureCount() != failuresAtStart_) return true;
    if (link_->notReadyCount() != notReadyAtStart_ && !link_->IsPrinterOnline()) return true;
    return lan_ && link_->Winsock.State() != platform::sck::Connected;
}

// A printer that went away answers the bytes it is sent with a reset within
// a round trip; a tenth of a second on top costs the technician nothing.
bool SendCheck::reached() {
    constexpr int kReportRounds = 10, kReportSleepMs = 10;
    if (lan_) waitRounds(kReportRounds, kReportSleepMs, [this] { return failed(); });
    if (!failed()) return true;
    if (lan_) link_->awaitAnswersAgain();
    return false;
}

bool OperationSends::run(const std::function<void()>& sends) {
    SendCheck check(link_);
    struct Scope {
        const SendCheck*& current;
        const SendCheck* outer;
        ~Scope() { current = outer; }
    } scope{current_, std::exchange(current_, &check)};
    sends();
    return check.reached();
}

bool waitRounds(int rounds, int sleepMs, const std::function<bool()>& done) {
    for (int round = 0; round < rounds; ++round) {
        if (done()) return true;
        platform::DoEvents();
        platform::Sleep(sleepMs);
    }
    return done();
}

bool requestThenWait(bool& requestFlag, const std::function<void()>& send, int rounds, int sleepMs,
                     const std::function<bool()>& done) {
    requestFlag = true;
    send();
    return waitRounds(rounds, sleepMs, done);
}

void PollPrinterStatus(printerlink::PrinterLink& mainComm, const DoorPass& pass) {
    using printerlink::ReplyForm;
    if (!mainComm.IsPrinterOnline() && !mainComm.hidPollUnanswered()) return;
    if (printerlink::bLanAnswersGsEot)
        pass.door().post(pass.owner(), ReplyForm::Status,
                         [&] { return mainComm.SendOutput(printerlink::GsEotStatusCommand(1)); });
    if (mainComm.m_lngHIDHandle > 0 || printerlink::bLanAnswersEscV) {
        const bool hid = mainComm.m_lngHIDHandle > 0;
        // On USB HID the poll's read only tells whether the device answers;
        // the last poll's answer from a printer that answers late is read
        // first (the door reads what waits), not taken for this one's. The
        // byte its read got is handed to the door, which finds whether it was
        // the post's own answer.
        if (hid) mainComm.m_AHPIBufferCmd = true;
        std::optional<std::uint8_t> got;
        pass.door().post(
            pass.owner(), ReplyForm::Esc,
            [&] {
                const bool sent = mainComm.SendOutputFramed(printerlink::GsRStatusCommand);
                if (hid && mainComm.fncReadHIDData()) got = mainComm.pollReplyByte();
                return sent;
            },
            [&] { return got; });
    }
}

PollSilence::PollSilence(int pollIntervalMs) : pollIntervalUs_(platform::Micros(pollIntervalMs) * 1000) {}

// The printer gets the time the link gives a TCP printer to answer, and a
// poll is late by as much as the link lets its reply watchdog be.
bool PollSilence::polled(platform::Micros now) {
    constexpr platform::Micros kReplyTimeUs = platform::Micros(printerlink::kLanReplyTimeoutMs) * 1000;
    const bool late = lastPollAt_ >= 0 && now - lastPollAt_ > pollIntervalUs_ + printerlink::kLanWatchdogLateUs;
    lastPollAt_ = now;
    if (unansweredSince_ < 0 || late) unansweredSince_ = now;
    if (silent_ || now - unansweredSince_ < kReplyTimeUs) return false;
    silent_ = true;
    return true;
}

bool PollSilence::answered() {
    unansweredSince_ = -1;
    return std::exchange(silent_, false);
}

void StartWindowOnDirectLink(printerlink::PrinterLink& mainComm, const platform::Bytes& modeCommand,
                             platform::TimerControl& statusTimer, const std::function<bool()>& closed) {
    constexpr int kLanOpeningYields = 5001;
    constexpr int kPollMs = 3000;
    const auto startPoll = [&statusTimer] {
        statusTimer.setInterval(kPollMs);
        statusTimer.setEnabled(true);
    };
    if (mainComm.EthernetStatus() == "True") {
        for (int i = 0; i < kLanOpeningYields; ++i) {
            if (closed && closed()) return;
            platform::DoEvents();
        }
        if (closed && closed()) return;
        mainComm.SendOutput(modeCommand);
        startPoll();
    }
    if (mainComm.AHPIStatus() == "True") {
        mainComm.SendOutputFramed(modeCommand);
        startPoll();
    }
}

PrinterLine ReadPrinterLine() {
    const auto read = [](const char* key) { return ReadIniValue(SettingsFilePath(), "Configurations", key); };
    const std::string portNumber = read("PortNumber");
    PrinterLine line;
    line.portName = portNumber == platform::str(kAhpiPortNumber)  ? "AHPI"
                    : portNumber == platform::str(kLanPortNumber) ? kLanPortName
                                                                  : "COM" + portNumber;
    line.caption = read("Model") + "(" + read("PaperWidth") + ") Printer on " + line.portName + ":";
    return line;
}

}  // namespace shell
