// The print command builders: each builds one command (or a short fixed run)
// from the names of link/PrinterCommands.h and sends it at once; nothing is
// batched.
#include "diagnostics/DiagnosePrinterDlg.h"
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
void DiagnosePrinterDlg::sendCommand(Bytes command) {
    if (sendsStopped()) return;
    m_MainComm.SendOutputFramed(command);
}

void DiagnosePrinterDlg::sendText(const std::string& text) {
    if (sendsStopped()) return;
    if (hidOpen())
        sendCommand(m_MainComm.UnicodeStringToBytes(text));
    else
        m_MainComm.SendOutput(text);
}

void DiagnosePrinterDlg::InitializePrinter() { sendCommand(printerlink::InitializeCommand); }

void DiagnosePrinterDlg::SendGsUs0() { sendCommand(printerlink::GsUs0Command); }

void DiagnosePrinterDlg::SelectCharacterSetUSA() { sendCommand(printerlink::CharacterSetCommand(kCharacterSetUsa)); }

void DiagnosePrinterDlg::SelectPaperStation(int station) {
    if (!isSlipType(m_MainComm.PrinterType())) return;
    const std::uint8_t n = station == 1 ? 0x04 : station == 2 ? 0x00 : 0x01;
    sendCommand(printerlink::PrintStationCommand(n));
    sendCommand(printerlink::SettingStationCommand(n));
}

void DiagnosePrinterDlg::SetPrintMode(int size, bool fontB) {
    std::uint8_t n = size == 1 ? 0x10 : size == 2 ? 0x20 : size == 3 ? 0x30 : 0x00;
    if (fontB) n |= 0x01;
    sendCommand(printerlink::PrintModeCommand(n));
}

void DiagnosePrinterDlg::SetAlignment(int alignment) {
    const std::uint8_t n = alignment == 1 ? 0x01 : alignment == 2 ? 0x02 : 0x00;
    sendCommand(printerlink::AlignmentCommand(n));
}

void DiagnosePrinterDlg::PrintSeparatorLine(LineStyle style) {
    const int columns = shell::columnsPerLine(style.receipt, style.fontB, static_cast<int>(m_MainComm.PaperWidth()));
    sendText(std::string(static_cast<std::size_t>(columns), '-') + "\r\n");
}

void DiagnosePrinterDlg::PrintTextLine(const std::string& text, LineStyle style) {
    std::string line = text;
    if (style.wrap)
        line = shell::WrapAtSpace(
            line, shell::columnsPerLine(style.receipt, style.fontB, static_cast<int>(m_MainComm.PaperWidth())));
    sendText(line + "\r\n");
}

void DiagnosePrinterDlg::PrintBarcode(int kind, const std::string& data) {
    if (sendsStopped()) return;
    sendCommand(printerlink::BarcodeTextPositionCommand(kBarcodeTextBelow));
    sendCommand(printerlink::BarcodeTextFontCommand(kBarcodeTextFontA));
    sendCommand(printerlink::BarcodeHeightCommand(kBarcodeHeightDots));
    Bytes head = printerlink::BarcodeHead(platform::CByte(kind), platform::CByte(static_cast<double>(data.size())));
    if (hidOpen()) {
        const Bytes digits = m_MainComm.UnicodeStringToBytes(data);
        head.insert(head.end(), digits.begin(), digits.end());
        sendCommand(head);
    } else {
        m_MainComm.SendOutput(head);
        m_MainComm.SendOutput(data);
    }
    shell::waitRounds(kBarcodeOnlineRounds, kOnlineSleepMs, [this] { return m_MainComm.IsPrinterOnline(); });
}

void DiagnosePrinterDlg::FeedAndCut(std::uint8_t lines) {
    sendCommand(printerlink::FeedLinesCommand(lines));
    sendCommand(printerlink::CutPaperCommand);
}

void DiagnosePrinterDlg::EjectSlip() {
    if (isSlipType(m_MainComm.PrinterType())) sendCommand(printerlink::EjectSlipCommand);
}

void DiagnosePrinterDlg::SetColorOption(bool on) {
    sendCommand(printerlink::SetParameterCommand(kColorOptionParameter, on ? 0x01 : 0x00));
}

void DiagnosePrinterDlg::PurgeBuffers() { shell::PurgeBuffers(m_MainComm); }

}  // namespace diagnostics
