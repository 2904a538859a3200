// The print tests: receipt, diagnostic form, two colours, two sides and the
// cash drawers, each as a direct procedure (TCP, USB HID) and a serial one
// that checks the link first.
#include "diagnostics/DiagnosePrinterDlgHosts.h"
#include "link/LinkFlags.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr int kLogoMode = 33;
constexpr int kTwoColorSleepMs = 20000;
constexpr int kTwoSidedSleepMs = 5000;

const char* const kTwoColorQuestion =
    "To perform two color print, the following should be met:\r\n\r\n"
    "  - AXO qualified thermal paper (Red/Black or Blue/Black)\r\n\r\n"
    "After print, this utility will reset a color option to monochrome automatically.\r\n\r\n"
    "Do you wish to continue?";

// Fewer models than have the two-sided settings: the 3690 and the R809 are
// left out.
bool printsTwoSided(long type) {
    using namespace printerlink;
    return typeIsOneOf(type, {k3650Type, k3650_5xxxType, k3720_2stType});
}

}  // namespace

void DiagnosePrinterDlg::PrintReceiptTestLan() {
    Printer.InitializePrinter();
    Printer.SelectCharacterSetUSA();
    Printer.SelectPaperStation(0);
    Printer.printLogoAndBarcode(AXOLogo.Picture(), false, kLogoMode);
    Printer.FeedAndCut(8);
    Printer.InitializePrinter();
}

void DiagnosePrinterDlg::PrintReceiptTestSerial() {
    if (serialLinkAnswered()) PrintReceiptTestLan();
}

void DiagnosePrinterDlg::PrintDiagFormTest() {
    Printer.InitializePrinter();
    Printer.sendCommand(printerlink::PrintFormCommand(m_MainComm.PrinterType()));
}

void DiagnosePrinterDlg::PrintDiagFormTestSerial() {
    if (serialLinkAnswered()) PrintDiagFormTest();
}

void DiagnosePrinterDlg::PrintTwoColorTestLan() {
    if (m_MainComm.PrinterType() == kM27xType) return;
    if (!confirmed(shell::ShowMessage(kTwoColorQuestion, shell::vbYesNo, shell::vbInformation) == shell::vbYes)) return;
    Printer.printTwoColorPasses(AXOLogo.Picture());
    if (sendsStopped()) return;
    waitWithPollResting(kTwoColorSleepMs);
    putPrinterBack([this] {
        Printer.InitializePrinter();
        Printer.SetColorOption(false);
    });
}

void DiagnosePrinterDlg::PrintTwoColorTestSerial() {
    if (!serialLinkAnswered()) return;
    if (m_MainComm.PrinterType() == kM27xType) return;
    if (!confirmed(shell::ShowMessage(kTwoColorQuestion, shell::vbYesNo, shell::vbInformation) == shell::vbYes)) return;
    Printer.printTwoColorPasses(AXOLogo.Picture());
    Printer.InitializePrinter();
    Printer.SetColorOption(false);
}

void DiagnosePrinterDlg::PrintTwoSidedTestLan() {
    if (!printsTwoSided(m_MainComm.PrinterType())) return;
    Printer.printTwoSidedSequence(AXOLogo.Picture());
    if (sendsStopped()) return;
    waitWithPollResting(kTwoSidedSleepMs);
    putPrinterBack([this] { Printer.InitializePrinter(); });
}

void DiagnosePrinterDlg::PrintTwoSidedTestSerial() {
    if (!serialLinkAnswered()) return;
    if (!printsTwoSided(m_MainComm.PrinterType())) return;
    Printer.printTwoSidedSequence(AXOLogo.Picture());
    Printer.InitializePrinter();
}

void DiagnosePrinterDlg::OpenCashDrawerLan() {
    if (m_MainComm.PrinterType() == kM27xType) return;
    Printer.sendCommand(printerlink::DrawerPulseCommand(0));
    Printer.sendCommand(printerlink::DrawerPulseCommand(1));
}

void DiagnosePrinterDlg::OpenCashDrawerSerial() {
    if (m_MainComm.PrinterType() == kM27xType) {
        // The M27x has no drawer: nothing follows the notice, and its answer
        // must not pass a later test's link check.
        shell::ShowLinkCheckNotice(linkCheck());
        shell::takeRealTimeStatusAnswer(statusHandshake());
        return;
    }
    if (serialLinkAnswered()) OpenCashDrawerLan();
}

}  // namespace diagnostics
