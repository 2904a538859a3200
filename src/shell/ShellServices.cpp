#include "shell/ShellServices.h"

#include "shell/ConnectPrinterDlg.h"
#include "shell/IniFile.h"
#include "shell/ModelessMsgBox.h"
#include "shell/TypeDefinition.h"

namespace shell {

namespace {

// The link's view of one connection dialog.
class ConnectDialogHandle final : public printerlink::ConnectDialog {
public:
    ConnectDialogHandle(std::shared_ptr<ConnectPrinterDlg> dialog, platform::Form* owner)
        : dialog_(std::move(dialog)), owner_(owner) {}
    ~ConnectDialogHandle() override {
        if (dialog_->isLoaded()) platform::Unload(*dialog_);
    }

    void showModal() override {
        dialog_->Show(platform::vbModal, owner_);
        if (const auto& error = dialog_->WriteError()) throw *error;
    }
    bool Canceled() const override { return dialog_->Canceled(); }
    bool EthernetStatus() const override { return dialog_->EthernetStatus(); }
    bool AHPIStatus() const override { return dialog_->AHPIStatus(); }
    int PortNumber() const override { return dialog_->PortNumber(); }
    long BaudRate() const override { return dialog_->BaudRate(); }
    int DataBits() const override { return dialog_->DataBits(); }
    int StopBits() const override { return dialog_->StopBits(); }
    int Parity() const override { return dialog_->Parity(); }
    int Handshake() const override { return dialog_->Handshake(); }
    int PrinterModel() const override { return dialog_->PrinterModel(); }
    int PaperWidth() const override { return dialog_->PaperWidth(); }
    std::string IPAddress() const override { return dialog_->IPAddress(); }
    std::string HostPortNumber() const override { return dialog_->HostPortNumber(); }
    std::string USBProductId() const override { return dialog_->USBProductId(); }

private:
    std::shared_ptr<ConnectPrinterDlg> dialog_;
    platform::Form* owner_;
};

}  // namespace

std::unique_ptr<printerlink::ConnectDialog> ShellServices::createConnectDialog() {
    return std::make_unique<ConnectDialogHandle>(platform::newForm<ConnectPrinterDlg>(*link_), owner_);
}

std::string ShellServices::ReadIniValue(const std::string& section, const std::string& key) {
    return shell::ReadIniValue(SettingsFilePath(), section, key);
}

void ShellServices::WriteIniValue(const std::string& section, const std::string& key, const std::string& value) {
    shell::WriteIniValue(SettingsFilePath(), section, key, value);
}

int ShellServices::ShowMessage(const std::string& text, int buttons, int icon) {
    return static_cast<int>(shell::ShowMessage(text, buttons, icon));
}

void ShellServices::ShowTimedNotice(const std::string& text, int displayMs) {
    shell::ShowTimedNotice(text, displayMs);
}

}  // namespace shell
