// The window's status handling and poll, the real-time status handshake on
// its side, and the dispatch of its printer buttons by link.
#include "link/LinkFlags.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

void ViewTallyDlg::m_MainComm_OnStatusUpdated(int NewStatus) {
    if (printerlink::isLineChangeStatus(NewStatus)) {
        const bool online = m_MainComm.isPrinterAnswering();
        PrinterOnlineText.setText(online ? "Online" : "Offline");
        readAwaited_ = !online && (m_PortNo == shell::kLanPortName || sharedFlags().m_Flag);
        if (online) {
            if (m_PortNo == shell::kLanPortName) {
                ReadIdsAndTallies();
            } else if (sharedFlags().m_Flag) {
                sharedFlags().m_Flag = false;
                ReadIdsAndTallies();
            }
            // Closed while it read: nothing more is shown.
            if (!isLoaded()) return;
        }
        EnableTallyControls(online);
    } else if (NewStatus == printerlink::kLanTimeoutStatus || NewStatus == printerlink::kHidPollTimeoutStatus) {
        PrinterOnlineText.setText("Offline");
        EnableTallyControls(false);
    } else if (NewStatus == printerlink::kPrinterAnswersAgainStatus) {
        // Online again without reading everything afresh, as a line change
        // on TCP would: the boxes keep what the technician sees.
        PrinterOnlineText.setText("Online");
        EnableTallyControls(true);
    } else if (printerlink::isLineErrorStatus(NewStatus)) {
        shell::PurgeBuffers(m_MainComm);
    }
}

// As the link's time-out shows it; the window's status and controls come
// back with the next status event that finds the printer online.
void ViewTallyDlg::showOffline() {
    if (!isLoaded()) return;
    PrinterOnlineText.setText("Offline");
    EnableTallyControls(false);
}

// A read the printer was found too silent for is made at the first tick
// after it answers again, as on a line change: not inside the link's event
// that tells it, where the data being delivered would come behind the read.
void ViewTallyDlg::VStatusTimer_Timer() {
    if (readAwaited_ && m_MainComm.isPrinterAnswering()) {
        m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
        return;
    }
    shell::PollPrinterStatus(m_MainComm, doorPass_);
}

shell::RealTimeStatusHandshake ViewTallyDlg::handshake() const {
    printerlink::StatusHandshake& flags = sharedFlags();
    return {flags.m_SendRealTimeStatusCmd, flags.m_ResponseRealTimeStatusCmd};
}

shell::SerialLinkCheck ViewTallyDlg::linkCheck() const {
    return {kLinkCheckNotice, kLinkCheckNoticeMs, [] { printerlink::bAutoReconnect = false; }};
}

bool ViewTallyDlg::RequestRealTimeStatus() { return shell::RequestRealTimeStatus(m_MainComm, handshake(), doorPass_); }

bool ViewTallyDlg::CheckLink() { return shell::CheckSerialLink(m_MainComm, *this, handshake(), linkCheck()); }

bool ViewTallyDlg::AnswerTest() { return shell::TakeAnswerOrExit(m_MainComm, *this, handshake(), linkCheck()); }

void ViewTallyDlg::dispatch(void (ViewTallyDlg::*direct)(), void (ViewTallyDlg::*serial)()) {
    if (shell::IsDirectLink(m_MainComm, m_PortNo)) {
        (this->*direct)();
    } else {
        if (RequestRealTimeStatus()) (this->*serial)();
    }
}

void ViewTallyDlg::ApplyButton_Click() { dispatch(&ViewTallyDlg::ApplySelectedItemsLan, &ViewTallyDlg::ApplySelectedItemsSerial); }

void ViewTallyDlg::ApplyAndPrintButton_Click() {
    dispatch(&ViewTallyDlg::ApplyAndPrintItemsLan, &ViewTallyDlg::ApplyAndPrintItemsSerial);
}

void ViewTallyDlg::ClearTallyButton_Click() {
    dispatch(&ViewTallyDlg::ClearSelectedTalliesLan, &ViewTallyDlg::ClearSelectedTalliesSerial);
}

void ViewTallyDlg::ClearUserAreaButton_Click() {
    dispatch(&ViewTallyDlg::ClearUserDataAreaLan, &ViewTallyDlg::ClearUserDataAreaSerial);
}

void ViewTallyDlg::ClearUserDefinedArea_Click() {
    dispatch(&ViewTallyDlg::ClearUserDefinedAreaLan, &ViewTallyDlg::ClearUserDefinedAreaSerial);
}

void ViewTallyDlg::PrintFormButton_Click() {
    dispatch(&ViewTallyDlg::PrintTallyDiagnosticFormLan, &ViewTallyDlg::PrintTallyDiagnosticFormSerial);
}

}  // namespace tally
