// The model gate on the window's controls: run at open and on every link
// status event, never on a category switch, so a freshly laid out category
// shows the catalogue's states until the next event.
#include "configuration/RowParamNo.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "link/ModelIdentifiers.h"
#include "shell/MainWindow.h"

namespace configuration {

// The link keeps the USB product text ("AXOM27X"); the gate's rules name
// model identifiers ("AXOM27x").
void ChangeConfigDlg::EnableSettingsByModelName(bool enable) {
    const std::string_view identifier = printerlink::modelIdentifierForProduct(m_MainComm.m_AnyAHPIPrinter);
    applyModelGate(gateByModelName(identifier, shownCategoryButton(), enable));
}

void ChangeConfigDlg::EnableSettingsByModelCode(bool enable) {
    applyModelGate(gateByModelCode(m_MainComm.PrinterType(), shownCategoryButton(), enable));
}

// The last category button that is selected; 0 when none is.
int ChangeConfigDlg::shownCategoryButton() const {
    int shown = 0;
    for (int i = 0; i < kCategoryCount; ++i)
        if (CategoryButton(i).Value()) shown = i;
    return shown;
}

// A row the rules allow is enabled only when it has options to choose from
// and the printer a parameter number to take the choice with.
void ChangeConfigDlg::applyModelGate(const ModelGateResult& gate) {
    PrinterSettingsGroup.setEnabled(gate.frames);
    CategoryGroup.setEnabled(gate.frames);
    SettingsGroup.setEnabled(gate.frames);
    for (int i = 0; i < kCategoryCount; ++i)
        CategoryButton(i).setEnabled(gate.categoryButtons[static_cast<std::size_t>(i)]);
    const int shown = shownCategoryButton();
    for (int r = 0; r < kSettingRows; ++r) {
        const GateRow& row = gate.rows[static_cast<std::size_t>(r)];
        if (!row.written) continue;
        const bool selectable =
            SettingList(r).ListCount() > 0 && rowParamNo(paramNo_, shown, r, m_MainComm.PrinterType()) != 0;
        Setting(r).setEnabled(row.box && selectable);
        SettingList(r).setEnabled(row.list && selectable);
    }
}

}  // namespace configuration
