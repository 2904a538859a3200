// Throwing the selections away (the shown category or all five), and moving
// them to and from a file of the user's: export writes the selections of all
// five categories with the printer model; import takes them back only for
// the same model and only once a file has been accepted, so a cancel or a
// wrong file loses nothing.
#include <array>

#include "configuration/RowParamNo.h"
#include "configuration/catalogue/Catalogue.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/RuntimeErrorReport.h"
#include "shell/TypeDefinition.h"

namespace configuration {

// ---- Clear and Clear All. ----

void ChangeConfigDlg::Clear_Click() { ClearCategorySelections(); }
void ChangeConfigDlg::ClearAll_Click() { ClearAllSelections(); }

// Unticking a box runs its click handling, which clears the flag of a row
// ticked since the category was shown; the lists keep their choices.
void ChangeConfigDlg::ClearCategorySelections() {
    if (iPrinterConfiguration < 0 || iPrinterConfiguration >= kCategoryCount) return;
    const int category = iPrinterConfiguration;
    for (int i = 0; i < categoryDefinition(category).rowCount; ++i) Setting(i).setValue(platform::vbUnchecked);
    writeDefaultValues(category);
}

void ChangeConfigDlg::ClearAllSelections() {
    for (int category = 0; category < kCategoryCount; ++category) {
        const CategoryDefinition& c = categoryDefinition(category);
        shell::IniSettings flags;
        for (int i = 0; i < c.rowCount; ++i) {
            Setting(i).setValue(platform::vbUnchecked);
            flags.emplace_back(flagKey(i), "False");
        }
        shell::writeIniValues(settingsPath(), c.flagSection, flags);
        writeDefaultValues(category);
    }
}

// ---- Export. ----

// The target is written once, from its old contents and the settings file:
// a target that cannot be written is reported once and keeps what it held.
void ChangeConfigDlg::Command1_Click() {
    CommDlgCntrl.setFilter("INI(*.ini)|*.ini");
    CommDlgCntrl.setInitDir(platform::app().path());
    if (!CommDlgCntrl.ShowSave()) return;
    CommDlgCntrl.setFileName(exportFileName(CommDlgCntrl.FileName()));
    const std::string target = CommDlgCntrl.FileName();
    try {
        const std::string settings = shell::readIniFileOrThrow(settingsPath(), true).value_or("");
        const bool toSettings = shell::sameIniFile(target, settingsPath());
        const std::string old = toSettings ? settings : shell::readIniFileOrThrow(target, false).value_or("");
        shell::writeIniFileOrThrow(target, exportedText(settings, old, toSettings));
    } catch (const platform::RuntimeError& e) {
        shell::ReportRuntimeError(e);
    }
}

// ---- Import. ----

void ChangeConfigDlg::Command2_Click() {
    CommDlgCntrl.setFilter("INI Files(*.ini)|*.ini|All Files|*.*");
    CommDlgCntrl.setInitDir(platform::app().path());
    if (!CommDlgCntrl.ShowOpen()) return;
    // A path that names no file reads as an empty text, created nowhere:
    // it names no model, so it is refused as any file without one is.
    std::string file;
    try {
        file = shell::readIniFileOrThrow(CommDlgCntrl.FileName(), false).value_or("");
    } catch (const platform::RuntimeError& e) {
        shell::ReportRuntimeError(e);
        return;
    }
    const std::string fileModel = shell::ReadIniText(file, "Printer", "Model");
    if (fileModel != ReadIniValue(settingsPath(), "Configurations", "Model")) {
        shell::ShowMessage(wrongModelMessage(fileModel), shell::vbOKOnly, shell::vbNoIcon);
        return;
    }
    for (int category = 0; category < kCategoryCount; ++category) savedFlag(category) = true;
    ClearAllSelections();
    importRows(flaggedRows(file));
}

// A row is taken only where this printer could have it selected: a row its
// category shows, with options, a parameter number and a value its list can
// show. Any other flagged row (a damaged or hand-edited file) stays as Clear
// All left it. On the category on show each taken row gets its choice, then
// its tick, as the user would give them.
void ChangeConfigDlg::importRows(const std::vector<FlaggedRow>& rows) {
    const long type = m_MainComm.PrinterType();
    const CatalogueInputs inputs = catalogueInputs();
    std::array<CategoryLayout, kCategoryCount> layouts;
    std::array<shell::IniSettings, kCategoryCount> flags, values;
    std::vector<std::pair<int, int>> shownRows;  // row, choice
    for (int category = 0; category < kCategoryCount; ++category)
        layouts[static_cast<std::size_t>(category)] = catalogueLayout(category, inputs);
    for (const FlaggedRow& r : rows) {
        const auto c = static_cast<std::size_t>(r.category);
        int choice = -1;
        if (r.row >= categoryRowCount(r.category, type) || rowParamNo(paramNo_, r.category, r.row, type) == 0) continue;
        const int optionCount = static_cast<int>(layouts[c][static_cast<std::size_t>(r.row)].options.size());
        if (optionCount == 0 || !importableValue(r.value, optionCount, choice)) continue;
        const CategoryDefinition& d = categoryDefinition(r.category);
        flags[c].emplace_back(flagKey(r.row), "True");
        values[c].emplace_back(d.valueKeys[static_cast<std::size_t>(r.row)].key, r.value);
        if (shownFlag(r.category)) shownRows.emplace_back(r.row, choice);
    }
    // One write for all of them: a write that fails part way (a full disk)
    // must not leave rows flagged with the values Clear All gave them, which
    // Apply All would then send.
    try {
        std::string text = shell::readIniFileOrThrow(settingsPath(), true).value_or("");
        bool taken = false;
        for (int category = 0; category < kCategoryCount; ++category) {
            const auto c = static_cast<std::size_t>(category);
            const CategoryDefinition& d = categoryDefinition(category);
            for (const auto& [key, value] : flags[c]) text = shell::UpdateIniText(text, d.flagSection, key, value);
            for (const auto& [key, value] : values[c]) text = shell::UpdateIniText(text, d.valueSection, key, value);
            taken = taken || !flags[c].empty();
        }
        if (taken) shell::writeIniFileOrThrow(settingsPath(), text);
    } catch (const platform::RuntimeError& e) {
        shell::ReportRuntimeError(e);
        return;
    }
    for (const auto& [row, choice] : shownRows) {
        if (choice >= 0) SettingList(row).setListIndex(choice);
        Setting(row).setValue(platform::vbChecked);
    }
}

}  // namespace configuration
