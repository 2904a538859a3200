// The print command builders and the stored logo's commands: each builds
// one command (or a short fixed run) from the names of
// link/PrinterCommands.h and sends it at once; nothing is batched.
#include "diagnostics/DiagnosticPrinter.h"
#include "link/PrinterCommands.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr int kBarcodeOnlineRounds = 20;
constexpr std::uint8_t kBarcodeTextBelow = 0x02;
constexpr std::uint8_t kBarcodeTextFontA = 0x00;
constexpr std::uint8_t kBarcodeHeightDots = 0x78;
constexpr std::uint8_t kCharacterSetUsa = 0x00;
constexpr std::uint8_t kColorOptionParameter = 0x37;
constexpr int kOnlineSleepMs = 50;

}  // namespace

// On USB HID the link frames every byte exactly once: a command framed here
// as well would print the inner report ID and length byte.
void DiagnosticPrinter::sendCommand(Bytes command) {
    if (stopped_()) return;
    link_.SendOutputFramed(command);
}

void DiagnosticPrinter::sendText(const std::string& text) {
    if (stopped_()) return;
    if (hidOpen())
        sendCommand(link_.UnicodeStringToBytes(text));
    else
        link_.SendOutput(text);
}

void DiagnosticPrinter::InitializePrinter() { sendCommand(printerlink::InitializeCommand); }

void DiagnosticPrinter::SendGsUs0() { sendCommand(printerlink::GsUs0Command); }

void DiagnosticPrinter::SelectCharacterSetUSA() { sendCommand(printerlink::CharacterSetCommand(kCharacterSetUsa)); }

void DiagnosticPrinter::SelectPaperStation(int station) {
    if (!printerlink::isSlipType(link_.PrinterType())) return;
    const std::uint8_t n = station == 1 ? 0x04 : station == 2 ? 0x00 : 0x01;
    sendCommand(printerlink::PrintStationCommand(n));
    sendCommand(printerlink::SettingStationCommand(n));
}

void DiagnosticPrinter::SetPrintMode(int size, bool fontB) {
    std::uint8_t n = size == 1 ? 0x10 : size == 2 ? 0x20 : size == 3 ? 0x30 : 0x00;
    if (fontB) n |= 0x01;
    sendCommand(printerlink::PrintModeCommand(n));
}

void DiagnosticPrinter::SetAlignment(int alignment) {
    const std::uint8_t n = alignment == 1 ? 0x01 : alignment == 2 ? 0x02 : 0x00;
    sendCommand(printerlink::AlignmentCommand(n));
}

void DiagnosticPrinter::PrintSeparatorLine(LineStyle style) {
    const int columns = shell::columnsPerLine(style.receipt, style.fontB, static_cast<int>(link_.PaperWidth()));
    sendText(std::string(static_cast<std::size_t>(columns), '-') + "\r\n");
}

void DiagnosticPrinter::PrintTextLine(const std::string& text, LineStyle style) {
    std::string line = text;
    if (style.wrap)
        line = shell::WrapAtSpace(
            line, shell::columnsPerLine(style.receipt, style.fontB, static_cast<int>(link_.PaperWidth())));
    sendText(line + "\r\n");
}

void DiagnosticPrinter::PrintBarcode(int kind, const std::string& data) {
    if (stopped_()) return;
    sendCommand(printerlink::BarcodeTextPositionCommand(kBarcodeTextBelow));
    sendCommand(printerlink::BarcodeTextFontCommand(kBarcodeTextFontA));
    sendCommand(printerlink::BarcodeHeightCommand(kBarcodeHeightDots));
    Bytes head = printerlink::BarcodeHead(platform::CByte(kind), platform::CByte(static_cast<double>(data.size())));
    if (hidOpen()) {
        const Bytes digits = link_.UnicodeStringToBytes(data);
        head.insert(head.end(), digits.begin(), digits.end());
        sendCommand(head);
    } else {
        link_.SendOutput(head);
        link_.SendOutput(data);
    }
    shell::waitRounds(kBarcodeOnlineRounds, kOnlineSleepMs, [this] { return link_.IsPrinterOnline(); });
}

void DiagnosticPrinter::FeedAndCut(std::uint8_t lines) {
    sendCommand(printerlink::FeedLinesCommand(lines));
    sendCommand(printerlink::CutPaperCommand);
}

void DiagnosticPrinter::EjectSlip() {
    if (printerlink::isSlipType(link_.PrinterType())) sendCommand(printerlink::EjectSlipCommand);
}

void DiagnosticPrinter::SetColorOption(bool on) {
    sendCommand(printerlink::SetParameterCommand(kColorOptionParameter, on ? 0x01 : 0x00));
}

void DiagnosticPrinter::sendLogoImage(const LogoImage& logo) {
    sendCommand(logo.command);
    sendCommand(logo.block);
}

void DiagnosticPrinter::SelectLogoNumber(int n) {
    sendCommand(printerlink::SelectLogoCommand(static_cast<std::uint8_t>(n)));
}

void DiagnosticPrinter::PrintLogoNumber(int n) {
    sendCommand(printerlink::PrintLogoCommand(static_cast<std::uint8_t>(n)));
}

void DiagnosticPrinter::sendLogoLineEnd() {
    if (stopped_()) return;
    link_.SendOutput(hidOpen() ? printerlink::HidLineEndReport : printerlink::LineEndCommand);
}

}  // namespace diagnostics
