// The connection dialog ("Connect POS Printer"): the user chooses the port
// (a serial port, " LAN" for TCP or " AHPI" for USB HID), the serial line
// settings, the TCP address and port, the USB product, the printer model and
// the paper width. OK writes the choice to section "Configurations" of the
// settings file and sets the main window's model flags; the link reads the
// result properties after the dialog closed. When the file cannot be
// written OK closes the dialog unconfirmed and keeps the error (WriteError)
// for the link's connect, which fails with it; the dialog reports nothing.
//
// Ownership: one dialog per connect, made with platform::newForm, shown
// modally (Show runs the event loop nested until OK, Cancel or the close
// box unloads it); its results stay readable until it is released. It
// keeps a reference to the main window's link half, which outlives it.
#pragma once

#include <optional>
#include <string>

#include "link/PrinterLink.h"
#include "platform/RuntimeError.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "shell/TypeDefinition.h"

namespace shell {

inline constexpr const char* kAnyHidUsbPrinter = "Any HID USB POS Printer";

// The USB product entry of a printer type (0-16), shown after "Any HID USB
// POS Printer" when the port is " AHPI".
const std::string& UsbProductEntry(PrinterTypeCode printerType);

class ConnectPrinterDlg : public platform::Form {
public:
    explicit ConnectPrinterDlg(printerlink::PrinterLink& mainWindow);

    // ---- Results, readable after the dialog closed. ----
    bool Canceled() const { return m_Canceled; }
    int LastError() const { return 0; }
    std::string LastErrorDesc() const { return {}; }
    int PortNumber() const { return m_PortNumber; }
    long BaudRate() const { return m_BaudRate; }
    int DataBits() const { return m_DataBits; }
    int StopBits() const { return m_StopBits; }
    int Parity() const { return m_Parity; }
    int Handshake() const { return m_Handshake; }
    std::string IPAddress() const { return m_IPAddress; }
    std::string HostPortNumber() const { return m_HostPortNumber; }
    bool EthernetStatus() const { return m_EthernetStatus; }
    bool AHPIStatus() const { return m_AHPIStatus; }
    int PrinterModel() const { return m_PrinterModel; }
    int PaperWidth() const { return m_PaperWidth; }
    std::string USBProductId() const { return m_USBProductId; }
    // The run-time error that ended OK: the settings file could not be
    // written. The dialog then closed without a confirmed choice, and the
    // error belongs to the connect that showed it.
    const std::optional<platform::RuntimeError>& WriteError() const { return m_WriteError; }

    // ---- Controls. ----
    platform::Frame PortSettingsGroup;
    platform::ControlArray<platform::Label> PortSettingDesc;
    platform::ControlArray<platform::ComboBox> PortSetting;
    platform::Frame EthernetSettings;
    platform::ControlArray<platform::Label> EthernetGroup;
    platform::ControlArray<platform::TextBox> EthernetSetting;
    platform::Frame AHPISettings;
    platform::ControlArray<platform::Label> AHPISettingGroup;
    platform::ComboBox USBPidVid;
    platform::ControlArray<platform::TextBox> AHPIGroupValues;
    platform::Frame PrinterTypesGroup;
    platform::ControlArray<platform::Label> PrinterTypeDesc;
    platform::ControlArray<platform::ComboBox> PrinterType;
    platform::CommandButton OKButton;
    platform::CommandButton CancelButton;

protected:
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void Form_KeyPress(int& /*KeyAscii*/) override {}

private:
    void layOut();
    void OKButton_Click();
    void CancelButton_Click();
    void PortSetting_Click(int Index);
    void PrinterType_Click(int Index);
    void PrinterTypeDesc_Click(int /*Index*/) {}

    void FillConnectionLists();
    void FillPaperWidthList(PrinterTypeCode model);
    void ShowEthernetSettings(bool show);
    void EnableEthernetSettings(bool enable);
    void ShowAHPISettings(bool show);
    void EnableSerialSettings(bool enable);
    void SetModelFlags();
    void WriteConfigurations();

    printerlink::PrinterLink& mainWindow_;

    bool m_Canceled = false;
    int m_PortNumber = 0;
    long m_BaudRate = 0;
    int m_DataBits = 0;
    int m_StopBits = 0;
    int m_Parity = 0;
    int m_Handshake = 0;
    std::string m_IPAddress;
    std::string m_HostPortNumber;
    bool m_EthernetStatus = false;
    bool m_AHPIStatus = false;
    int m_PrinterModel = 0;
    int m_PaperWidth = 0;
    std::string m_USBProductId;
    // Kept for the settings file.
    std::string m_ModelText;
    std::string m_PaperWidthText;
    std::string m_ConnectionType;
    std::optional<platform::RuntimeError> m_WriteError;
};

}  // namespace shell
