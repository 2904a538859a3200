// The print tests: receipt, diagnostic form, two colours, two sides and the
// cash drawers, each as a direct procedure (TCP, USB HID) and a serial one
// that checks the link first.
#include "diagnostics/DiagnosePrinterDlg.h"
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

constexpr const char* kBarcodeData = "046066500146";
constexpr int kBarcodeKind = 65;
constexpr const char* kLogoCaption = "AXOLOGO.BMP (W:263 x H:77 dots)";
constexpr int kLogoMode = 33;
constexpr int kTwoColorSleepMs = 20000;
constexpr int kTwoSidedSleepMs = 5000;
// Blank lines between the two sides of the two-sided test.
constexpr std::uint8_t kSideGapLines = 6;

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

// The 224 characters with codes 32 to 255.
std::string characterLine() {
    std::string line;
    for (int code = 32; code <= 255; ++code) line += static_cast<char>(code);
    return line;
}

}  // namespace

// The printer, the paper and the utility between separators, as the test
// receipts and the MICR receipt begin.
void DiagnosePrinterDlg::printTestHeading(bool receipt) {
    const LineStyle style{.receipt = receipt};
    const long type = m_MainComm.PrinterType();
    const std::string description =
        printerlink::isPrinterType(type) ? shell::PrinterDescList[static_cast<std::size_t>(type)] : "";
    const platform::Application& app = platform::app();
    PrintSeparatorLine(style);
    PrintTextLine(description, style);
    PrintTextLine(shell::PaperWidthList[static_cast<std::size_t>(m_MainComm.get_paperWidth())] + " Thermal Receipt",
                  style);
    PrintSeparatorLine(style);
    PrintTextLine(app.title(), style);
    PrintTextLine("Version " + platform::str(app.major()) + "." + platform::str(app.minor()) + "." +
                      platform::str(app.revision()),
                  style);
    PrintSeparatorLine(style);
}

// Lines of the receipt are (receipt, wrap on, font A) unless said otherwise.
void DiagnosePrinterDlg::PrintReceiptTestBody(bool receipt) {
    SetAlignment(1);
    SetPrintMode(0, false);
    printTestHeading(receipt);
    for (bool fontB : {false, true}) {
        const int columns = shell::columnsPerLine(receipt, fontB, static_cast<int>(m_MainComm.PaperWidth()));
        SetPrintMode(0, fontB);
        SetAlignment(1);
        const LineStyle style{.receipt = receipt, .fontB = fontB};
        PrintTextLine("Code Page 437 : US-English", style);
        PrintTextLine("Columns per Line: " + platform::str(columns), style);
        printSizeLines(columns, fontB, receipt);
        SetPrintMode(0, fontB);
        PrintSeparatorLine(style);
        SetAlignment(0);
        PrintTextLine(characterLine(), {.receipt = receipt, .fontB = fontB, .wrap = false});
        PrintSeparatorLine(style);
    }
    SetPrintMode(0, false);
    SetAlignment(0);
}

// Single size, double height, double width, double both: the digits and the
// letters after them up to the line's width (half the columns when double
// wide).
void DiagnosePrinterDlg::printSizeLines(int columns, bool fontB, bool receipt) {
    const char* const labels[] = {"SH/SW: ", "DH/SW: ", "SH/DW: ", "DH/DW: "};
    for (int k = 0; k <= 3; ++k) {
        std::string line = labels[k];
        const std::size_t length = static_cast<std::size_t>(k < 2 ? columns : columns / 2);
        for (char c = '0'; line.size() < length; ++c) line += c;
        SetPrintMode(k, fontB);
        PrintTextLine(line, {.receipt = receipt, .fontB = fontB});
    }
}

void DiagnosePrinterDlg::printBarcodeCaptionAndCode() {
    PrintSeparatorLine();
    PrintTextLine(std::string("UPC-A: ") + kBarcodeData);
    PrintBarcode(kBarcodeKind, kBarcodeData);
}

// The logo caption, the logo, then the bar code with its caption.
void DiagnosePrinterDlg::printLogoAndBarcode(bool captionFirst, int logoMode) {
    SetAlignment(1);
    if (captionFirst) PrintTextLine(kLogoCaption);
    PrintPictureBitmap(AXOLogo.Picture(), logoMode);
    printBarcodeCaptionAndCode();
}

void DiagnosePrinterDlg::PrintReceiptTestLan() {
    InitializePrinter();
    SelectCharacterSetUSA();
    SelectPaperStation(0);
    printLogoAndBarcode(false, kLogoMode);
    FeedAndCut(8);
    InitializePrinter();
}

void DiagnosePrinterDlg::PrintReceiptTestSerial() {
    RequestRealTimeStatus();
    if (serialLinkAnswered()) PrintReceiptTestLan();
}

void DiagnosePrinterDlg::PrintDiagFormTest() {
    InitializePrinter();
    sendCommand(printerlink::PrintFormCommand(m_MainComm.PrinterType()));
}

void DiagnosePrinterDlg::PrintDiagFormTestSerial() {
    RequestRealTimeStatus();
    if (serialLinkAnswered()) PrintDiagFormTest();
}

void DiagnosePrinterDlg::printColorPass(int pass) {
    bool receipt = true;
    sendCommand(printerlink::SelectColorCommand(static_cast<std::uint8_t>(pass)));
    SetAlignment(1);
    PrintSeparatorLine();
    PrintTextLine(std::string("Print in ") + (pass == 0 ? "Black" : "Second Color"));
    PrintReceiptTestBody(receipt);
    printLogoAndBarcode(true, kLogoMode);
    FeedAndCut(8);
}

void DiagnosePrinterDlg::printTwoColorPasses() {
    InitializePrinter();
    SetColorOption(true);
    SelectCharacterSetUSA();
    SelectPaperStation(0);
    printColorPass(0);
    printColorPass(1);
}

void DiagnosePrinterDlg::PrintTwoColorTestLan() {
    if (m_MainComm.PrinterType() == kM27xType) return;
    if (shell::ShowMessage(kTwoColorQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    printTwoColorPasses();
    if (sendsStopped()) return;
    sleepWithPollResting(kTwoColorSleepMs);
    InitializePrinter();
    SetColorOption(false);
}

void DiagnosePrinterDlg::PrintTwoColorTestSerial() {
    RequestRealTimeStatus();
    if (!serialLinkAnswered()) return;
    if (m_MainComm.PrinterType() == kM27xType) return;
    if (shell::ShowMessage(kTwoColorQuestion, shell::vbYesNo, shell::vbInformation) != shell::vbYes) return;
    printTwoColorPasses();
    InitializePrinter();
    SetColorOption(false);
}

void DiagnosePrinterDlg::printTwoSidedSequence() {
    bool receipt = true;
    InitializePrinter();
    SelectCharacterSetUSA();
    SelectPaperStation(0);
    sendCommand(printerlink::TwoSidedPrintCommand);
    sendCommand(printerlink::SelectSideCommand(0));
    PrintReceiptTestBody(receipt);
    sendCommand(printerlink::CarriageReturnsCommand(kSideGapLines));
    sendCommand(printerlink::SelectSideCommand(1));
    printLogoAndBarcode(true, kLogoMode);
    FeedAndCut(15);
}

void DiagnosePrinterDlg::PrintTwoSidedTestLan() {
    if (!printsTwoSided(m_MainComm.PrinterType())) return;
    printTwoSidedSequence();
    if (sendsStopped()) return;
    sleepWithPollResting(kTwoSidedSleepMs);
    InitializePrinter();
}

// Checks the link with an answer of its own, like the other serial
// procedures: an answer left over from an earlier request proves nothing.
void DiagnosePrinterDlg::PrintTwoSidedTestSerial() {
    RequestRealTimeStatus();
    if (!serialLinkAnswered()) return;
    if (!printsTwoSided(m_MainComm.PrinterType())) return;
    printTwoSidedSequence();
    InitializePrinter();
}

void DiagnosePrinterDlg::OpenCashDrawerLan() {
    if (m_MainComm.PrinterType() == kM27xType) return;
    sendCommand(printerlink::DrawerPulseCommand(0));
    sendCommand(printerlink::DrawerPulseCommand(1));
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
