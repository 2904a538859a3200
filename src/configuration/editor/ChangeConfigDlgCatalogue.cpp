// How a category's catalogue reaches the window's 17 rows: the layout frame
// every category shares. The rows' click handlers run while the frame fills
// them (ticking a saved row, assigning a default choice); bData stays False
// until the rows are complete, so the defaults are never stored.
#include "configuration/catalogue/Catalogue.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "link/LinkFlags.h"
#include "shell/MainWindow.h"
#include "shell/TypeDefinition.h"

namespace configuration {

void ChangeConfigDlg::ShowCommunicationSettings() { layOutCategory(kCommunication); }
void ChangeConfigDlg::ShowSoftwareSettings() { layOutCategory(kSoftware); }
void ChangeConfigDlg::ShowHardwareSettings() { layOutCategory(kHardware); }
void ChangeConfigDlg::ShowCodePageSettings() { layOutCategory(kCodePage); }
void ChangeConfigDlg::ShowDoubleSidedSettings() { layOutCategory(kDoubleSided); }

bool& ChangeConfigDlg::shownFlag(int category) {
    bool* flags[] = {&bCommShown, &bSoftwareShown, &bHardwareShown, &bCodePageShown, &bDoubleSidedShown};
    return *flags[categoryDefinition(category).category];
}

bool& ChangeConfigDlg::savedFlag(int category) {
    bool* flags[] = {&bCommSaved, &bSoftwareSaved, &bHardwareSaved, &bCodePageSaved, &bDoubleSidedSaved};
    return *flags[categoryDefinition(category).category];
}

CatalogueInputs ChangeConfigDlg::catalogueInputs() {
    CatalogueInputs inputs;
    inputs.printerType = m_MainComm.PrinterType();
    inputs.printerRestarted = printerlink::bPrinterRestarted;
    inputs.printerModelText = ReadIniValue(settingsPath(), "Configurations", "PrinterModel");
    inputs.fontType = m_MainComm.bFontType;
    inputs.columns48 = m_MainComm.m_FWVersion48ColSupport;
    inputs.tcpConnected = m_MainComm.Winsock.State() == platform::sck::Connected;
    inputs.modelText = ReadIniValue(settingsPath(), "Configurations", "Model");
    inputs.anyHidPrinter = m_MainComm.bFlagforAHPI;
    inputs.twoStation = m_MainComm.b2stFlag;
    inputs.kiosk = m_MainComm.bKiosk;
    return inputs;
}

void ChangeConfigDlg::layOutCategory(SettingCategory category) {
    bData = false;
    iPrinterConfiguration = category;
    for (int c = 0; c < kCategoryCount; ++c) shownFlag(c) = c == category;
    // Showing the communication category arms the reconnect from the
    // settings file that follows a printer restart.
    if (category == kCommunication) printerlink::bAutoReconnect = true;

    const int rows = categoryRowCount(category, m_MainComm.PrinterType());
    for (int i = 0; i < kSettingRows; ++i) {
        Setting(i).setVisible(i < rows);
        Setting(i).setEnabled(true);
        SettingList(i).setVisible(Setting(i).Value() == platform::vbChecked && i < rows);
        SettingList(i).setEnabled(true);
    }
    if (savedFlag(category)) loadParameterFlags(category);

    const CategoryLayout layout = catalogueLayout(category, catalogueInputs());
    for (int i = 0; i < rows; ++i) putRow(i, layout[static_cast<std::size_t>(i)]);

    // The communication values are restored while nothing is stored yet;
    // the other categories store their restored values once more.
    if (category == kCommunication && bCommSaved) LoadCategoryFromIni();
    iFlag = false;
    bData = true;
    if (category != kCommunication && savedFlag(category)) LoadCategoryFromIni();
}

void ChangeConfigDlg::putRow(int row, const RowLayout& layout) {
    platform::CheckBox& box = Setting(row);
    platform::ComboBox& list = SettingList(row);
    box.setCaption(layout.caption);
    for (const std::string& option : layout.options) list.AddItem(option);
    // A default beyond the options (a model whose list stays empty) chooses nothing.
    if (layout.defaultIndex >= 0 && layout.defaultIndex < list.ListCount()) list.setListIndex(layout.defaultIndex);
    box.setEnabled(layout.boxEnabled);
    if (layout.listHidden) list.setVisible(false);
    if (!layout.listEnabled) list.setEnabled(false);
}

}  // namespace configuration
