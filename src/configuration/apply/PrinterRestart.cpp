// Reboot: the printer's restart command, and the link brought back as the
// stored connection type allows: over USB HID at once, over TCP once the
// socket reports the send complete, over a serial link by reopening it
// (and checking the printer answers) unless interface parameters changed.
// After a restore of factory defaults it checks for the printer's answer
// instead.
#include <utility>

#include "configuration/apply/ConfigurationApply.h"
#include "configuration/apply/ConnectionWriteBack.h"
#include "configuration/apply/SettingCommand.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "link/LinkFlags.h"
#include "platform/loop/EventLoop.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/ModelessMsgBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace configuration {

namespace {

constexpr const char* kSection = "Configurations";
constexpr const char* kOffline = "Cannot restart POS printer due to offline.";
constexpr int kYieldsBeforeRestart = 1001;
constexpr int kConnectedNoticeMs = 100;
constexpr int kDrainRounds = 100;
constexpr int kDrainSleepMs = 10;

// The serial port holds written bytes until they are on the line, and
// closing it (for the reconnect, or the disconnect after the window closed)
// drops what it still holds: the restart command must be out first.
void waitForSerialOutput(shell::MainWindow& link) {
    shell::waitRounds(kDrainRounds, kDrainSleepMs,
                      [&] { return !link.MSCommCtrl.PortOpen() || link.MSCommCtrl.OutBufferCount() == 0; });
}

// A reopened link reports nothing of its own: not a serial port whose lines
// dropped while the printer restarted, nor a USB HID printer that was not
// found again (its device is closed, so no poll reads and no read can time
// out). The window asks the link afresh, as it does when it opens.
void reconnect(ChangeConfigDlg& window) {
    window.m_MainComm.ConnectPrinter();
    if (window.isLoaded()) window.m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
}

}  // namespace

void ConfigurationApply::RebootButton_Click(ChangeConfigDlg& window) {
    shell::MainWindow& link = window.m_MainComm;
    printerlink::bPrinterRestarted = true;
    if (shell::ShowMessage("POS printer is restarting now, to effect the changes.\r\nDo you wish to continue?",
                           shell::vbYesNo, shell::vbInformation) != shell::vbYes)
        return;
    if (!link.IsPrinterOnline()) {
        shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
        return;
    }
    for (int i = 0; i < kYieldsBeforeRestart; ++i) platform::DoEvents();
    const platform::Bytes& command = RestartCommand;
    const std::string connectionType = window.ReadIniValue(shell::SettingsFilePath(), kSection, "ConnectionType");

    // A restart that did not go out says so on every path; what follows a
    // restart that did (the link dropping) is no sign of a failed send.
    if (window.bRestore) {
        if (!link.SendOutputFramed(command)) {
            shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
            return;
        }
        // A window closed while the request waited for its turn checks nothing.
        if (!RequestRealTimeStatus(window)) return;
        checkAfterRestart(window, "Checking printer connected or not...", 1500);
    } else if (connectionType == platform::str(shell::kLanPortNumber)) {
        // The reconnect waits for the send-complete event, which may be
        // handled while the send still yields: its flag, and the reply
        // watchdog's silence for the printer's restart, go up first. A
        // restart that did not go out takes both back, so a printer that
        // stops answering is still reported.
        const bool wasSuppressed = std::exchange(printerlink::bSuppressLanTimeout, true);
        printerlink::bLanRestartPending = true;
        if (!link.SendOutputFramed(command)) {
            printerlink::bLanRestartPending = false;
            printerlink::bSuppressLanTimeout = wasSuppressed;
            shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
            return;
        }
        printerlink::bRestartPending = true;
        printerlink::bLinkLost = false;
        printerlink::bRestartSentOnLink = true;
    } else if (connectionType == platform::str(shell::kAhpiPortNumber)) {
        link.m_BlnReconnect = true;
        if (link.SendOutputFramed(command)) {
            printerlink::bRestartPending = true;
            printerlink::bRestartSentOnLink = true;
            printerlink::bLinkLost = false;
            reconnect(window);
        } else {
            shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
        }
        link.m_BlnReconnect = false;  // the reconnect is over, made or not
        window.WriteIniValue(shell::SettingsFilePath(), kSection, "PortNumber", platform::str(shell::kAhpiPortNumber));
    } else {
        sendRestartOnSerial(window, command);
    }
}

// Every serial connection type restarts the printer: "USB" as the
// connection dialog stores it, and the "PRTR" and "19" an apply of the USB
// interface type may have stored.
void ConfigurationApply::sendRestartOnSerial(ChangeConfigDlg& window, const platform::Bytes& command) {
    shell::MainWindow& link = window.m_MainComm;
    if (!settingChangedFlags.groupA()) {
        if (!link.SendOutputFramed(command)) {
            shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
            return;
        }
        waitForSerialOutput(link);
        reconnect(window);
        // A window closed while the request waited for its turn checks nothing.
        if (!RequestRealTimeStatus(window)) return;
        checkAfterRestart(window, "Checking the printer is connected or not...", 2000);
    } else if (settingChangedFlags.groupB()) {
        link.SendOutputFramed(command);
        waitForSerialOutput(link);
        DisconnectedExit(window);
    } else if (link.SendOutputFramed(command)) {
        waitForSerialOutput(link);
        reconnect(window);
        printerlink::bRestartPending = false;
    } else {
        shell::ShowMessage(kOffline, shell::vbOKOnly, shell::vbInformation);
    }
}

void ConfigurationApply::checkAfterRestart(ChangeConfigDlg& window, const char* notice, int noticeMs) {
    shell::ShowTimedNotice(notice, noticeMs);
    if (takeAnswer()) {
        printerlink::bRestartPending = false;
        shell::ShowTimedNotice("Printer is connected", kConnectedNoticeMs);
        return;
    }
    DisconnectedExit(window);
}

// Like the lost-link exit, it drops the request nobody answered, so that
// the answer to the next connection check is not taken for this window's.
void ConfigurationApply::DisconnectedExit(ChangeConfigDlg& window) {
    shell::ShowMessage("Printer is disconnected, because of some of interface parameters are changed ", shell::vbOKOnly,
                       shell::vbNoIcon);
    printerlink::StatusHandshake& flags = printerlink::statusHandshake;
    flags.bResponseForRealTimestatus = false;
    flags.bSendCmdForRealTimstatus = false;
    printerlink::bLinkLost = true;
    window.setWantDisconnect();
    platform::Unload(window);
}

}  // namespace configuration
