#include "shell/ConnectPrinterDlg.h"

#include <array>
#include <vector>

#include "link/LinkFlags.h"
#include "link/PrinterTypes.h"
#include "link/StatusHandshake.h"
#include "platform/Text.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace shell {

namespace {

using platform::equalsIgnoreCase;

constexpr const char* kSection = "Configurations";
constexpr int kUnloadYields = 51;
constexpr int kPortCombo = 0, kBaudCombo = 1, kDataBitsCombo = 2, kStopBitsCombo = 3, kParityCombo = 4,
              kFlowCombo = 5;
constexpr int kModelCombo = 0, kPaperCombo = 1;

// Layout, in twips.
constexpr int kMargin = 120;
constexpr int kRowTop = 330;
constexpr int kRowStep = 435;
constexpr int kFieldHeight = 330;
constexpr int kLabelLeft = 150;
constexpr int kLabelOffset = 60;  // a label's text sits a little below its field's top
constexpr int kLeftFrameWidth = 3840;
constexpr int kLeftFieldLeft = 1860;
constexpr int kLeftFieldWidth = 1800;
constexpr int kRightFrameLeft = kMargin + kLeftFrameWidth + kMargin;
constexpr int kRightFrameWidth = 4680;
constexpr int kRightFieldLeft = 1920;
constexpr int kRightFieldWidth = 2580;
constexpr int kSerialFrameHeight = kRowTop + 5 * kRowStep + kFieldHeight + 180;
constexpr int kTypesFrameTop = kMargin + kSerialFrameHeight + kMargin;
constexpr int kTypesFrameHeight = kRowTop + kRowStep + kFieldHeight + 180;
constexpr int kButtonWidth = 1455;
constexpr int kButtonHeight = 450;

const std::array<std::string, kPrinterTypeCount> kUsbProducts = {
    "AXO 3640",      "AXO 3640-0X35", "AXO 3640-5XXX/6XXX", "AXO 3650",           "AXO 3650-5XXX", "AXO 3680",
    "AXO 3680-5XXX", "AXO 3690",      "AXO 3690-XX4X",      "AXO 3720-R801(2ST)", "AXO R806",      "AXO R807",
    "AXO R809",      "AXO 3740-R801", "AXO M27X",           "AXO 3720-R801(1ST)", "AXO 3695"};

bool isOneOf(const std::string& text, std::initializer_list<const char*> candidates) {
    for (const char* c : candidates)
        if (text == c) return true;
    return false;
}

void yieldTimes(int n) {
    for (int i = 0; i < n; ++i) platform::DoEvents();
}

char parityLetter(int parity) { return parity == 2 ? 'E' : parity == 3 ? 'O' : 'N'; }

void placeRow(platform::Label& label, platform::Control& field, int row, int labelWidth, int fieldLeft,
              int fieldWidth) {
    const int top = kRowTop + row * kRowStep;
    label.Move(kLabelLeft, top + kLabelOffset, labelWidth, kFieldHeight - kLabelOffset);
    field.Move(fieldLeft, top, fieldWidth, kFieldHeight);
}

}  // namespace

const std::string& UsbProductEntry(PrinterTypeCode printerType) {
    static const std::string none;
    if (!printerlink::isPrinterType(printerType)) return none;
    return kUsbProducts[static_cast<std::size_t>(printerType)];
}

ConnectPrinterDlg::ConnectPrinterDlg(printerlink::PrinterLink& mainWindow)
    : Form("ConnectPrinterDlg"),
      PortSettingsGroup(*this, "PortSettingsGroup"),
      PortSettingDesc(PortSettingsGroup, "PortSettingDesc", 0, 5),
      PortSetting(PortSettingsGroup, "PortSetting", 0, 5),
      EthernetSettings(*this, "EthernetSettings"),
      EthernetGroup(EthernetSettings, "EthernetGroup", 0, 1),
      EthernetSetting(EthernetSettings, "EthernetSetting", 0, 1),
      AHPISettings(*this, "AHPISettings"),
      AHPISettingGroup(AHPISettings, "AHPISettingGroup", 0, 3),
      USBPidVid(AHPISettings, "USBPidVid"),
      AHPIGroupValues(AHPISettings, "AHPIGroupValues", 1, 3),
      PrinterTypesGroup(*this, "PrinterTypesGroup"),
      PrinterTypeDesc(PrinterTypesGroup, "PrinterTypeDesc", 0, 1),
      PrinterType(PrinterTypesGroup, "PrinterType", 0, 1),
      OKButton(*this, "OKButton"),
      CancelButton(*this, "CancelButton"),
      mainWindow_(mainWindow) {
    layOut();
    OKButton.Click = [this] { OKButton_Click(); };
    CancelButton.Click = [this] { CancelButton_Click(); };
    PortSetting.Click = [this](int Index) { PortSetting_Click(Index); };
    PrinterType.Click = [this](int Index) { PrinterType_Click(Index); };
    PrinterTypeDesc.Click = [this](int Index) { PrinterTypeDesc_Click(Index); };
}

void ConnectPrinterDlg::layOut() {
    setCaption("Connect POS Printer");
    setBorderStyle(platform::vbFixedDouble);
    setStartUpPosition(platform::vbStartUpOwner);
    for (platform::Control* c : controls()) c->setFontSize(9);

    PortSettingsGroup.setCaption("Serial Port Settings");
    PortSettingsGroup.Move(kMargin, kMargin, kLeftFrameWidth, kSerialFrameHeight);
    const char* serialLabels[] = {"Port Number (&P):", "Baud Rate (&B):", "Data Bits (&D):",
                                  "Stop Bits (&S):",   "Parity (&T):",    "Flow Control (&F):"};
    for (int i = 0; i <= 5; ++i) {
        PortSettingDesc(i).setCaption(serialLabels[i]);
        placeRow(PortSettingDesc(i), PortSetting(i), i, kLeftFieldLeft - kLabelLeft - 60, kLeftFieldLeft,
                 kLeftFieldWidth);
    }

    EthernetSettings.setCaption("Ethernet Settings");
    EthernetSettings.Move(kRightFrameLeft, kMargin, kRightFrameWidth, kTypesFrameHeight);
    EthernetGroup(0).setCaption("IP Address(&I):");
    EthernetGroup(1).setCaption("Port(&O):");
    EthernetSetting(0).setText("192.168.1.1");
    EthernetSetting(1).setText("9100");
    for (int i = 0; i <= 1; ++i)
        placeRow(EthernetGroup(i), EthernetSetting(i), i, kRightFieldLeft - kLabelLeft - 60, kRightFieldLeft,
                 kRightFieldWidth);

    AHPISettings.setCaption("AXO HID Printer Interface");
    AHPISettings.Move(kRightFrameLeft, kMargin, kRightFrameWidth, kRowTop + 3 * kRowStep + kFieldHeight + 180);
    AHPISettingGroup(0).setCaption("Product ID :");
    AHPISettingGroup(1).setCaption("Vendor ID :");
    AHPISettingGroup(3).setCaption("Device Usage Page :");
    AHPISettingGroup(2).setCaption("Device Usage :");
    AHPIGroupValues(1).setText("AXO");
    AHPIGroupValues(2).setText("0xFF8B");
    AHPIGroupValues(3).setText("5");
    const int labelWidth = kRightFieldLeft - kLabelLeft - 60;
    placeRow(AHPISettingGroup(0), USBPidVid, 0, labelWidth, kRightFieldLeft, kRightFieldWidth);
    placeRow(AHPISettingGroup(1), AHPIGroupValues(1), 1, labelWidth, kRightFieldLeft, kRightFieldWidth);
    placeRow(AHPISettingGroup(3), AHPIGroupValues(2), 2, labelWidth, kRightFieldLeft, kRightFieldWidth);
    placeRow(AHPISettingGroup(2), AHPIGroupValues(3), 3, labelWidth, kRightFieldLeft, kRightFieldWidth);
    for (platform::TextBox& value : AHPIGroupValues) {
        value.setLocked(true);
        value.setTabStop(false);
        value.setBackColor(platform::vbButtonFace);
    }
    AHPISettings.setVisible(false);

    PrinterTypesGroup.setCaption("POS Printer Type:");
    PrinterTypesGroup.Move(kMargin, kTypesFrameTop, kLeftFrameWidth, kTypesFrameHeight);
    PrinterTypeDesc(0).setCaption("Model (&M):");
    PrinterTypeDesc(1).setCaption("Paper Width (&W):");
    for (int i = 0; i <= 1; ++i)
        placeRow(PrinterTypeDesc(i), PrinterType(i), i, kLeftFieldLeft - kLabelLeft - 60, kLeftFieldLeft,
                 kLeftFieldWidth);

    const int clientWidth = kRightFrameLeft + kRightFrameWidth + kMargin;
    const int bottom = kTypesFrameTop + kTypesFrameHeight;
    OKButton.setCaption("OK (&K)");
    CancelButton.setCaption("Cancel (&C)");
    OKButton.setDefault(true);
    CancelButton.setCancel(true);
    CancelButton.Move(clientWidth - kMargin - kButtonWidth, bottom - kButtonHeight, kButtonWidth, kButtonHeight);
    OKButton.Move(CancelButton.Left() - kMargin - kButtonWidth, bottom - kButtonHeight, kButtonWidth, kButtonHeight);
    setClientSize(clientWidth, bottom + kMargin);

    // Tab order: each label just before its field, so its access key lands there.
    std::vector<platform::Control*> order;
    for (int i = 0; i <= 5; ++i) order.insert(order.end(), {&PortSettingDesc(i), &PortSetting(i)});
    for (int i = 0; i <= 1; ++i) order.insert(order.end(), {&EthernetGroup(i), &EthernetSetting(i)});
    order.insert(order.end(), {&AHPISettingGroup(0), &USBPidVid});
    for (int i = 0; i <= 1; ++i) order.insert(order.end(), {&PrinterTypeDesc(i), &PrinterType(i)});
    order.insert(order.end(), {&OKButton, &CancelButton});
    for (std::size_t i = 0; i < order.size(); ++i) order[i]->setTabIndex(static_cast<int>(i));
}

void ConnectPrinterDlg::Form_Load() {
    mainWindow_.bFlag = false;
    FillConnectionLists();
    for (int i = 0; i <= 5; ++i) PortSetting(i).setListIndex(0);
    PortSetting(kFlowCombo).setListIndex(1);
    PrinterType(kModelCombo).setListIndex(0);
}

void ConnectPrinterDlg::FillConnectionLists() {
    auto fill = [](platform::ComboBox& combo, const auto& list) {
        combo.Clear();
        for (const std::string& entry : list) combo.AddItem(" " + entry);
    };
    fill(PortSetting(kPortCombo), PortList);
    fill(PortSetting(kBaudCombo), BaudRateList);
    fill(PortSetting(kDataBitsCombo), DataBitsList);
    fill(PortSetting(kStopBitsCombo), StopBitsList);
    fill(PortSetting(kParityCombo), ParityList);
    fill(PortSetting(kFlowCombo), HandshakeList);
    fill(PrinterType(kModelCombo), PrinterModelList);
    PrinterType(kPaperCombo).Clear();
    USBPidVid.Clear();
}

void ConnectPrinterDlg::FillPaperWidthList(PrinterTypeCode model) {
    platform::ComboBox& paper = PrinterType(kPaperCombo);
    paper.Clear();
    const std::vector<int> codes = model == printerlink::kM27xType ? std::vector<int>{0, 2, 3} : std::vector<int>{0, 1};
    for (int code : codes) {
        paper.AddItem(" " + PaperWidthList[static_cast<std::size_t>(code)]);
        paper.setItemData(paper.NewIndex(), code);
    }
}

void ConnectPrinterDlg::PortSetting_Click(int Index) {
    if (Index != kPortCombo) return;
    const int port = PortSetting(kPortCombo).ListIndex() + 1;
    if (port == kAhpiPortNumber) {
        ShowEthernetSettings(false);
        ShowAHPISettings(true);
        EnableSerialSettings(false);
    } else {
        ShowEthernetSettings(true);
        EnableEthernetSettings(port == kLanPortNumber);
        ShowAHPISettings(false);
        EnableSerialSettings(port != kLanPortNumber);
    }
}

void ConnectPrinterDlg::ShowEthernetSettings(bool show) {
    EthernetSettings.setVisible(show);
    for (int i = 0; i <= 1; ++i) {
        EthernetSetting(i).setVisible(show);
        EthernetGroup(i).setVisible(show);
    }
}

void ConnectPrinterDlg::EnableEthernetSettings(bool enable) {
    EthernetSettings.setEnabled(enable);
    for (int i = 0; i <= 1; ++i) {
        EthernetSetting(i).setEnabled(enable);
        EthernetGroup(i).setEnabled(enable);
    }
}

void ConnectPrinterDlg::EnableSerialSettings(bool enable) {
    for (int i = kBaudCombo; i <= kFlowCombo; ++i) {
        PortSetting(i).setEnabled(enable);
        PortSettingDesc(i).setEnabled(enable);
    }
}

void ConnectPrinterDlg::ShowAHPISettings(bool show) {
    AHPISettings.setVisible(show);
    for (platform::Label& label : AHPISettingGroup) label.setVisible(show);
    // The generic entry heads the product list whenever the list is shown;
    // an empty list (the model was changed while another port was chosen)
    // gets it back, so OK never hands the link an empty product.
    if (show && (!mainWindow_.bFlag || USBPidVid.ListCount() == 0)) {
        USBPidVid.AddItem(kAnyHidUsbPrinter, 0);
        USBPidVid.setListIndex(0);
        mainWindow_.bFlag = true;
    }
}

void ConnectPrinterDlg::PrinterType_Click(int Index) {
    const std::string model = PrinterType(kModelCombo).Text();
    const std::string port = PortSetting(kPortCombo).Text();
    if ((equalsIgnoreCase(model, " 3640-x035") || equalsIgnoreCase(model, " 3740-R801")) &&
        equalsIgnoreCase(port, " AHPI")) {
        ShowMessage("AHPI Communication is not supported for 3640-x035 and 3740-R801 printer", vbOKOnly, vbInformation);
        return;
    }
    const PrinterTypeCode type = PrinterType(kModelCombo).ListIndex();
    if (Index == kModelCombo) {
        FillPaperWidthList(type);
        PrinterType(kPaperCombo).setListIndex(0);
    }
    USBPidVid.Clear();
    if (port == " AHPI") {
        USBPidVid.AddItem(kAnyHidUsbPrinter);
        USBPidVid.setListIndex(0);
        USBPidVid.AddItem(UsbProductEntry(type));
    }
}

void ConnectPrinterDlg::OKButton_Click() {
    printerlink::bLinkLost = false;
    printerlink::bAutoReconnect = false;
    mainWindow_.bFlagforAHPI = false;
    mainWindow_.b2stFlag = false;
    mainWindow_.bKiosk = false;
    mainWindow_.bNoSlipMICR = false;

    m_PortNumber = PortSetting(kPortCombo).ListIndex() + 1;
    m_BaudRate = platform::CLng(PortSetting(kBaudCombo).Text());
    m_DataBits = platform::CByte(PortSetting(kDataBitsCombo).Text());
    m_StopBits = platform::CByte(PortSetting(kStopBitsCombo).Text());
    m_Parity = PortSetting(kParityCombo).ListIndex() + 1;
    m_Handshake = PortSetting(kFlowCombo).ListIndex();
    m_PrinterModel = PrinterType(kModelCombo).ListIndex();
    m_USBProductId = USBPidVid.Text();
    m_ModelText = PrinterType(kModelCombo).Text();
    m_PaperWidthText = PrinterType(kPaperCombo).Text();
    // The product list speaks only for a USB HID connect; a serial or TCP
    // connect must not inherit the USB choice of an earlier one.
    const bool ahpi = m_PortNumber == kAhpiPortNumber;
    mainWindow_.m_AnyHID = ahpi ? m_USBProductId : std::string();
    SetModelFlags();

    const int paperIndex = PrinterType(kPaperCombo).ListIndex();
    m_PaperWidth = paperIndex >= 0 ? PrinterType(kPaperCombo).ItemData(paperIndex) : 0;
    m_EthernetStatus = m_PortNumber == kLanPortNumber;
    if (m_EthernetStatus) {
        m_IPAddress = EthernetSetting(0).Text();
        m_HostPortNumber = EthernetSetting(1).Text();
    }
    m_AHPIStatus = ahpi;

    const std::string port = PortSetting(kPortCombo).Text();
    if (port != " LAN" && port != " AHPI") {
        ShowMessage(m_Handshake == 1 ? "Make sure DSR Signal option is enabled in the communication interface"
                                     : "Set DSR Signal option should disabled in the communication interface",
                    vbOKOnly, vbInformation);
    }
    m_ConnectionType = ahpi ? platform::str(kAhpiPortNumber) : m_EthernetStatus ? platform::str(kLanPortNumber) : "USB";
    try {
        WriteConfigurations();
    } catch (const platform::RuntimeError& e) {
        // The connect that showed the dialog reports it and opens nothing.
        m_WriteError = e;
        platform::Unload(*this);
        return;
    }

    printerlink::bConnectRequested = true;
    printerlink::statusHandshake.m_SendRealTimeStatusCmd = false;
    printerlink::statusHandshake.bSendCmdForRealTimstatus = false;
    platform::Unload(*this);
}

void ConnectPrinterDlg::SetModelFlags() {
    const std::string& model = m_ModelText;
    mainWindow_.b2stFlag = isOneOf(model, {" 3650-5xxx", " 3650", " 3690", " 3690-xx4x", " R809", " 3720-2ST"});
    mainWindow_.bKiosk = isOneOf(model, {" R807", " R806", " R809", " 3740-R801", " 3720-1ST", " 3720-2ST"});
    mainWindow_.bNoSlipMICR = isOneOf(model, {" R807", " R806", " R809", " 3740-R801", " 3720-1ST", " 3720-2ST",
                                              " 3680", " 3680-5xxx/6xxx", " 3690", " 3690-xx4x", " 3695"});
    mainWindow_.bFlagforAHPI = m_PortNumber == kAhpiPortNumber && USBPidVid.Text() == kAnyHidUsbPrinter;
}

// All keys in one write: the bytes are those of one write per key in this
// order, and a settings file that cannot be written fails once, not once per
// key.
void ConnectPrinterDlg::WriteConfigurations() {
    IniSettings settings = {
        {"PortNumber", platform::str(m_PortNumber)},
        {"Baud Rate", platform::str(m_BaudRate)},
        {"DataBits", platform::str(m_DataBits)},
        {"StopBits", platform::str(m_StopBits)},
        {"Parity", std::string(1, parityLetter(m_Parity))},
        {"HandShake", platform::str(m_Handshake)},
        {"PaperWidth", m_PaperWidthText},
        {"Model", m_ModelText},
        {"ConnectionType", m_ConnectionType},
        {"PrinterModel", platform::str(m_PrinterModel)},
    };
    if (m_ConnectionType == platform::str(kLanPortNumber)) {
        settings.emplace_back("IPAddress", m_IPAddress);
        settings.emplace_back("HostNumber", m_HostPortNumber);
    }
    writeIniValuesOrThrow(SettingsFilePath(), kSection, settings);
}

void ConnectPrinterDlg::CancelButton_Click() {
    m_Canceled = true;
    yieldTimes(kUnloadYields);
    platform::Unload(*this);
    printerlink::bConnectDialogCancelled = true;
    printerlink::bVerifySerialLink = false;
}

void ConnectPrinterDlg::Form_Unload(int& /*Cancel*/) {
    m_Canceled = true;
    yieldTimes(kUnloadYields);
    printerlink::bConnectDialogCancelled = !printerlink::bConnectRequested;
}

}  // namespace shell
