// Apply All: every setting selected in any category, as the settings file
// keeps the selections, in one configuration command. Each setting goes out
// exactly as Apply sends it (the one builder); a row whose number is 00 for
// the connected type is counted but never sent. Every value is read and
// built before the first byte goes out.
#include <array>

#include "configuration/apply/ApplyRun.h"
#include "configuration/apply/CommandLogFiles.h"
#include "configuration/apply/ConfigurationApply.h"
#include "configuration/apply/ConnectionWriteBack.h"
#include "configuration/apply/SetParameterSequence.h"
#include "configuration/apply/SettingCommand.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "platform/RuntimeError.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "shell/TypeDefinition.h"

namespace configuration {

namespace {

constexpr int kPaperWidthRow = 3;

// A stored value as the option it names: the leading number, rounded; -1
// when that is no byte.
int optionFromText(const std::string& text) {
    try {
        return platform::CByte(platform::Val(text));
    } catch (const platform::RuntimeError&) {
        return -1;
    }
}

std::array<int*, kCategoryCount> selectionCounters(ChangeConfigDlg& window) {
    return {&window.SelCommuncationParameter, &window.SelSoftwareParameter, &window.SelHardwareParameter,
            &window.SelCodePageParameter, &window.SelDoublesidePageParameter};
}

}  // namespace

void ConfigurationApply::ApplyAllConfigurationsLan(ChangeConfigDlg& window) { applyAllConfigurations(window, false); }

void ConfigurationApply::ApplyAllConfigurationsSerial(ChangeConfigDlg& window) {
    applyAllConfigurations(window, true);
}

void ConfigurationApply::applyAllConfigurations(ChangeConfigDlg& window, bool serial) {
    for (int* counter : selectionCounters(window)) *counter = 0;
    runTrappingErrors([&] {
        DeleteCommandLogs();
        std::vector<PlannedSetting> settings;
        if (!collectSavedSettings(window, settings)) return;
        if (!serial) type16FlowControlWarning(window);
        if (!askToApply(window.m_MainComm.PrinterType())) return;
        if (!openRun(window, serial)) return;
        sendSavedSettings(window, settings);
    });
}

// Reads the file once. A selected row without a value is counted (its
// category is used and its two bytes are kept free) but not sent.
bool ConfigurationApply::collectSavedSettings(ChangeConfigDlg& window, std::vector<PlannedSetting>& settings) {
    const std::string file = shell::readIniFileOrThrow(shell::SettingsFilePath(), true).value_or("");
    const long type = window.m_MainComm.PrinterType();
    const auto counters = selectionCounters(window);
    for (int category = 0; category < kCategoryCount; ++category) {
        const CategoryDefinition& c = categoryDefinition(category);
        for (int row = 0; row < c.rowCount; ++row) {
            if (shell::ReadIniText(file, c.flagSection, flagKey(row)) != "True") continue;
            ++*counters[static_cast<std::size_t>(category)];
            PlannedSetting setting{category, row, -1, {}};
            const char* key = c.valueKeys[static_cast<std::size_t>(row)].key;
            const std::string value = shell::ReadIniText(file, c.valueSection, key);
            if (!value.empty()) {
                setting.option = optionFromText(value);
                const SettingBytes built = settingCommandBytes(window.ParamNo(), type, category, row, setting.option);
                if (built.status == SettingBytes::Status::BadValue) {
                    showInvalidValue("\"" + value + "\" is no valid option for " + key + " in section [" +
                                     c.valueSection + "] of the settings file.");
                    return false;
                }
                setting.bytes = built.bytes;
            }
            settings.push_back(std::move(setting));
        }
    }
    return true;
}

void ConfigurationApply::sendSavedSettings(ChangeConfigDlg& window, const std::vector<PlannedSetting>& settings) {
    shell::MainWindow& link = window.m_MainComm;
    const long type = link.PrinterType();
    const bool hid = link.m_lngHIDHandle > 0;
    SetParameterSequence::Shape shape{.hid = hid, .printerType = type, .shownCategoryRun = false};
    const auto counters = selectionCounters(window);
    int n = 0, u = 0;
    for (std::size_t c = 0; c < counters.size(); ++c) {
        shape.counts[c] = *counters[c];
        shape.used[c] = *counters[c] > 0;
        n += *counters[c];
        u += shape.used[c] ? 1 : 0;
    }
    shape.logSize = static_cast<std::size_t>(hid ? 2 * n + 11 : 2 * n + u + 4);
    SetParameterSequence sequence(shape);
    sendAll(window, sequence.Head());
    for (const PlannedSetting& setting : settings)
        if (!setting.bytes.empty()) sendAll(window, sequence.Add(setting.category, setting.bytes));
    sendAll(window, sequence.Close());
    finishRun(window, sequence, true, [&] {
        for (const PlannedSetting& setting : settings) {
            if (!setting.bytes.empty() && setting.category == kCommunication)
                writeBackCommunication(window, setting.row, setting.option, WriteBackRun::AllCategories);
            if (!setting.bytes.empty() && setting.category == kHardware && setting.row == kPaperWidthRow)
                writeBackPaperWidth(window, type, setting.option);
            if (setting.category != kCommunication) categoryChangedFlag(setting.category) = true;
        }
    });
}

}  // namespace configuration
