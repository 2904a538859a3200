// The configuration window's frame: opening, keys, the link status display,
// the enabling of its buttons, category switching, the rows' check boxes and
// closing.
#include "configuration/editor/ChangeConfigDlg.h"

#include "link/LinkFlags.h"
#include "link/PrinterCommands.h"
#include "link/StatusHandshake.h"
#include "platform/Application.h"
#include "platform/forms/Keys.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace configuration {

ChangeConfigDlg::ChangeConfigDlg(shell::MainWindow& mainWindow, std::unique_ptr<ConfigurationCommands> commands)
    : Form("ChangeConfigDlg"),
      ConfigurationGroup(*this, "ConfigurationGroup"),
      PrinterSettingsGroup(ConfigurationGroup, "PrinterSettingsGroup"),
      CategoryGroup(PrinterSettingsGroup, "CategoryGroup"),
      CategoryButton(CategoryGroup, "CategoryButton", 0, 4),
      SettingsGroup(PrinterSettingsGroup, "SettingsGroup"),
      Setting(SettingsGroup, "Setting", 0, kSettingRows - 1),
      SettingList(SettingsGroup, "SettingList", 0, kSettingRows - 1),
      Picture1(PrinterSettingsGroup, "Picture1"),
      Picture2(ConfigurationGroup, "Picture2"),
      Picture3(ConfigurationGroup, "Picture3"),
      Picture4(ConfigurationGroup, "Picture4"),
      Picture5(ConfigurationGroup, "Picture5"),
      Label1(Picture1, "Label1"),
      Label2(Picture1, "Label2"),
      ApplyButton(Picture2, "ApplyButton"),
      ButtonGroup(Picture2, "ButtonGroup"),
      RebootButton(ButtonGroup, "RebootButton"),
      PrintFormButton(ButtonGroup, "PrintFormButton"),
      RestoreDefaultButton(ButtonGroup, "RestoreDefaultButton"),
      ApplyAll(ButtonGroup, "ApplyAll"),
      Clear(Picture3, "Clear"),
      ClearAll(Picture3, "ClearAll"),
      Command1(Picture4, "Command1"),
      Command2(Picture4, "Command2"),
      CloseButton(Picture5, "CloseButton"),
      CommDlgCntrl(*this, "CommDlgCntrl"),
      SerialStatusGroup(ConfigurationGroup, "SerialStatusGroup"),
      PrinterOnline(SerialStatusGroup, "PrinterOnline"),
      PrinterOnlineText(SerialStatusGroup, "PrinterOnlineText"),
      StatusTimer(*this, "StatusTimer"),
      m_MainComm(mainWindow),
      doorPass_(mainWindow),
      commands_(commands ? std::move(commands) : std::make_unique<ConfigurationCommands>()) {
    layOut();
    wireHandlers();
    statusSubscription_ =
        m_MainComm.OnStatusUpdated.subscribe([this](int NewStatus) { m_MainComm_OnStatusUpdated(NewStatus); });
}

ChangeConfigDlg::~ChangeConfigDlg() = default;

void ChangeConfigDlg::wireHandlers() {
    CategoryButton.Click = [this](int Index) { CategoryButton_Click(Index); };
    Setting.Click = [this](int Index) { Setting_Click(Index); };
    SettingList.Click = [this](int Index) { SettingList_Click(Index); };
    CloseButton.Click = [this] { CloseButton_Click(); };
    Clear.Click = [this] { Clear_Click(); };
    ClearAll.Click = [this] { ClearAll_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    ApplyButton.Click = [this] { ApplyButton_Click(); };
    ApplyAll.Click = [this] { ApplyAll_Click(); };
    RebootButton.Click = [this] { RebootButton_Click(); };
    PrintFormButton.Click = [this] { PrintFormButton_Click(); };
    RestoreDefaultButton.Click = [this] { RestoreDefaultButton_Click(); };
    StatusTimer.Timer = [this] { StatusTimer_Timer(); };
}

std::string ChangeConfigDlg::settingsPath() const { return shell::SettingsFilePath(); }

std::string ChangeConfigDlg::ReadIniValue(const std::string& INIpath, const std::string& KEY,
                                          const std::string& Variable) {
    return shell::ReadIniValue(INIpath, KEY, Variable);
}

void ChangeConfigDlg::WriteIniValue(const std::string& INIpath, const std::string& PutKey,
                                    const std::string& PutVariable, const std::string& PutValue) {
    shell::WriteIniValue(INIpath, PutKey, PutVariable, PutValue);
}

// The tables belong to the printer type of the link open when the window is
// made; every opening makes a new window.
void ChangeConfigDlg::Form_Initialize() { paramNo_ = ParamNoFor(m_MainComm.PrinterType()); }

void ChangeConfigDlg::Form_Load() {
    const shell::PrinterLine line = shell::ReadPrinterLine();
    m_PortNo = line.portName;
    m_bWantDisconnect = false;
    PrinterOnline.setCaption(line.caption);
    SetAllSettingsChecked(false);
    m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
    const bool m27x = m_MainComm.PrinterType() == kM27xType;
    if (m27x) {
        CategoryButton(kDoubleSided).setCaption("Form Mode");
        CategoryButton(kDoubleSided).setEnabled(true);
    }
    CategoryButton_Click(kCommunication);
    if (m27x) {
        RebootButton.setEnabled(false);
        RestoreDefaultButton.setEnabled(false);
    }
    shell::StartWindowOnDirectLink(m_MainComm, printerlink::GsUs0Command, StatusTimer);
    bReceiptSyncSelected = false;
    ResetSettingValues();
}

void ChangeConfigDlg::SetAllSettingsChecked(bool flag) {
    for (int i = 0; i < kSettingRows; ++i) {
        if (!Setting(i).Visible()) continue;
        Setting(i).setValue(flag ? platform::vbChecked : platform::vbUnchecked);
        SettingList(i).setVisible(flag);
    }
}

void ChangeConfigDlg::Form_KeyPress(int& KeyAscii) {
    switch (KeyAscii) {
        case '0': CloseButton_Click(); break;
        case '1':
            if (ApplyButton.Enabled()) ApplyButton_Click();
            break;
        case '2': RebootButton_Click(); break;
        case '3': PrintFormButton_Click(); break;
        case '4': RestoreDefaultButton_Click(); break;
        case '5': CategoryButton(shownCategoryButton()).SetFocus(); break;
        case '6': {
            const platform::Control* focused = ActiveControl();
            if (!focused || focused->kind() != platform::ControlKind::CheckBox) Setting(0).SetFocus();
            break;
        }
        case platform::vbKeyReturn: {
            platform::Control* focused = ActiveControl();
            if (focused && focused->kind() == platform::ControlKind::CheckBox) {
                auto* box = static_cast<platform::CheckBox*>(focused);
                box->setValue(box->Value() == platform::vbChecked ? platform::vbUnchecked : platform::vbChecked);
            }
            break;
        }
        default: break;
    }
}

void ChangeConfigDlg::Form_KeyDown(int& KeyCode, int Shift) {
    if (Shift != 0) return;
    const platform::Control* focused = ActiveControl();
    if (!focused) return;
    if (KeyCode == platform::vbKeyF1 && focused->kind() == platform::ControlKind::ComboBox &&
        focused->Name() == "SettingList")
        Setting(focused->Index()).SetFocus();
    if (KeyCode == platform::vbKeyF2 && focused->kind() == platform::ControlKind::CheckBox &&
        focused->Name() == "Setting" && static_cast<const platform::CheckBox*>(focused)->Value() == 1)
        SettingList(focused->Index()).SetFocus();
}

void ChangeConfigDlg::m_MainComm_OnStatusUpdated(int NewStatus) {
    if (!isLoaded()) return;
    // A TCP printer answering again after its time-out counts as a change of
    // the serial lines: the link is asked afresh.
    if (printerlink::isLineChangeStatus(NewStatus) || NewStatus == printerlink::kPrinterAnswersAgainStatus) {
        const bool online = m_MainComm.isPrinterAnswering();
        PrinterOnlineText.setText(online ? "Online" : "Offline");
        EnableConfigControls(online);
    } else if (NewStatus == printerlink::kLanTimeoutStatus || NewStatus == printerlink::kHidPollTimeoutStatus) {
        PrinterOnlineText.setText("Offline");
        EnableConfigControls(false);
    } else if (printerlink::isLineErrorStatus(NewStatus)) {
        shell::PurgeBuffers(m_MainComm);
    }
}

// The model gate then sets the group frames, the category buttons and the
// shown category's rows by model.
void ChangeConfigDlg::EnableConfigControls(bool enable) {
    ButtonGroup.setEnabled(enable);
    if (m_MainComm.PrinterType() != kM27xType) {
        RebootButton.setEnabled(enable);
        RestoreDefaultButton.setEnabled(enable);
    }
    PrintFormButton.setEnabled(enable);
    UpdateApplyButton();
    if (m_MainComm.bFlagforAHPI)
        EnableSettingsByModelName(enable);
    else
        EnableSettingsByModelCode(enable);
}

void ChangeConfigDlg::UpdateApplyButton() {
    ApplyButton.setEnabled(printerlink::bRestartSentOnLink ||
                           (CountCheckedSettings() > 0 && m_MainComm.isPrinterAnswering()));
}

int ChangeConfigDlg::CountCheckedSettings() const {
    int count = 0;
    for (int i = 0; i < kSettingRows; ++i)
        if (Setting(i).Visible() && Setting(i).Value() == platform::vbChecked) ++count;
    return count;
}

void ChangeConfigDlg::CategoryButton_Click(int Index) {
    // The unticking below must not clear any stored flag.
    ChangeConfiguration = false;
    for (int i = 0; i < kSettingRows; ++i) {
        Setting(i).setValue(platform::vbUnchecked);
        Setting(i).setCaption("");
        SettingList(i).Clear();
    }
    switch (Index) {
        case kCommunication: ShowCommunicationSettings(); break;
        case kSoftware: ShowSoftwareSettings(); break;
        case kHardware: ShowHardwareSettings(); break;
        case kCodePage: ShowCodePageSettings(); break;
        case kDoubleSided: ShowDoubleSidedSettings(); break;
        default: break;
    }
}

void ChangeConfigDlg::Setting_Click(int Index) {
    const bool ticked = Setting(Index).Value() == platform::vbChecked;
    SettingList(Index).setVisible(ticked);
    if (ticked) {
        ChangeConfiguration = true;
        if (!iFlag) saveParameterFlag(iPrinterConfiguration, Index, true);
        // The row's list already shows a choice: keep it with the tick, so
        // that applying the category (which reads the list) and applying all
        // (which reads the file) send the same value.
        if (SettingList(Index).ListIndex() >= 0) storeChosenValue(Index);
    } else if (ChangeConfiguration) {
        uncheckParameter(iPrinterConfiguration, Index, false);
    }
    iFlag = false;
    UpdateApplyButton();
}

void ChangeConfigDlg::CloseButton_Click() {
    m_MainComm.m_AHPIBufferCmd = false;
    platform::Unload(*this);
    ResetParameterFlags();
}

// A status request still waiting for its answer (a run declined or stopped
// before its test, a printer that never answered) is let go: left up, it
// would take the next serial input, the main window's connection check or
// another window's read.
void ChangeConfigDlg::Form_Unload(int& /*Cancel*/) {
    printerlink::statusHandshake.bSendCmdForRealTimstatus = false;
    doorPass_.leave();
    ResetParameterFlags();
    // The window's poll ends with it: a read it missed is not the next one's.
    m_MainComm.forgetPollReads();
}

void ChangeConfigDlg::ApplyButton_Click() { commands_->ApplyButton_Click(*this); }
void ChangeConfigDlg::ApplyAll_Click() { commands_->ApplyAll_Click(*this); }
void ChangeConfigDlg::RebootButton_Click() { commands_->RebootButton_Click(*this); }
void ChangeConfigDlg::PrintFormButton_Click() { commands_->PrintFormButton_Click(*this); }
void ChangeConfigDlg::RestoreDefaultButton_Click() { commands_->RestoreDefaultButton_Click(*this); }
void ChangeConfigDlg::StatusTimer_Timer() { commands_->StatusTimer_Timer(*this); }

}  // namespace configuration
