// The receipts the diagnostics window's tests print, made of the print
// command builders.
#include "diagnostics/DiagnosticPrinter.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "shell/TypeDefinition.h"

namespace diagnostics {

namespace {

constexpr const char* kBarcodeData = "046066500146";
constexpr int kBarcodeKind = 65;
constexpr const char* kLogoCaption = "AXOLOGO.BMP (W:263 x H:77 dots)";
constexpr int kLogoMode = 33;
// Blank lines between the two sides of the two-sided test.
constexpr std::uint8_t kSideGapLines = 6;

// The 224 characters with codes 32 to 255.
std::string characterLine() {
    std::string line;
    for (int code = 32; code <= 255; ++code) line += static_cast<char>(code);
    return line;
}

}  // namespace

// The printer, the paper and the utility between separators, as the test
// receipts and the MICR receipt begin.
void DiagnosticPrinter::printTestHeading(bool receipt) {
    const LineStyle style{.receipt = receipt};
    const long type = link_.PrinterType();
    const std::string description =
        printerlink::isPrinterType(type) ? shell::PrinterDescList[static_cast<std::size_t>(type)] : "";
    const platform::Application& app = platform::app();
    PrintSeparatorLine(style);
    PrintTextLine(description, style);
    PrintTextLine(shell::PaperWidthList[static_cast<std::size_t>(link_.get_paperWidth())] + " Thermal Receipt",
                  style);
    PrintSeparatorLine(style);
    PrintTextLine(app.title(), style);
    PrintTextLine("Version " + platform::str(app.major()) + "." + platform::str(app.minor()) + "." +
                      platform::str(app.revision()),
                  style);
    PrintSeparatorLine(style);
}

// Lines of the receipt are (receipt, wrap on, font A) unless said otherwise.
void DiagnosticPrinter::PrintReceiptTestBody(bool receipt) {
    SetAlignment(1);
    SetPrintMode(0, false);
    printTestHeading(receipt);
    for (bool fontB : {false, true}) {
        const int columns = shell::columnsPerLine(receipt, fontB, static_cast<int>(link_.PaperWidth()));
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
void DiagnosticPrinter::printSizeLines(int columns, bool fontB, bool receipt) {
    const char* const labels[] = {"SH/SW: ", "DH/SW: ", "SH/DW: ", "DH/DW: "};
    for (int k = 0; k <= 3; ++k) {
        std::string line = labels[k];
        const std::size_t length = static_cast<std::size_t>(k < 2 ? columns : columns / 2);
        for (char c = '0'; line.size() < length; ++c) line += c;
        SetPrintMode(k, fontB);
        PrintTextLine(line, {.receipt = receipt, .fontB = fontB});
    }
}

void DiagnosticPrinter::printBarcodeCaptionAndCode() {
    PrintSeparatorLine();
    PrintTextLine(std::string("UPC-A: ") + kBarcodeData);
    PrintBarcode(kBarcodeKind, kBarcodeData);
}

// The logo caption, the logo, then the bar code with its caption.
void DiagnosticPrinter::printLogoAndBarcode(const platform::PicturePtr& logo, bool captionFirst, int logoMode) {
    SetAlignment(1);
    if (captionFirst) PrintTextLine(kLogoCaption);
    PrintPictureBitmap(logo, logoMode);
    printBarcodeCaptionAndCode();
}

void DiagnosticPrinter::printColorPass(const platform::PicturePtr& logo, int pass) {
    bool receipt = true;
    sendCommand(printerlink::SelectColorCommand(static_cast<std::uint8_t>(pass)));
    SetAlignment(1);
    PrintSeparatorLine();
    PrintTextLine(std::string("Print in ") + (pass == 0 ? "Black" : "Second Color"));
    PrintReceiptTestBody(receipt);
    printLogoAndBarcode(logo, true, kLogoMode);
    FeedAndCut(8);
}

void DiagnosticPrinter::printTwoColorPasses(const platform::PicturePtr& logo) {
    InitializePrinter();
    SetColorOption(true);
    SelectCharacterSetUSA();
    SelectPaperStation(0);
    printColorPass(logo, 0);
    printColorPass(logo, 1);
}

void DiagnosticPrinter::printTwoSidedSequence(const platform::PicturePtr& logo) {
    bool receipt = true;
    InitializePrinter();
    SelectCharacterSetUSA();
    SelectPaperStation(0);
    sendCommand(printerlink::TwoSidedPrintCommand);
    sendCommand(printerlink::SelectSideCommand(0));
    PrintReceiptTestBody(receipt);
    sendCommand(printerlink::CarriageReturnsCommand(kSideGapLines));
    sendCommand(printerlink::SelectSideCommand(1));
    printLogoAndBarcode(logo, true, kLogoMode);
    FeedAndCut(15);
}

// The MICR read's fields, each on a line of its own with its value in <>.
void DiagnosticPrinter::PrintMICRReceipt(const std::string& raw, const std::string& transit, const std::string& bank,
                                     const std::string& account, const std::string& serial) {
    bool receipt = true, fontA = false;
    const int cols = shell::GetColumnsPerLine(receipt, fontA);
    InitializePrinter();
    SelectCharacterSetUSA();
    SelectPaperStation(0);
    SetAlignment(1);
    SetPrintMode(0, false);
    printTestHeading(receipt);
    PrintTextLine("MICR Read");
    const std::pair<const char*, const std::string*> fields[] = {{"Raw Data:", &raw},
                                                                 {"Transit Number:", &transit},
                                                                 {"Bank Number:", &bank},
                                                                 {"Account Number:", &account},
                                                                 {"Serial Number:", &serial}};
    for (const auto& [label, value] : fields) {
        const long padding = cols - static_cast<long>(std::string(label).size() + value->size()) - 2;
        SetAlignment(0);
        if (padding >= 0) {
            PrintTextLine(label + std::string(static_cast<std::size_t>(padding), ' ') + "<" + *value + ">");
        } else {
            PrintTextLine(label);
            SetAlignment(2);
            PrintTextLine("<" + *value + ">");
        }
    }
    FeedAndCut(8);
    InitializePrinter();
}

}  // namespace diagnostics
