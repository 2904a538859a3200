// Pictures held by the window and monochrome bitmap files printed as ESC *
// bit-image bands.
#include "diagnostics/BitImage.h"
#include "diagnostics/BitmapFile.h"
#include "diagnostics/DiagnosticPrinter.h"
#include "link/PrinterCommands.h"
#include "platform/RuntimeError.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr int kBandOnlineRounds = 100;
constexpr int kOnlineSleepMs = 50;
constexpr int kInvalidPicture = 51;
constexpr const char* kNotABitmap = "This file is not a valid bitmap file.";
constexpr int kFileBandLines = 24;
constexpr std::size_t kWidestBand = 0xFFFF;
constexpr std::uint8_t kFileBandMode = 0x21;

}  // namespace

void DiagnosticPrinter::sendBand(const Bytes& command, Bytes& band) {
    if (stopped_()) return;
    if (hidOpen()) {
        Bytes buffer = command;
        buffer.insert(buffer.end(), band.begin(), band.end());
        sendCommand(buffer);
    } else {
        link_.SendOutput(command);
        link_.SendOutput(band);
    }
    shell::waitRounds(kBandOnlineRounds, kOnlineSleepMs, [this] { return link_.IsPrinterOnline(); });
    sendCommand(printerlink::LineEndCommand);
    std::fill(band.begin(), band.end(), 0);
}

void DiagnosticPrinter::PrintPictureBitmap(const platform::PicturePtr& picture, int mode) {
    try {
        if (!picture) throw platform::RuntimeError(kInvalidPicture, "Cannot obtain BITMAPINFO header of bitmap image.");
        if (!picture->monochrome) throw platform::RuntimeError(kInvalidPicture, "Invalid monochrome bitmap image.");
        const int height = picture->height;
        const std::size_t sizeImage = picture->monoRows.size();
        if (height <= 0 || sizeImage < static_cast<std::size_t>(height))
            throw platform::RuntimeError(kInvalidPicture, "Cannot obtain bits image of bitmap.");
        const std::size_t rowSize = sizeImage / static_cast<std::size_t>(height);
        const bool invert = (picture->monoPalette[0] & 0x00FFFFFFu) == 0;
        const int k = mode == 0 || mode == 1 ? 1 : 3;
        const std::size_t dots = 8 * rowSize;
        const Bytes command = printerlink::BitImageBandCommand(static_cast<std::uint8_t>(mode), dots);
        Bytes band(dots * static_cast<std::size_t>(k) + 1, 0);
        for (int y = 1; y <= height; ++y) {
            const auto start = picture->monoRows.begin() + static_cast<std::ptrdiff_t>(rowSize * static_cast<std::size_t>(height - y));
            Bytes row(start, start + static_cast<std::ptrdiff_t>(rowSize));
            // Palette entry 0 black: set bits are white. The whole padded
            // row is packed.
            if (invert) invertRow(row, picture->width);
            packRow(row, static_cast<int>(dots), (y - 1) % (8 * k), k, band);
            if (y % (8 * k) == 0 || y == height) sendBand(command, band);
        }
    } catch (const platform::RuntimeError& error) {
        shell::ShowMessage("Internal Error\r\n" + platform::str(error.number()) + error.description(), shell::vbOKOnly,
                           shell::vbInformation);
    }
}

// Bands as wide as the file's padded rows, 24 lines each.
bool DiagnosticPrinter::PrintBitmapFile(const std::string& fileName) {
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
        showBitmapFileError(error);
        return false;
    }
}

}  // namespace diagnostics
