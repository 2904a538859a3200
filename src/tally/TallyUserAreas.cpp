// Clearing the user-defined character area and the user data area, and
// printing the diagnostic form: one command each.
#include "link/PrinterCommands.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

namespace {

using printerlink::kUserDataArea;
using printerlink::kUserDefinedArea;
constexpr const char* kUserDefinedQuestion =
    "Clear all sectors available for user-defined characters and multiple logos.";
constexpr const char* kUserDataQuestion = "Clear all sectors available for user data storage";

}  // namespace

bool ViewTallyDlg::confirmUserAreaClear(const std::string& firstLine) {
    return shell::ShowMessage(firstLine + "\r\nDo you wish to continue?", shell::vbYesNo, shell::vbInformation) ==
           shell::vbYes;
}

// The printer answers the clear with one byte, of an ESC reply's form; it is
// taken and not looked at. Asked at the door like every request the printer
// answers: an answer that comes after its wait is then known for a late one.
void ViewTallyDlg::sendUserAreaClear(std::uint8_t area) {
    sendChecked([this, area] {
        printerlink::RequestDoor& door = doorPass_.door();
        if (door.ask(doorPass_.owner(), printerlink::ReplyForm::Esc, printerlink::kOwnRequest, 1,
                     [&] { return sendCommand(printerlink::ClearUserAreaCommand(area)); }) == 0)
            return;
        platform::Bytes answer(1, 0);
        if (m_MainComm.waitResponseWhile(answer, 1, platform::kForever, [this] { return isLoaded(); }))
            door.take({printerlink::ReplyForm::Esc, platform::EventLoop::current().clock().now()});
    });
}

platform::Bytes ViewTallyDlg::buildPrintFormCommand() {
    return printerlink::PrintFormCommand(m_MainComm.PrinterType());
}

void ViewTallyDlg::ClearUserDefinedAreaLan() {
    if (confirmUserAreaClear(kUserDefinedQuestion)) sendUserAreaClear(kUserDefinedArea);
}

void ViewTallyDlg::ClearUserDefinedAreaSerial() {
    shell::ShowLinkCheckNotice(linkCheck());
    if (!confirmUserAreaClear(kUserDefinedQuestion)) return;
    if (AnswerTest()) sendUserAreaClear(kUserDefinedArea);
}

void ViewTallyDlg::ClearUserDataAreaLan() {
    if (confirmUserAreaClear(kUserDataQuestion)) sendUserAreaClear(kUserDataArea);
}

void ViewTallyDlg::ClearUserDataAreaSerial() {
    if (!confirmUserAreaClear(kUserDataQuestion)) return;
    if (CheckLink()) sendUserAreaClear(kUserDataArea);
}

void ViewTallyDlg::PrintTallyDiagnosticFormLan() {
    sendChecked([this] { sendCommand(buildPrintFormCommand()); });
}

// A window on a USB HID port whose device is not open has nothing to send to.
void ViewTallyDlg::PrintTallyDiagnosticFormSerial() {
    if (m_PortNo == "AHPI") return;
    shell::ShowLinkCheckNotice(linkCheck());
    const platform::Bytes command = buildPrintFormCommand();
    if (AnswerTest()) sendChecked([this, &command] { sendCommand(command); });
}

}  // namespace tally
