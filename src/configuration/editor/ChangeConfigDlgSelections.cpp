// The user's selections in the settings file: per category a flag section
// (which rows are ticked for apply) and a value section (each row's chosen
// option), written the moment a tick or a choice is made, put back when a
// category is shown again, and every flag cleared when the window closes.
// Every operation reads and writes the file anew; nothing is cached.
#include <cctype>

#include "configuration/editor/ChangeConfigDlg.h"
#include "platform/Text.h"
#include "shell/IniFile.h"

namespace configuration {

namespace {

// A flag text as the Boolean conversion reads it: "True"/"False" in any
// letter case, or a decimal number (0 False). Any other text is no flag.
bool readFlag(const std::string& text, bool& flag) {
    if (platform::equalsIgnoreCase(text, "True") || platform::equalsIgnoreCase(text, "False")) {
        flag = platform::equalsIgnoreCase(text, "True");
        return true;
    }
    const std::string t = platform::trim(text);
    if (t.empty()) return false;
    std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size()) return false;
    bool zero = true;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
        if (t[i] != '0') zero = false;
    }
    flag = !zero;
    return true;
}

// A stored choice that a list of `count` options can show: a whole number
// from -1 (no choice) to count - 1.
bool readChoice(const std::string& text, int count, int& index) {
    const std::string t = platform::trim(text);
    if (t.empty() || t.size() > 6) return false;
    const bool negative = t[0] == '-';
    if (negative && t.size() == 1) return false;
    for (std::size_t i = negative ? 1 : 0; i < t.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
    index = std::stoi(t);
    return index >= -1 && index < count;
}

}  // namespace

// ---- Value keys and their defaults. ----

void ChangeConfigDlg::valueKeyName(int category, int row) {
    const CategoryDefinition& c = categoryDefinition(category);
    if (row >= 0 && row < c.rowCount) strCommInt = c.valueKeys[static_cast<std::size_t>(row)].key;
}
void ChangeConfigDlg::GetCommSettingKeyName(int row) { valueKeyName(kCommunication, row); }
void ChangeConfigDlg::GetSoftwareSettingKeyName(int row) { valueKeyName(kSoftware, row); }
void ChangeConfigDlg::GetHardwareSettingKeyName(int row) { valueKeyName(kHardware, row); }
void ChangeConfigDlg::GetCodePageSettingKeyName(int row) { valueKeyName(kCodePage, row); }
void ChangeConfigDlg::GetDoubleSidedSettingKeyName(int row) { valueKeyName(kDoubleSided, row); }

// One write per section leaves the bytes of one write per key, and a file
// that cannot be written is reported once instead of once per key.
void ChangeConfigDlg::ResetSettingValues() {
    for (int category = 0; category < kCategoryCount; ++category) writeDefaultValues(category);
}

void ChangeConfigDlg::writeDefaultValues(int category) {
    const CategoryDefinition& c = categoryDefinition(category);
    shell::IniSettings values;
    for (const ValueKey& key : c.valueKeys) values.emplace_back(key.key, platform::str(key.defaultIndex));
    shell::writeIniValues(settingsPath(), c.valueSection, values);
}

// ---- Chosen values. ----

void ChangeConfigDlg::SettingList_Click(int Index) { storeChosenValue(Index); }

// Only once the rows of the shown category are complete: a layout's defaults
// are never stored. The interface-type choice of communication row 9 is kept
// here like any other; it becomes the connection type only when the
// communication settings are applied, never while the link is in use.
void ChangeConfigDlg::storeChosenValue(int Index) {
    if (!bData) return;
    const int listIndex = SettingList(Index).ListIndex();
    if (iPrinterConfiguration < 0 || iPrinterConfiguration >= kCategoryCount) return;
    valueKeyName(iPrinterConfiguration, Index);
    WriteIniValue(settingsPath(), categoryDefinition(iPrinterConfiguration).valueSection, strCommInt,
                  platform::str(listIndex));
}

// ---- Flags. ----

std::string ChangeConfigDlg::saveParameterFlag(int category, int Index, bool Flag) {
    WriteIniValue(settingsPath(), categoryDefinition(category).flagSection, flagKey(Index), Flag ? "True" : "False");
    savedFlag(category) = true;
    return {};
}

std::string ChangeConfigDlg::uncheckParameter(int category, int Index, bool Flag) {
    Setting(Index).setValue(platform::vbUnchecked);
    WriteIniValue(settingsPath(), categoryDefinition(category).flagSection, flagKey(Index), Flag ? "True" : "False");
    return {};
}

// A flag that is no Boolean text (edited by hand) leaves its row unticked.
void ChangeConfigDlg::loadParameterFlags(int category) {
    const CategoryDefinition& c = categoryDefinition(category);
    for (int i = 0; i < c.rowCount; ++i) {
        const std::string text = ReadIniValue(settingsPath(), c.flagSection, flagKey(i));
        if (text.empty()) continue;
        bool flag = false;
        const bool selected = readFlag(text, flag) && flag;
        Setting(i).setValue(selected ? platform::vbChecked : platform::vbUnchecked);
    }
}

std::string ChangeConfigDlg::SaveCommParameterFlag(int Index, bool Flag) {
    return saveParameterFlag(kCommunication, Index, Flag);
}
std::string ChangeConfigDlg::SaveSoftwareParameterFlag(int Index, bool Flag) {
    return saveParameterFlag(kSoftware, Index, Flag);
}
std::string ChangeConfigDlg::SaveHardwareParameterFlag(int Index, bool Flag) {
    return saveParameterFlag(kHardware, Index, Flag);
}
std::string ChangeConfigDlg::SaveCodePageParameterFlag(int Index, bool Flag) {
    return saveParameterFlag(kCodePage, Index, Flag);
}
std::string ChangeConfigDlg::SaveDoubleSidedParameterFlag(int Index, bool Flag) {
    return saveParameterFlag(kDoubleSided, Index, Flag);
}
std::string ChangeConfigDlg::UncheckCommParameter(int Index, bool Flag) {
    return uncheckParameter(kCommunication, Index, Flag);
}
std::string ChangeConfigDlg::UncheckSoftwareParameter(int Index, bool Flag) {
    return uncheckParameter(kSoftware, Index, Flag);
}
std::string ChangeConfigDlg::UncheckHardwareParameter(int Index, bool Flag) {
    return uncheckParameter(kHardware, Index, Flag);
}
std::string ChangeConfigDlg::UncheckCodePageParameter(int Index, bool Flag) {
    return uncheckParameter(kCodePage, Index, Flag);
}
std::string ChangeConfigDlg::UncheckDoubleSidedParameter(int Index, bool Flag) {
    return uncheckParameter(kDoubleSided, Index, Flag);
}
void ChangeConfigDlg::LoadCommParameterFlags() { loadParameterFlags(kCommunication); }
void ChangeConfigDlg::LoadSoftwareParameterFlags() { loadParameterFlags(kSoftware); }
void ChangeConfigDlg::LoadHardwareParameterFlags() { loadParameterFlags(kHardware); }
void ChangeConfigDlg::LoadCodePageParameterFlag() { loadParameterFlags(kCodePage); }
void ChangeConfigDlg::LoadDoubleSidedParameterFlags() { loadParameterFlags(kDoubleSided); }

// ---- Restoring saved choices. ----

// Only a flag of exactly "True" restores its row's choice. A stored value
// that the row's list cannot show (no whole number, or beyond its options:
// a hand-edited file, a row this model leaves without options) leaves the
// row unticked with the catalogue's choice.
void ChangeConfigDlg::LoadCategoryFromIni() {
    const int category = iPrinterConfiguration;
    if (category < 0 || category >= kCategoryCount) return;
    const CategoryDefinition& c = categoryDefinition(category);
    for (int i = 0; i < c.rowCount; ++i) {
        if (ReadIniValue(settingsPath(), c.flagSection, flagKey(i)) != "True") continue;
        const std::string value =
            ReadIniValue(settingsPath(), c.valueSection, c.valueKeys[static_cast<std::size_t>(i)].key);
        if (value.empty()) continue;
        int index = -1;
        if (readChoice(value, SettingList(i).ListCount(), index))
            SettingList(i).setListIndex(index);
        else
            Setting(i).setValue(platform::vbUnchecked);
    }
}

void ChangeConfigDlg::ResetParameterFlags() {
    for (int category = 0; category < kCategoryCount; ++category) {
        const CategoryDefinition& c = categoryDefinition(category);
        shell::IniSettings flags;
        for (int i = 0; i < c.rowCount; ++i) flags.emplace_back(flagKey(i), "False");
        shell::writeIniValues(settingsPath(), c.flagSection, flags);
    }
}

}  // namespace configuration
