// The configuration window ("Change Configuration"): the connected printer's
// settings, one category at a time, in 17 rows of a check box (`Setting`,
// ticked = selected for apply) and a drop-down list (`SettingList`, the
// chosen option). The rows of a category come from the catalogue; the
// user's ticks and choices live in ten sections of the settings file, are
// written the moment they are made and restored whenever a category is shown
// again; closing the window clears every tick.
//
// Ownership: the main window's hook makes one window per opening with
// platform::newForm, shows it modally owned by the main window and releases
// it after reading WantDisconnect. The window keeps a reference to the main
// window (`m_MainComm`), which outlives it, and its subscription to the
// link's status event; it owns its printer commands (ConfigurationCommands).
//
// What may block and nest: setting a box's Value or a list's ListIndex in
// code runs the row's click handler at once, nested in the caller; the
// window's own flags (bData, iFlag, ChangeConfiguration) keep a category
// layout from storing what it puts on the rows. Opening on TCP yields to the
// event loop and sends, so link events and timer ticks may run inside
// Form_Load. The settings-file reader and writer report their own errors
// (a modal box) and never throw.
#pragma once

#include <memory>
#include <string>

#include "configuration/CatalogueRules.h"
#include "configuration/ParamNo.h"
#include "configuration/catalogue/ModelGate.h"
#include "configuration/editor/SelectionFiles.h"
#include "configuration/editor/ConfigurationCommands.h"
#include "link/LinkEvent.h"
#include "platform/dialogs/CommonDialog.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/TimerControl.h"
#include "shell/WorkWindowLink.h"

namespace shell {
class MainWindow;
}

namespace configuration {

class ChangeConfigDlg : public platform::Form {
public:
    explicit ChangeConfigDlg(shell::MainWindow& mainWindow, std::unique_ptr<ConfigurationCommands> commands = {});
    ~ChangeConfigDlg() override;

    // True once an operation found the serial printer silent; the main
    // window then drops the link.
    bool WantDisconnect() const { return m_bWantDisconnect; }
    // Set by the printer commands' exits that leave the link to be dropped.
    void setWantDisconnect() { m_bWantDisconnect = true; }

    // The window's settings-file reader and writer (the shell's rules).
    std::string ReadIniValue(const std::string& INIpath, const std::string& KEY, const std::string& Variable);
    void WriteIniValue(const std::string& INIpath, const std::string& PutKey, const std::string& PutVariable,
                       const std::string& PutValue);

    // ---- Controls. ----
    platform::PictureBox ConfigurationGroup;
    platform::Frame PrinterSettingsGroup;
    platform::Frame CategoryGroup;
    platform::ControlArray<platform::OptionButton> CategoryButton;
    platform::Frame SettingsGroup;
    platform::ControlArray<platform::CheckBox> Setting;
    platform::ControlArray<platform::ComboBox> SettingList;
    platform::PictureBox Picture1;
    platform::PictureBox Picture2;
    platform::PictureBox Picture3;
    platform::PictureBox Picture4;
    platform::PictureBox Picture5;
    platform::Label Label1;
    platform::Label Label2;
    platform::CommandButton ApplyButton;
    platform::Frame ButtonGroup;
    platform::CommandButton RebootButton;
    platform::CommandButton PrintFormButton;
    platform::CommandButton RestoreDefaultButton;
    platform::CommandButton ApplyAll;
    platform::CommandButton Clear;
    platform::CommandButton ClearAll;
    platform::CommandButton Command1;
    platform::CommandButton Command2;
    platform::CommandButton CloseButton;
    platform::CommonDialog CommDlgCntrl;  // the export's and the import's file dialog
    platform::Frame SerialStatusGroup;
    platform::Label PrinterOnline;
    platform::TextBox PrinterOnlineText;
    platform::TimerControl StatusTimer;

    // ---- Window variables the catalogue, the editor and the apply share. ----
    shell::MainWindow& m_MainComm;
    // Its status requests go through the link's door on this pass.
    const shell::DoorPass& doorPass() const { return doorPass_; }
    int iPrinterConfiguration = 0;
    bool ChangeConfiguration = false;
    bool iFlag = false;
    bool bData = false;
    std::string strCommInt;
    std::string m_PortNo;
    bool bRestore = false;
    int SelCommuncationParameter = 0;
    int SelSoftwareParameter = 0;
    int SelHardwareParameter = 0;
    int SelCodePageParameter = 0;
    int SelDoublesidePageParameter = 0;

    // ---- Handlers of the window's events. ----
    void CategoryButton_Click(int Index);
    void Setting_Click(int Index);
    void SettingList_Click(int Index);
    void CloseButton_Click();
    void ApplyButton_Click();
    void ApplyAll_Click();
    void RebootButton_Click();
    void PrintFormButton_Click();
    void RestoreDefaultButton_Click();
    void StatusTimer_Timer();
    void m_MainComm_OnStatusUpdated(int NewStatus);
    void Clear_Click();
    void ClearAll_Click();
    void Command1_Click();  // export to a file
    void Command2_Click();  // import from a file

    // The parameter numbers of the printer type the window was made for.
    const ParamNoTables& ParamNo() const { return paramNo_; }
    // Rows 0-16 whose box is visible and ticked.
    int CountCheckedSettings() const;

    // ---- The value key of a row, left in strCommInt (rows outside the
    //      category leave it as it was). ----
    void GetCommSettingKeyName(int row);
    void GetSoftwareSettingKeyName(int row);
    void GetHardwareSettingKeyName(int row);
    void GetCodePageSettingKeyName(int row);
    void GetDoubleSidedSettingKeyName(int row);
    // Every row's default into the five value sections.
    void ResetSettingValues();

protected:
    void Form_Initialize() override;
    void Form_Load() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Form_Unload(int& Cancel) override;

private:
    shell::DoorPass doorPass_;
    void layOut();
    void wireHandlers();
    std::string settingsPath() const;

    void SetAllSettingsChecked(bool flag);
    void UpdateApplyButton();
    void EnableConfigControls(bool enable);

    // ---- The catalogue's layout of each category on the rows. ----
    void ShowCommunicationSettings();
    void ShowSoftwareSettings();
    void ShowHardwareSettings();
    void ShowCodePageSettings();
    void ShowDoubleSidedSettings();
    void layOutCategory(SettingCategory category);
    CatalogueInputs catalogueInputs();
    void putRow(int row, const RowLayout& layout);
    bool& shownFlag(int category);
    bool& savedFlag(int category);

    // ---- Selections: flags and chosen values. ----
    std::string SaveCommParameterFlag(int Index, bool Flag);
    std::string SaveSoftwareParameterFlag(int Index, bool Flag);
    std::string SaveHardwareParameterFlag(int Index, bool Flag);
    std::string SaveCodePageParameterFlag(int Index, bool Flag);
    std::string SaveDoubleSidedParameterFlag(int Index, bool Flag);
    std::string UncheckCommParameter(int Index, bool Flag);
    std::string UncheckSoftwareParameter(int Index, bool Flag);
    std::string UncheckHardwareParameter(int Index, bool Flag);
    std::string UncheckCodePageParameter(int Index, bool Flag);
    std::string UncheckDoubleSidedParameter(int Index, bool Flag);
    void LoadCommParameterFlags();
    void LoadSoftwareParameterFlags();
    void LoadHardwareParameterFlags();
    void LoadCodePageParameterFlag();
    void LoadDoubleSidedParameterFlags();
    void valueKeyName(int category, int row);
    std::string saveParameterFlag(int category, int Index, bool Flag);
    std::string uncheckParameter(int category, int Index, bool Flag);
    void loadParameterFlags(int category);
    void storeChosenValue(int Index);

    // ---- Restoring saved choices. ----
    void LoadCategoryFromIni();
    void ResetParameterFlags();

    // ---- The model gate (ChangeConfigDlgGate.cpp). ----
    void EnableSettingsByModelName(bool enable);
    void EnableSettingsByModelCode(bool enable);
    void applyModelGate(const ModelGateResult& gate);
    int shownCategoryButton() const;

    // ---- Clear, Clear All, export and import (ChangeConfigDlgFiles.cpp). ----
    void ClearCategorySelections();
    void ClearAllSelections();
    void writeDefaultValues(int category);
    void importRows(const std::vector<FlaggedRow>& rows);

    std::unique_ptr<ConfigurationCommands> commands_;
    printerlink::LinkEvent<int>::Subscription statusSubscription_;
    ParamNoTables paramNo_;

    bool m_bWantDisconnect = false;
    bool bReceiptSyncSelected = false;
    bool bCommShown = false;
    bool bSoftwareShown = false;
    bool bHardwareShown = false;
    bool bCodePageShown = false;
    bool bDoubleSidedShown = false;
    bool bCommSaved = false;
    bool bSoftwareSaved = false;
    bool bHardwareSaved = false;
    bool bCodePageSaved = false;
    bool bDoubleSidedSaved = false;
};

}  // namespace configuration
