// Apply: the ticked settings of the category on show, as one configuration
// command. Every setting is built before the first byte goes out, so a run
// with a value that cannot be sent sends nothing and says which.
#include "configuration/apply/ApplyRun.h"
#include "configuration/apply/CommandLogFiles.h"
#include "configuration/apply/ConfigurationApply.h"
#include "configuration/apply/ConnectionWriteBack.h"
#include "configuration/apply/SetParameterSequence.h"
#include "configuration/apply/SettingCommand.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace configuration {

namespace {

constexpr int kFlowControlRow = 5;
constexpr int kDsrSignalRow = 8;
constexpr int kReceiptSyncRow = 6;
constexpr const char* kReceiptSyncNote =
    "Changes for 'ReceiptSync' option will not be applied when 'IgnoreSyncConfig' option is in enabled state. ";
constexpr const char* kType16Warning =
    "After selection and change of Flow Control or DSR Signal with any other settings, Printer can go to Offline "
    "mode";

int shownCategory(const ChangeConfigDlg& window) {
    for (int i = 0; i < kCategoryCount; ++i)
        if (window.CategoryButton(i).Value()) return i;
    return kCommunication;
}

bool tickedWithCaption(const ChangeConfigDlg& window, int row, const char* caption) {
    return window.Setting(row).Caption() == caption && window.Setting(row).Value() == platform::vbChecked;
}

std::string withoutColon(std::string caption) {
    if (!caption.empty() && caption.back() == ':') caption.pop_back();
    return caption;
}

}  // namespace

// The saved flow-control choice warns whatever category is shown.
void flowControlWarnings(ChangeConfigDlg& window) {
    const std::string path = shell::SettingsFilePath();
    const CategoryDefinition& comm = categoryDefinition(kCommunication);
    if (window.ReadIniValue(path, comm.flagSection, flagKey(kFlowControlRow)) != "True") return;
    const std::string option = window.ReadIniValue(path, comm.valueSection, "FlowControl");
    if (option == "0")
        shell::ShowMessage(
            "Select DSR signal disable option also, else printer won't connect with Xon/Xoff Handshaking",
            shell::vbOKOnly, shell::vbNoIcon);
    else if (option == "1")
        shell::ShowMessage("Make sure DSR signal is disable", shell::vbOKOnly, shell::vbNoIcon);
}

// Shows only while the communication rows are on show.
void type16FlowControlWarning(ChangeConfigDlg& window) {
    if (window.m_MainComm.PrinterType() != k3695Type) return;
    if (tickedWithCaption(window, kFlowControlRow, "Flow Control:") ||
        tickedWithCaption(window, kDsrSignalRow, "DSR Signal:"))
        shell::ShowMessage(kType16Warning, shell::vbOKOnly, shell::vbNoIcon);
}

void ConfigurationApply::ApplySelectedSettingsLan(ChangeConfigDlg& window) { applySelectedSettings(window, false); }

void ConfigurationApply::ApplySelectedSettingsSerial(ChangeConfigDlg& window) { applySelectedSettings(window, true); }

void ConfigurationApply::applySelectedSettings(ChangeConfigDlg& window, bool serial) {
    runTrappingErrors([&] {
        DeleteCommandLogs();
        const int category = shownCategory(window);
        std::vector<PlannedSetting> settings;
        if (!collectShownSettings(window, category, settings)) return;
        if (!serial) {
            flowControlWarnings(window);
            type16FlowControlWarning(window);
        }
        if (!askToApply(window.m_MainComm.PrinterType())) return;
        if (!openRun(window, serial)) return;
        sendShownSettings(window, serial, category, settings);
    });
}

// The rows the user sees ticked, and only they: the command's size and its
// content come from the same rows.
bool ConfigurationApply::collectShownSettings(ChangeConfigDlg& window, int category,
                                              std::vector<PlannedSetting>& settings) {
    const long type = window.m_MainComm.PrinterType();
    for (int row = 0; row < categoryRowCount(category, type); ++row) {
        if (!window.Setting(row).Visible() || window.Setting(row).Value() != platform::vbChecked) continue;
        const int option = window.SettingList(row).ListIndex();
        const SettingBytes setting = settingCommandBytes(window.ParamNo(), type, category, row, option);
        if (setting.status == SettingBytes::Status::BadValue) {
            showInvalidValue("no valid option is chosen for \"" + withoutColon(window.Setting(row).Caption()) +
                             "\".");
            return false;
        }
        if (setting.status == SettingBytes::Status::Ok) settings.push_back({category, row, option, setting.bytes});
    }
    return true;
}

void ConfigurationApply::sendShownSettings(ChangeConfigDlg& window, bool serial, int category,
                                           const std::vector<PlannedSetting>& settings) {
    shell::MainWindow& link = window.m_MainComm;
    const long type = link.PrinterType();
    const bool hid = link.m_lngHIDHandle > 0;
    const int count = static_cast<int>(settings.size());
    SetParameterSequence::Shape shape{.hid = hid,
                                      .printerType = type,
                                      .shownCategoryRun = true,
                                      .logSize = static_cast<std::size_t>(2 * count + (hid ? 10 : 5))};
    shape.counts[static_cast<std::size_t>(category)] = count;
    shape.used[static_cast<std::size_t>(category)] = true;
    SetParameterSequence sequence(shape);
    sendAll(window, sequence.Head());
    for (const PlannedSetting& setting : settings) {
        if (category == kSoftware && setting.row == kReceiptSyncRow) {
            bReceiptSyncTaken = true;
            if (!(serial && type == k3695Type))
                shell::ShowMessage(kReceiptSyncNote, shell::vbOKOnly, shell::vbInformation);
        }
        sendAll(window, sequence.Add(category, setting.bytes));
    }
    sendAll(window, sequence.Close());
    // The M27x's settings carry no closing byte: its first log stays empty.
    finishRun(window, sequence, type != kM27xType, [&] {
        for (const PlannedSetting& setting : settings) {
            if (category == kCommunication) {
                data = setting.option;
                StoreCommSettingToIni(window, setting.row);
            } else {
                categoryChangedFlag(category) = true;
            }
        }
    });
}

void ConfigurationApply::StoreCommSettingToIni(ChangeConfigDlg& window, int Row) {
    writeBackCommunication(window, Row, data, WriteBackRun::ShownCategory);
}

}  // namespace configuration
