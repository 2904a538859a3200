// The status poll, the link status handler, and the window's side of the
// reply interpreter that turns every received byte into the status panel's
// indicators.
#include "diagnostics/DiagnosePrinterDlgHosts.h"
#include "link/HidProducts.h"
#include "link/LinkFlags.h"
#include "link/ModelIdentifiers.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr int kPollYields = 51;
// A test's wait serves events between rests this long.
constexpr int kRestSleepMs = 20;

}  // namespace

void DiagnosePrinterDlg::StatusPollTimer_Timer() {
    if (ScanSession.m_bScanning) {
        m_bFlashOn = !m_bFlashOn;
        if (m_bFlashOn) platform::app().flashWindow();
        setCaption(m_strWindowCaption + " - Receiving Scan Image...");
        if (hidOpen()) readScanReportsOnHid();
        ScanSession.endIfQuiet(now());
    } else {
        m_bFlashOn = false;
        setCaption(m_strWindowCaption);
        PollPrinterStatus();
        RequestKioskStatus();
    }
    for (int i = 0; i < kPollYields; ++i) platform::DoEvents();
    // Presses that came while the poll's sends yielded.
    if (!testRunning_ && !scanReceiving()) runPressedTestsLater();
}

void DiagnosePrinterDlg::withoutStatusPoll(const std::function<void()>& body) {
    const bool polling = StatusPollTimer.Enabled();
    StatusPollTimer.setEnabled(false);
    m_MainComm.holdReplyWatchdog();
    struct Restore {
        DiagnosePrinterDlg& window;
        bool enabled;
        ~Restore() {
            window.m_MainComm.releaseReplyWatchdog();
            // A window closed meanwhile keeps its poll stopped.
            if (window.windowOpen()) window.StatusPollTimer.setEnabled(enabled);
        }
    } restore{*this, polling};
    body();
}

void DiagnosePrinterDlg::putPrinterBack(const std::function<void()>& sends) {
    const bool before = std::exchange(puttingPrinterBack_, true);
    sends();
    puttingPrinterBack_ = before;
}

void DiagnosePrinterDlg::waitWithPollResting(int ms) {
    withoutStatusPoll([&] {
        const platform::Micros until = now() + platform::Micros(ms) * 1000;
        while (windowOpen() && now() < until) {
            platform::DoEvents();
            platform::Sleep(kRestSleepMs);
        }
    });
}

// A poll goes out only once the last one's replies came or were given up
// (the door skips its turn otherwise): a reply that never comes then costs
// that poll alone, and a late one is read on the row it answers. On USB HID
// the replies of a printer that answers later than the read waits for queue
// up on the device and are read off before the next turn.
void DiagnosePrinterDlg::PollPrinterStatus() {
    using printerlink::ReplyForm;
    if (!m_MainComm.IsPrinterOnline()) return;
    notePoll();
    printerlink::RequestDoor& door = doorPass_.door();
    // What a TCP printer answered when it was connected says nothing about a
    // printer on another link.
    const bool lanAnswersEscV = printerlink::bLanAnswersEscV && interpreterHost_->lanLink();
    if (m_MainComm.m_lngHIDHandle <= 0 && !lanAnswersEscV) {
        const int requests = statusPollRows(m_MainComm.PrinterType());
        door.tryAsk(doorPass_.owner(), ReplyForm::Status, printerlink::kPollSet, requests, [&] {
            Bytes command;
            for (int n = 1; n <= requests; ++n)
                printerlink::AppendCommand(command, printerlink::GsEotStatusCommand(static_cast<std::uint8_t>(n)));
            return m_MainComm.SendOutput(command);
        });
        return;
    }
    if (lanAnswersEscV) platform::DoEvents();
    door.tryAsk(doorPass_.owner(), ReplyForm::Esc, printerlink::kPollSet, 2,
                [&] { return sendPollSet({printerlink::EscVStatusCommand, printerlink::EscUStatusCommand}); });
}

void DiagnosePrinterDlg::RequestKioskStatus() {
    platform::DoEvents();
    if (!m_MainComm.IsPrinterOnline() || m_MainComm.PrinterType() != kM27xType) return;
    doorPass_.door().tryAsk(doorPass_.owner(), printerlink::ReplyForm::Kiosk, printerlink::kPollSet, 2, [&] {
        return sendPollSet({printerlink::KioskStatusCommand(1), printerlink::KioskStatusCommand(2)});
    });
}

// On USB HID each reply comes only when read, one report each.
bool DiagnosePrinterDlg::sendPollSet(std::initializer_list<Bytes> commands) {
    if (!hidOpen()) return m_MainComm.SendOutput(printerlink::JoinedCommands(commands));
    bool sent = true;
    for (const Bytes& command : commands) {
        sent = m_MainComm.SendOutputFramed(command) && sent;
        m_MainComm.fncReadHIDData();
    }
    return sent;
}

void DiagnosePrinterDlg::m_MainComm_OnStatusUpdated(int NewStatus) {
    // A TCP printer answering again after its time-out is read afresh, as
    // after a change of the serial lines.
    if (printerlink::isLineChangeStatus(NewStatus) || NewStatus == printerlink::kPrinterAnswersAgainStatus) {
        showLinkState();
    } else if (NewStatus == printerlink::kLanTimeoutStatus) {
        showOffline();
    } else if (printerlink::isLineErrorStatus(NewStatus)) {
        PurgeBuffers();
    }
}

void DiagnosePrinterDlg::PurgeBuffers() { shell::PurgeBuffers(m_MainComm); }

void DiagnosePrinterDlg::showLinkState() {
    const bool online = m_MainComm.isPrinterAnswering();
    PrinterOnlineText.setText(online ? "Online" : "Offline");
    arrangeStatusGroups(online);
}

// A serial printer keeps its lines up when it stops answering, and a USB HID
// read that gets nothing raises nothing for this window: the window tells the
// silence itself, with the TCP reply watchdog's time, and shows it as the
// watchdog's time-out and the printer's next data show it on TCP.
void DiagnosePrinterDlg::notePoll() {
    if (interpreterHost_->lanLink() || !pollSilence_.polled(now())) return;
    // The next window to open shows it so too, until the printer sends: on
    // USB HID, where that window's own poll finds it again.
    if (hidOpen()) m_MainComm.printerFoundSilent();
    showOffline();
}

void DiagnosePrinterDlg::noteAnswer() {
    if (pollSilence_.answered()) showLinkState();
}

void DiagnosePrinterDlg::m_MainComm_OnDataReceived(const Bytes& ResponseData) {
    if (own_.keep(ResponseData)) {
        if (!ResponseData.empty()) noteAnswer();
        return;
    }
    Interpreter.receive(ResponseData);
}

std::string DiagnosePrinterDlg::storedModelIdentifier() {
    return std::string(printerlink::modelIdentifierForModelText(
        shell::ReadIniValue(shell::SettingsFilePath(), "Configurations", "Model")));
}

long DiagnosePrinterDlg::InterpreterHost::printerType() const { return window_.m_MainComm.PrinterType(); }
bool DiagnosePrinterDlg::InterpreterHost::lanLink() const { return window_.m_MainComm.EthernetStatus() == "True"; }
bool DiagnosePrinterDlg::InterpreterHost::usbLink() const { return window_.m_MainComm.AHPIStatus() == "True"; }
platform::Micros DiagnosePrinterDlg::InterpreterHost::timeNow() const { return now(); }
void DiagnosePrinterDlg::InterpreterHost::showIndicator(std::uint8_t index, std::uint8_t state) {
    window_.SetStatusIndicator(index, state);
}
bool DiagnosePrinterDlg::InterpreterHost::scanRunning() const { return window_.ScanSession.m_bScanning; }
void DiagnosePrinterDlg::InterpreterHost::scanByte(std::uint8_t b) { window_.ScanSession.HandleScanByte(b, now()); }
// A window whose Close was pressed shows and prints nothing more.
void DiagnosePrinterDlg::InterpreterHost::micrReplyRead(int status) {
    if (window_.windowOpen()) window_.ProcessMICRReply(status);
}
void DiagnosePrinterDlg::InterpreterHost::printerAnswered() { window_.noteAnswer(); }
// Only while the window still asks: a late answer after a lost-link exit
// must not pass the next window's check.
void DiagnosePrinterDlg::InterpreterHost::realTimeStatusAnswered() {
    if (printerlink::statusHandshake.bDiagStatusRequested) window_.m_MainComm.readrealTimeResponesDiag();
}
void DiagnosePrinterDlg::InterpreterHost::ownReplyRead(const printerlink::RequestDoor::Answer& answer,
                                                       std::uint8_t b) {
    window_.own_.answeredThrough(answer, b);
}
printerlink::RequestDoor& DiagnosePrinterDlg::InterpreterHost::requestDoor() { return window_.doorPass_.door(); }
printerlink::RequestDoor::Owner DiagnosePrinterDlg::InterpreterHost::doorOwner() const {
    return window_.doorPass_.owner();
}

}  // namespace diagnostics
