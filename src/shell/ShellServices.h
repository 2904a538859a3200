// The shell's side of what the printer link asks for: the connection dialog,
// the settings file in the application folder, and the message box and
// timed notice. The main window owns one and hands it to its link half.
//
// Ownership: the services keep pointers to the main window (the dialog's
// owner and the link whose model flags the dialog sets); attach() must run
// before the link uses them. showModal, ShowMessage and ShowTimedNotice run
// the event loop nested until their window closes.
#pragma once

#include <memory>
#include <string>

#include "link/LinkServices.h"

namespace platform {
class Form;
}
namespace printerlink {
class PrinterLink;
}

namespace shell {

class ShellServices final : public printerlink::ConnectDialogService,
                            public printerlink::SettingsStore,
                            public printerlink::UserNotices {
public:
    void attach(printerlink::PrinterLink& link, platform::Form& owner) {
        link_ = &link;
        owner_ = &owner;
    }

    std::unique_ptr<printerlink::ConnectDialog> createConnectDialog() override;
    // A file error is reported to the user here and never thrown.
    std::string ReadIniValue(const std::string& section, const std::string& key) override;
    void WriteIniValue(const std::string& section, const std::string& key, const std::string& value) override;
    int ShowMessage(const std::string& text, int buttons, int icon) override;
    void ShowTimedNotice(const std::string& text, int displayMs) override;

private:
    printerlink::PrinterLink* link_ = nullptr;
    platform::Form* owner_ = nullptr;
};

}  // namespace shell
