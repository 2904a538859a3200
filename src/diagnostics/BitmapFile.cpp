#include "diagnostics/BitmapFile.h"

#include <utility>

#include "diagnostics/BitImage.h"
#include "link/PrinterCommands.h"
#include "shell/ModalMessageBox.h"
#include "shell/TypeDefinition.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr const char* kNotALogo = "This file is not a valid bitmap file.Please select a monochrome bitmap file ";
constexpr const char* kTooLarge = "This file size exceeds maximum bitmap file size (576 X 512)";
constexpr int kMaxLogoBytesAcross = 72, kMaxLogoBytesDown = 64;

}  // namespace

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

void showBitmapFileError(const platform::RuntimeError& error) {
    shell::ShowMessage("Internal Error\r\n" + platform::str(error.number()) + " " + error.description(),
                       shell::vbOKOnly, shell::vbInformation);
}

std::optional<LogoImage> readLogoFile(const std::string& fileName, long& width, long& height) {
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
        showBitmapFileError(error);
        return std::nullopt;
    }
}

}  // namespace diagnostics
