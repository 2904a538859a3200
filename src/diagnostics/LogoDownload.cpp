// Monochrome bitmap files: printed as ESC * bit-image bands (the scanned
// check), and downloaded into the printer's flash as its logo, which is then
// printed in its four sizes.
#include <optional>
#include <utility>

#include "diagnostics/BitImage.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "link/LinkFlags.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "platform/imaging/Bitmap.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr int kInvalidBitmap = 51;
constexpr const char* kNotALogo = "This file is not a valid bitmap file.Please select a monochrome bitmap file ";
constexpr const char* kNotABitmap = "This file is not a valid bitmap file.";
constexpr const char* kTooLarge = "This file size exceeds maximum bitmap file size (576 X 512)";
constexpr int kMaxLogoBytesAcross = 72, kMaxLogoBytesDown = 64;
constexpr int kFileBandLines = 24;
constexpr std::size_t kWidestBand = 0xFFFF;
constexpr std::uint8_t kFileBandMode = 0x21;
constexpr int kEraseReads = 11, kEraseSleepMs = 50;
constexpr std::uint8_t kErased = 0x0D;
constexpr int kLogoOnlineRounds = 50, kOnlineSleepMs = 50;
constexpr std::uint8_t kFlashWriteFailed = 0x08;
constexpr const char* kFlashWriteUnconfirmed = "Cannot confirm the Flash Write: the printer did not answer.";
constexpr long kLogoDialogFlags = 3076;

// A file that is no whole uncompressed bitmap of one bit per pixel is
// refused with `invalid`; a missing or unreadable file raises the
// platform's own error.
platform::Bitmap readMonochromeBitmap(const std::string& fileName, const char* invalid) {
    std::optional<platform::Bitmap> bitmap = platform::readBitmapFile(fileName);
    if (!bitmap || bitmap->bitCount != 1) throw platform::RuntimeError(kInvalidBitmap, invalid);
    return std::move(*bitmap);
}

Bytes imageLine(const platform::Bitmap& bitmap, int y) {
    const auto line = bitmap.line(y);
    Bytes row(line.begin(), line.end());
    if (bitmap.firstColourBlack()) invertRow(row, bitmap.width);
    return row;
}

void showInternalError(const platform::RuntimeError& error) {
    shell::ShowMessage("Internal Error\r\n" + platform::str(error.number()) + " " + error.description(),
                       shell::vbOKOnly, shell::vbInformation);
}

}  // namespace

// The whole file is read and checked before anything is built from it.
std::optional<PrintCommands::LogoImage> PrintCommands::readLogoFile(const std::string& fileName, long& width,
                                                                   long& height) {
    try {
        const platform::Bitmap bitmap = readMonochromeBitmap(fileName, kNotALogo);
        width = bitmap.width;
        height = bitmap.height;
        const int across = (bitmap.width - 1) / 8 + 1, down = (bitmap.height - 1) / 8 + 1;
        if (across > kMaxLogoBytesAcross || down > kMaxLogoBytesDown)
            throw platform::RuntimeError(kInvalidBitmap, kTooLarge);
        LogoImage logo{printerlink::DownloadBitImageHead(static_cast<std::uint8_t>(across),
                                                         static_cast<std::uint8_t>(down)),
                       Bytes(static_cast<std::size_t>(8 * across * down) + 1, 0)};
        for (int y = 1; y <= bitmap.height; ++y) packRow(imageLine(bitmap, y), bitmap.width, y - 1, down, logo.block);
        return logo;
    } catch (const platform::RuntimeError& error) {
        showInternalError(error);
        return std::nullopt;
    }
}

void PrintCommands::sendLogoImage(const LogoImage& logo) {
    sendCommand(logo.command);
    sendCommand(logo.block);
}

// Bands as wide as the file's padded rows, 24 lines each.
bool PrintCommands::PrintBitmapFile(const std::string& fileName) {
    try {
        const platform::Bitmap bitmap = readMonochromeBitmap(fileName, kNotABitmap);
        const std::size_t dots = 8 * bitmap.rowSize;
        // A band's width is a 16-bit number of dots.
        if (dots > kWidestBand) throw platform::RuntimeError(kInvalidBitmap, kNotABitmap);
        const Bytes command = printerlink::BitImageBandCommand(kFileBandMode, dots);
        Bytes band(3 * dots + 1, 0);
        for (int y = 1; y <= bitmap.height; ++y) {
            packRow(imageLine(bitmap, y), bitmap.width, (y - 1) % kFileBandLines, 3, band);
            if (y % kFileBandLines == 0 || y == bitmap.height) sendBand(command, band);
        }
        return true;
    } catch (const platform::RuntimeError& error) {
        showInternalError(error);
        return false;
    }
}

// Clears every logo and user-defined character; the printer answers when
// its flash is erased.
void DiagnosePrinterDlg::SelectFlashLogoArea() {
    Printer.sendCommand(printerlink::ClearUserAreaCommand(printerlink::kUserDefinedArea));
    for (int read = 0; read < kEraseReads; ++read) {
        std::uint8_t b = 0;
        if (!waitOwnReply(b, replyDeadline()) || b == kErased) return;
        platform::Sleep(kEraseSleepMs);
        platform::DoEvents();
    }
}

void PrintCommands::SelectLogoNumber(int n) {
    sendCommand(printerlink::SelectLogoCommand(static_cast<std::uint8_t>(n)));
}

void PrintCommands::PrintLogoNumber(int n) {
    sendCommand(printerlink::PrintLogoCommand(static_cast<std::uint8_t>(n)));
}

void PrintCommands::BuildCrLf(Bytes& buffer) { buffer = printerlink::HidLineEndReport; }

void DiagnosePrinterDlg::DownloadLogoButton_Click() {
    dispatch(&DiagnosePrinterDlg::DownloadLogoLan, &DiagnosePrinterDlg::DownloadLogoSerial);
}

// True when a file was chosen; a cancel is told by the dialog's result.
bool DiagnosePrinterDlg::chooseLogoFile(std::string& fileName) {
    CommonDlg.setFilter(m_MainComm.PrinterType() == kM27xType ? "80.0mm (576x512) Bitmap (*.bmp)|*.bmp|"
                                                                "82.5mm (592x512) Bitmap (*.bmp)|*.bmp|"
                                                                "114.0mm (832x512) Bitmap (*.bmp)|*.bmp|"
                                                              : "80.0mm (576x512) Bitmap (*.bmp)|*.bmp|"
                                                                "58.0mm (424x512) Bitmap (*.bmp)|*.bmp|");
    CommonDlg.setDialogTitle("Browse File for Download Logo");
    CommonDlg.setDefaultExt(".bmp");
    CommonDlg.setInitDir(platform::app().path());
    CommonDlg.setFileName("");
    CommonDlg.setFlags(kLogoDialogFlags);
    const bool chosen = CommonDlg.ShowOpen();
    platform::DoEvents();
    fileName = CommonDlg.FileName();
    return chosen && !fileName.empty();
}

// The status poll rests meanwhile: its replies would be read as the erase's
// or the flash status's answer, and on USB HID its reads would take them.
// Once the erase has gone out the printer's stored logos are gone: a
// download that ends without the flash status's answer, the printer gone
// or silent, says the write could not be confirmed, once, and a printer
// that is gone gets no sample print.
void DiagnosePrinterDlg::downloadLogo(const std::string& fileName) {
    withoutStatusPoll([&] {
        long width = 0, height = 0;
        // The erase below clears every stored logo: a file that is refused
        // must not cost the printer the logos it holds.
        const std::optional<PrintCommands::LogoImage> logo = PrintCommands::readLogoFile(fileName, width, height);
        if (!logo) return;
        bool told = false;
        const auto unconfirmed = [&told] {
            if (!std::exchange(told, true))
                shell::ShowMessage(kFlashWriteUnconfirmed, shell::vbOKOnly, shell::vbInformation);
        };
        const auto gone = [&] {
            if (sendsStopped() && isLoaded()) unconfirmed();
            return sendsStopped();
        };
        awaitNothingOwed();
        Printer.InitializePrinter();
        SelectFlashLogoArea();
        Printer.SelectLogoNumber(1);
        Printer.sendLogoImage(*logo);
        if (gone()) return;
        shell::waitRounds(kLogoOnlineRounds, kOnlineSleepMs, [this] { return m_MainComm.IsPrinterOnline(); });
        // Framed on USB HID like every command, so the printer gets it there too.
        Printer.sendCommand(printerlink::FlashStatusCommand);
        if (gone()) return;
        // No answer at all is no good write either, nor is a late status
        // reply one.
        std::uint8_t status = 0;
        if (!waitOwnReply(status, replyDeadline()))
            unconfirmed();
        else if (status & kFlashWriteFailed)
            platform::app().plainMessage("Flash Write failed.", platform::kNoIcon, platform::app().title());
        Printer.SelectPaperStation(0);
        Printer.PrintTextLine(platform::toUpperAscii(shell::GetFileName(fileName)) + " (W:" + platform::str(width) +
                              " x H:" + platform::str(height) + " dots)");
        for (int n : {0, 2, 1, 3}) {
            Printer.PrintLogoNumber(n);
            // A switched-off serial printer would sit out each line end's
            // settle wait.
            if (gone()) return;
            Bytes lineEnd = printerlink::LineEndCommand;
            if (hidOpen()) Printer.BuildCrLf(lineEnd);
            m_MainComm.SendOutput(lineEnd);
        }
        Printer.FeedAndCut(8);
    });
}

void DiagnosePrinterDlg::DownloadLogoLan() {
    std::string fileName;
    if (chooseLogoFile(fileName)) downloadLogo(fileName);
}

// The file first; a cancel skips the link check too. A file chosen quickly
// comes before the answer of a printer that answers late.
void DiagnosePrinterDlg::DownloadLogoSerial() {
    std::string fileName;
    if (chooseLogoFile(fileName) && serialAnswerAwaited()) downloadLogo(fileName);
}

}  // namespace diagnostics
