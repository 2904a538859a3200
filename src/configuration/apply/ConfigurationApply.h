// The configuration window's printer commands: Apply (the ticked settings
// of the category on show), Apply All (every selection kept in the settings
// file), Reboot with the reconnect that follows, Restore Default, Print
// Form, and the status poll.
//
// Every button but Reboot goes to its direct procedure on TCP or USB HID
// and, on a serial link, first sends the real-time status request and then
// its serial procedure, which gives up with the lost-link exit when the
// printer did not answer. Reboot decides by the stored connection type.
//
// Ownership: the window owns one object for its life; the object keeps the
// window's apply state (bReceiptSyncTaken, data). Every call runs inside a
// window handler on the event loop: it sends (sends yield), shows modal
// boxes and notices (nested loops), may reconnect the link (ConnectPrinter)
// and may unload the window, whose destruction waits until the handler has
// returned. A run-time error of a run (a log file that cannot be written)
// ends the run with the run-time error report.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "configuration/editor/ConfigurationCommands.h"
#include "platform/Text.h"
#include "shell/WorkWindowLink.h"

namespace configuration {

class SetParameterSequence;

class ConfigurationApply : public ConfigurationCommands {
public:
    void ApplyButton_Click(ChangeConfigDlg& window) override;
    void ApplyAll_Click(ChangeConfigDlg& window) override;
    void RebootButton_Click(ChangeConfigDlg& window) override;
    void PrintFormButton_Click(ChangeConfigDlg& window) override;
    void RestoreDefaultButton_Click(ChangeConfigDlg& window) override;
    void StatusTimer_Timer(ChangeConfigDlg& window) override;

    // One applied communication row's write-back into "Configurations";
    // `data` holds the row's chosen option.
    void StoreCommSettingToIni(ChangeConfigDlg& window, int Row);

    bool bReceiptSyncTaken = false;
    int data = 0;

    // One setting of a run, built before anything is sent.
    struct PlannedSetting {
        int category = 0;
        int row = 0;
        int option = -1;        // -1: no value (nothing sent)
        platform::Bytes bytes;  // empty: nothing sent
    };

private:
    // ---- Apply of the shown category. ----
    void ApplySelectedSettingsLan(ChangeConfigDlg& window);
    void ApplySelectedSettingsSerial(ChangeConfigDlg& window);
    void applySelectedSettings(ChangeConfigDlg& window, bool serial);
    bool collectShownSettings(ChangeConfigDlg& window, int category, std::vector<PlannedSetting>& settings);
    void sendShownSettings(ChangeConfigDlg& window, bool serial, int category,
                           const std::vector<PlannedSetting>& settings);

    // ---- Apply of all categories. ----
    void ApplyAllConfigurationsLan(ChangeConfigDlg& window);
    void ApplyAllConfigurationsSerial(ChangeConfigDlg& window);
    void applyAllConfigurations(ChangeConfigDlg& window, bool serial);
    bool collectSavedSettings(ChangeConfigDlg& window, std::vector<PlannedSetting>& settings);
    void sendSavedSettings(ChangeConfigDlg& window, const std::vector<PlannedSetting>& settings);

    // ---- Shared by both runs. ----
    void sendAll(ChangeConfigDlg& window, const std::vector<platform::Bytes>& writes);
    bool openRun(ChangeConfigDlg& window, bool serial);
    // `leaveBehind` runs only when the run's sends reached the printer: the
    // connection write-back and SettingChangedFlags.
    void finishRun(ChangeConfigDlg& window, const SetParameterSequence& sequence, bool writeFirstLog,
                   const std::function<void()>& leaveBehind);

    // ---- Restart, restore, print form. ----
    void sendRestartOnSerial(ChangeConfigDlg& window, const platform::Bytes& command);
    void checkAfterRestart(ChangeConfigDlg& window, const char* notice, int noticeMs);
    void DisconnectedExit(ChangeConfigDlg& window);
    void RestoreDefaultsLan(ChangeConfigDlg& window);
    void RestoreDefaultsSerial(ChangeConfigDlg& window);
    void PrintDiagnosticFormLan(ChangeConfigDlg& window);
    void PrintDiagnosticFormSerial(ChangeConfigDlg& window);

    using Procedure = void (ConfigurationApply::*)(ChangeConfigDlg&);
    void dispatch(ChangeConfigDlg& window, Procedure direct, Procedure serial);

    // ---- The status handshake and the serial link check. ----
    // False when the window closed before the request's turn came.
    bool RequestRealTimeStatus(ChangeConfigDlg& window);
    shell::SerialLinkCheck linkCheck(ChangeConfigDlg& window, const char* notice, int noticeMs);
    bool CheckSerialLink(ChangeConfigDlg& window, const char* notice, int noticeMs);
    bool takeAnswer();
    void LostLinkExit(ChangeConfigDlg& window);

    // Whether a write of the run reached the link, and whether all did.
    bool sentSomething_ = false;
    std::optional<shell::SendCheck> runSends_;
};

}  // namespace configuration
