// The window's dispatch between its direct and serial procedures, its side
// of the real-time status handshake, the serial link check and the status
// poll.
#include "configuration/apply/ConfigurationApply.h"

#include "configuration/editor/ChangeConfigDlg.h"
#include "link/LinkFlags.h"
#include "link/StatusHandshake.h"
#include "shell/MainWindow.h"

namespace configuration {

namespace {

shell::RealTimeStatusHandshake handshake() {
    printerlink::StatusHandshake& flags = printerlink::statusHandshake;
    return {flags.bSendCmdForRealTimstatus, flags.bResponseForRealTimestatus};
}
}  // namespace

// Every printer-facing button but Reboot: straight to the printer on TCP or
// USB HID; on a serial link the status request first, then the procedure
// that checks its answer.
void ConfigurationApply::dispatch(ChangeConfigDlg& window, Procedure direct, Procedure serial) {
    if (shell::IsDirectLink(window.m_MainComm, window.m_PortNo)) {
        (this->*direct)(window);
        return;
    }
    if (RequestRealTimeStatus(window)) (this->*serial)(window);
}

void ConfigurationApply::ApplyButton_Click(ChangeConfigDlg& window) {
    dispatch(window, &ConfigurationApply::ApplySelectedSettingsLan, &ConfigurationApply::ApplySelectedSettingsSerial);
}

void ConfigurationApply::ApplyAll_Click(ChangeConfigDlg& window) {
    dispatch(window, &ConfigurationApply::ApplyAllConfigurationsLan, &ConfigurationApply::ApplyAllConfigurationsSerial);
}

void ConfigurationApply::PrintFormButton_Click(ChangeConfigDlg& window) {
    dispatch(window, &ConfigurationApply::PrintDiagnosticFormLan, &ConfigurationApply::PrintDiagnosticFormSerial);
}

// A restore asked for, even one then declined, makes the next restart in
// this window check for the printer's answer.
void ConfigurationApply::RestoreDefaultButton_Click(ChangeConfigDlg& window) {
    window.bRestore = true;
    dispatch(window, &ConfigurationApply::RestoreDefaultsLan, &ConfigurationApply::RestoreDefaultsSerial);
}

bool ConfigurationApply::RequestRealTimeStatus(ChangeConfigDlg& window) {
    return shell::RequestRealTimeStatus(window.m_MainComm, handshake(), window.doorPass());
}

bool ConfigurationApply::takeAnswer() { return shell::takeRealTimeStatusAnswer(handshake()); }

shell::SerialLinkCheck ConfigurationApply::linkCheck(ChangeConfigDlg& window, const char* notice, int noticeMs) {
    return {notice ? notice : "", noticeMs, [&window] {
                printerlink::bLinkLost = true;
                window.setWantDisconnect();
            }};
}

// Without a notice the answer of a printer that answers late is waited for
// as long: taken at once, its lateness would read as a lost link.
bool ConfigurationApply::CheckSerialLink(ChangeConfigDlg& window, const char* notice, int noticeMs) {
    if (!notice) shell::AwaitRealTimeStatusAnswer(handshake(), window);
    return shell::CheckSerialLink(window.m_MainComm, window, handshake(), linkCheck(window, notice, noticeMs));
}

void ConfigurationApply::LostLinkExit(ChangeConfigDlg& window) {
    shell::LostLinkExit(window.m_MainComm, window, handshake(), linkCheck(window, nullptr, 0));
}

void ConfigurationApply::StatusTimer_Timer(ChangeConfigDlg& window) { shell::PollPrinterStatus(window.m_MainComm, window.doorPass()); }

}  // namespace configuration
