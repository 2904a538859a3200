// Restore Default and Print Form: one fixed command each, sent straight on
// TCP and USB HID, and on a serial link after the printer answered the
// real-time status request.
#include "configuration/apply/ConfigurationApply.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "link/PrinterCommands.h"
#include "link/PrinterTypes.h"
#include "shell/MainWindow.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace configuration {

namespace {

constexpr const char* kRestoreQuestion =
    "Restore all configurations in the POS printer to\r\ndefaults including Communication Interface options.\r\n"
    "The changes will be effective after the reboot of\r\nthe POS printer.\r\nDo you wish to continue?";
constexpr const char* kCheckingNotice = "Checking the printer is connected or not...";
constexpr const char* kCannotPrintForm = "Cannot print a diagnostic form due to offline.";

platform::Bytes RestoreDefaultsCommand(long printerType) {
    using namespace printerlink;
    const std::uint8_t number = typeIsOneOf(printerType, {kR806Type, kR807Type, kR809Type}) ? 0x60 : 0x50;
    return printerlink::SetParameterCommand(number, 0x00);
}

// Sends the command (framed on USB HID) and tells whether it reached the
// printer: the send went out and the link held until the printer had it.
bool sendToPrinter(shell::MainWindow& link, const platform::Bytes& command) {
    shell::SendCheck check(link);
    return link.SendOutputFramed(command) && check.reached();
}

void showRestoreResult(bool sent) {
    if (sent)
        shell::ShowMessage(std::string("Configuration is restored to default,") + " but it does not effect until" +
                               " the printer is restarted.",
                           shell::vbOKOnly, shell::vbInformation);
    else
        shell::ShowMessage(std::string("Cannot restore configurations to default ") + "due to offline.",
                           shell::vbOKOnly, shell::vbInformation);
}

}  // namespace

void ConfigurationApply::RestoreDefaultsLan(ChangeConfigDlg& window) {
    shell::MainWindow& link = window.m_MainComm;
    if (shell::ShowMessage(kRestoreQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    if (!link.IsPrinterOnline()) {
        showRestoreResult(false);
        return;
    }
    showRestoreResult(sendToPrinter(link, RestoreDefaultsCommand(link.PrinterType())));
}

void ConfigurationApply::RestoreDefaultsSerial(ChangeConfigDlg& window) {
    shell::MainWindow& link = window.m_MainComm;
    if (shell::ShowMessage(kRestoreQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    if (!CheckSerialLink(window, kCheckingNotice, 2000)) return;
    if (!link.IsPrinterOnline()) {
        showRestoreResult(false);
        return;
    }
    showRestoreResult(sendToPrinter(link, RestoreDefaultsCommand(link.PrinterType())));
}

void ConfigurationApply::PrintDiagnosticFormLan(ChangeConfigDlg& window) {
    shell::MainWindow& link = window.m_MainComm;
    if (!link.IsPrinterOnline()) {
        shell::ShowMessage(kCannotPrintForm, shell::vbOKOnly, shell::vbInformation);
        return;
    }
    if (!sendToPrinter(link, printerlink::PrintFormCommand(link.PrinterType())))
        shell::ShowMessage(kCannotPrintForm, shell::vbOKOnly, shell::vbInformation);
}

// An offline serial printer takes the lost-link exit here, not the message.
void ConfigurationApply::PrintDiagnosticFormSerial(ChangeConfigDlg& window) {
    shell::MainWindow& link = window.m_MainComm;
    shell::ShowLinkCheckNotice(linkCheck(window, kCheckingNotice, 2500));
    if (!link.IsPrinterOnline() || !takeAnswer()) {
        LostLinkExit(window);
        return;
    }
    if (!sendToPrinter(link, printerlink::PrintFormCommand(link.PrinterType())))
        shell::ShowMessage(kCannotPrintForm, shell::vbOKOnly, shell::vbInformation);
}

}  // namespace configuration
