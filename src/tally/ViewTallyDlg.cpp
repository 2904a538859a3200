// The tally window itself: loading and closing, enabling, the check boxes
// and keys, and the display of the values read.
#include "tally/ViewTallyDlg.h"

#include <algorithm>

#include "link/PrinterCommands.h"
#include "link/PrinterTypes.h"
#include "platform/Text.h"
#include "platform/forms/Keys.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/TypeDefinition.h"

namespace tally {

namespace {

constexpr const char* kSection = "Configurations";

// "00001234" is a number; "0000004A", "" and "1 2" are not.
bool isNumberText(const std::string& text) {
    const std::string t = platform::trim(text);
    std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    bool digit = false, dot = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9')
            digit = true;
        else if (t[i] == '.' && !dot)
            dot = true;
        else
            return false;
    }
    return digit;
}

}  // namespace

ViewTallyDlg::ViewTallyDlg(shell::MainWindow& mainComm)
    : Form("ViewTallyDlg"),
      m_MainComm(mainComm),
      SerialStatusGroup(*this, "SerialStatusGroup"),
      PrinterOnline(SerialStatusGroup, "PrinterOnline"),
      PrinterOnlineText(SerialStatusGroup, "PrinterOnlineText"),
      CloseButton(*this, "CloseButton"),
      ButtonGroup(*this, "ButtonGroup"),
      ApplyButton(ButtonGroup, "ApplyButton"),
      ApplyAndPrintButton(ButtonGroup, "ApplyAndPrintButton"),
      ClearTallyButton(ButtonGroup, "ClearTallyButton"),
      ClearUserAreaButton(ButtonGroup, "ClearUserAreaButton"),
      ClearUserDefinedArea(ButtonGroup, "ClearUserDefinedArea"),
      PrintFormButton(ButtonGroup, "PrintFormButton"),
      PrinterIDGroup(*this, "PrinterIDGroup"),
      PrinterID(PrinterIDGroup, "PrinterID", 0, 1),
      PrinterIDLabel(PrinterIDGroup, "PrinterIDLabel", 0, 5),
      PrinterIDText(PrinterIDGroup, "PrinterIDText", 0, 7),
      PrinterTallyGroup(*this, "PrinterTallyGroup"),
      PrinterTally(PrinterTallyGroup, "PrinterTally", 0, 11),
      PrinterTallyText(PrinterTallyGroup, "PrinterTallyText", 0, 11),
      Label2(*this, "Label2"),
      Label1(*this, "Label1"),
      Label3(*this, "Label3"),
      VStatusTimer(*this, "VStatusTimer") {
    layOut();
    setDesignState();
    CloseButton.Click = [this] { CloseButton_Click(); };
    ApplyButton.Click = [this] { ApplyButton_Click(); };
    ApplyAndPrintButton.Click = [this] { ApplyAndPrintButton_Click(); };
    ClearTallyButton.Click = [this] { ClearTallyButton_Click(); };
    ClearUserAreaButton.Click = [this] { ClearUserAreaButton_Click(); };
    ClearUserDefinedArea.Click = [this] { ClearUserDefinedArea_Click(); };
    PrintFormButton.Click = [this] { PrintFormButton_Click(); };
    PrinterID.Click = [this](int Index) { PrinterID_Click(Index); };
    PrinterTally.Click = [this](int Index) { PrinterTally_Click(Index); };
    PrinterIDText.GotFocus = [this](int Index) { PrinterIDText_GotFocus(Index); };
    PrinterTallyText.GotFocus = [this](int Index) { PrinterTallyText_GotFocus(Index); };
    VStatusTimer.Timer = [this] { VStatusTimer_Timer(); };
}

ViewTallyDlg::~ViewTallyDlg() { terminate(); }

void ViewTallyDlg::Form_Initialize() {
    dataSubscription_ =
        m_MainComm.OnDataReceived.subscribe([this](const platform::Bytes& data) { m_MainComm_OnDataReceived(data); });
    statusSubscription_ = m_MainComm.OnStatusUpdated.subscribe([this](int status) { m_MainComm_OnStatusUpdated(status); });
}

void ViewTallyDlg::Form_Terminate() {
    dataSubscription_.reset();
    statusSubscription_.reset();
}

std::string ViewTallyDlg::settingsValue(const std::string& key) {
    return shell::ReadIniValue(shell::SettingsFilePath(), kSection, key);
}

void ViewTallyDlg::Form_Load() {
    const shell::PrinterLine line = shell::ReadPrinterLine();
    m_PortNo = line.portName;
    ClearCachedValues();
    PrinterOnline.setCaption(line.caption);
    if (m_MainComm.bFlagforAHPI)
        SetupTalliesByDeviceName();
    else
        SetupTalliesByModel();
    SetAllChecks(false);
    // Nothing acts on the printer before the read has shown what it holds.
    EnableTallyControls(false);
    // Form_Load runs before the window is shown, the read after it.
    platform::EventLoop::current().post([weak = weak_from_this()] {
        const auto self = std::static_pointer_cast<ViewTallyDlg>(weak.lock());
        if (!self || !self->isLoaded()) return;
        HandlerScope scope(*self);
        self->openShown();
    });
}

void ViewTallyDlg::CloseButton_Click() {
    m_MainComm.m_AHPIBufferCmd = false;
    platform::Unload(*this);
}

// On USB HID a command goes out as an output report: sent as it is, its
// first byte would be taken for the report ID. A status request still
// waiting for its answer (an operation declined before its test, a printer
// that never answered) is let go: left up, it would take the next serial
// input, the main window's connection check or the next window's read.
void ViewTallyDlg::Form_Unload(int& /*Cancel*/) {
    sharedFlags().m_SendRealTimeStatusCmd = false;
    doorPass_.leave();
    sendCommand(printerlink::GsUs0Command);
    // The window's poll ends with it: a read it missed is not the next one's.
    m_MainComm.forgetPollReads();
}

void ViewTallyDlg::ClearCachedValues() {
    for (std::string& value : m_strIdValues) value.clear();
    for (std::string& value : m_strTallyValues) value.clear();
    bytesOutsideReplies_ = 0;
    repeatedReply_ = {};
    readTickets_.clear();
}

void ViewTallyDlg::lockText(platform::TextBox& box, bool locked) {
    box.setLocked(locked);
    box.setBackColor(locked ? platform::vb3DLight : platform::vbWindowBackground);
}

void ViewTallyDlg::SetAllChecks(bool flag) {
    const int value = flag ? platform::vbChecked : platform::vbUnchecked;
    for (int item = 0; item < 2; ++item) PrinterID(item).setValue(value);
    for (int i = 0; i < kTallyCount; ++i) PrinterTally(i).setValue(value);
}

void ViewTallyDlg::EnableTallyControls(bool flag) {
    PrinterIDGroup.setEnabled(flag);
    for (int item = 0; item < kIdItemCount; ++item) {
        if (item < 2)
            PrinterID(item).setEnabled(flag);
        else
            PrinterIDLabel(item - 2).setEnabled(flag);
        PrinterIDText(item).setEnabled(flag);
    }
    PrinterTallyGroup.setEnabled(flag);
    using namespace printerlink;
    const long type = m_MainComm.PrinterType();
    for (int i = 0; i < kTallyCount; ++i) {
        bool applies = true;
        if (i == kSlipLines || i == kSlipChars || i == kMicrReads)
            applies = typeIsOneOf(type, {k3640Type, k3640x035Type, k3650Type, k3650_5xxxType});
        if (i == kMaxTemp)
            applies = typeIsOneOf(type, {k3640Type, k3640x035Type, k3650Type, k3650_5xxxType, k3680Type});
        if (i == kReceiptLinesBack) applies = typeIsOneOf(type, {k3650Type, k3650_5xxxType, kR809Type});
        if (i == kScanTimes) applies = type == k3640x035Type;
        if (!applies) continue;
        PrinterTally(i).setEnabled(flag);
        PrinterTallyText(i).setEnabled(flag);
    }
    UpdateApplyButtons();
    UpdateClearTallyButton();
    ClearUserAreaButton.setEnabled(flag);
    PrintFormButton.setEnabled(flag);
    ClearUserDefinedArea.setEnabled(flag);
}

int ViewTallyDlg::CountCheckedIds() const {
    int n = 0;
    for (int item = 0; item < 2; ++item) n += PrinterID(item).Value() == platform::vbChecked ? 1 : 0;
    return n;
}

int ViewTallyDlg::CountCheckedTallies(bool includeMaxTemp) const {
    int n = 0;
    for (int i = 0; i < kTallyCount; ++i)
        if (PrinterTally(i).Value() == platform::vbChecked && (i != kMaxTemp || includeMaxTemp)) ++n;
    return n;
}

void ViewTallyDlg::UpdateApplyButtons() {
    const bool enable = CountCheckedIds() + CountCheckedTallies(false) >= 1 && m_MainComm.isPrinterAnswering();
    ApplyButton.setEnabled(enable);
    ApplyAndPrintButton.setEnabled(enable);
}

void ViewTallyDlg::UpdateClearTallyButton() {
    ClearTallyButton.setEnabled(CountCheckedTallies(true) >= 1 && m_MainComm.isPrinterAnswering());
}

void ViewTallyDlg::PrinterID_Click(int Index) {
    lockText(PrinterIDText(Index), PrinterID(Index).Value() != platform::vbChecked);
    UpdateApplyButtons();
}

void ViewTallyDlg::PrinterTally_Click(int Index) {
    if (Index != kMaxTemp) lockText(PrinterTallyText(Index), PrinterTally(Index).Value() != platform::vbChecked);
    UpdateApplyButtons();
    UpdateClearTallyButton();
}

void ViewTallyDlg::PrinterIDText_GotFocus(int Index) {
    platform::TextBox& box = PrinterIDText(Index);
    box.setSelStart(0);
    box.setText(platform::trim(box.Text()));
    box.setSelStart(0);
}

void ViewTallyDlg::PrinterTallyText_GotFocus(int Index) {
    platform::TextBox& box = PrinterTallyText(Index);
    box.setSelStart(0);
    box.setSelLength(static_cast<int>(box.Text().size()));
}

bool ViewTallyDlg::focusedOnTextBox() const {
    const platform::Control* focused = ActiveControl();
    return focused && focused->kind() == platform::ControlKind::TextBox;
}

void ViewTallyDlg::Form_KeyPress(int& KeyAscii) {
    if (focusedOnTextBox()) return;
    const int key = KeyAscii;
    KeyAscii = 0;
    switch (key) {
        case '0': CloseButton_Click(); break;
        case '1': if (ApplyButton.Enabled()) ApplyButton_Click(); break;
        case '2': if (ApplyAndPrintButton.Enabled()) ApplyAndPrintButton_Click(); break;
        case '3': if (ClearTallyButton.Enabled()) ClearTallyButton_Click(); break;
        case '4': ClearUserAreaButton_Click(); break;
        case '5': PrintFormButton_Click(); break;
        case '6': PrinterID(0).SetFocus(); break;
        case '7': PrinterTally(0).SetFocus(); break;
        case '8': ClearUserDefinedArea_Click(); break;
        case platform::vbKeyReturn:
            if (auto* box = dynamic_cast<platform::CheckBox*>(ActiveControl()))
                box->setValue(box->Value() == platform::vbChecked ? platform::vbUnchecked : platform::vbChecked);
            break;
        default: KeyAscii = key; break;
    }
}

void ViewTallyDlg::Form_KeyDown(int& KeyCode, int Shift) {
    if (Shift != 0) return;
    platform::Control* focused = ActiveControl();
    if (!focused || !focused->isArrayElement()) return;
    const int i = focused->Index();
    if (KeyCode == platform::vbKeyF1 && focused->kind() == platform::ControlKind::TextBox) {
        if (focused == &PrinterTallyText(i)) PrinterTally(i).SetFocus();
        if (i < 2 && focused == &PrinterIDText(i)) PrinterID(i).SetFocus();
    } else if (KeyCode == platform::vbKeyF2 && focused->kind() == platform::ControlKind::CheckBox) {
        const auto& box = static_cast<const platform::CheckBox&>(*focused);
        if (box.Value() != platform::vbChecked) return;
        platform::TextBox& text = focused == &PrinterTally(i) ? PrinterTallyText(i) : PrinterIDText(i);
        if (!text.Locked()) text.SetFocus();
    }
}

void ViewTallyDlg::ShowReadValues() {
    ReplySlots all;
    all.ids.fill(true);
    all.tallies.fill(true);
    showReplies(all);
}

// Only the boxes of the given slots: a reply that came in changes its own
// box, never one the technician has typed or written into since the read.
void ViewTallyDlg::showReplies(const ReplySlots& slots) {
    for (int item = 0; item < kIdItemCount; ++item) {
        if (!slots.ids[static_cast<std::size_t>(item)]) continue;
        const std::string& reply = m_strIdValues[static_cast<std::size_t>(item)];
        const std::size_t shown = static_cast<std::size_t>(IdItemShownLength(item));
        PrinterIDText(item).setText(reply.size() == shown + 2 ? reply.substr(1, shown) : "");
    }
    for (int i = 0; i < kTallyCount; ++i)
        if (slots.tallies[static_cast<std::size_t>(i)])
            PrinterTallyText(i).setText(tallyText(m_strTallyValues[static_cast<std::size_t>(i)]));
}

// Eight digits between the marker and the trailing byte; a reply of
// another length shows nothing, digits that are no number show "0".
std::string ViewTallyDlg::tallyText(const std::string& reply) {
    if (reply.size() != static_cast<std::size_t>(kTallyReplyLength)) return {};
    const std::string digits = reply.substr(1, kTallyDigits);
    return isNumberText(digits) ? platform::str(platform::CLng(platform::Val(digits))) : "0";
}

void ShowViewTallyDlg(shell::MainWindow& mainWindow) {
    auto window = platform::newForm<ViewTallyDlg>(mainWindow);
    window->Show(platform::vbModal, &mainWindow);
    if (window->isLoaded()) platform::Unload(*window);
}

}  // namespace tally
