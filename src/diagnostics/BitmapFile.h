// Monochrome bitmap files as the diagnostics window reads them: the logo
// file downloaded into the printer's flash, and any one-bit file printed as
// bit image bands (the scanned check). A file is read and checked whole
// before anything is built from it. Nothing here blocks but the message box
// that tells a refused file.
#pragma once

#include <optional>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/imaging/Bitmap.h"

namespace diagnostics {

// The error number of a file that is refused.
inline constexpr int kInvalidBitmap = 51;

// A file that is no whole uncompressed bitmap of one bit per pixel is
// refused with `invalid`; a missing or unreadable file raises the
// platform's own error.
platform::Bitmap readMonochromeBitmap(const std::string& fileName, const char* invalid);

// Image line y of the file, its set bits the dots printed whatever the
// palette.
platform::Bytes imageLine(const platform::Bitmap& bitmap, int y);

// "Internal Error" with the error's number and description, in a message box.
void showBitmapFileError(const platform::RuntimeError& error);

// A logo as the downloaded bit image command and its data block.
struct LogoImage {
    platform::Bytes command;
    platform::Bytes block;
};

// The logo file read and checked whole, width and height (dots) set from its
// header; nullopt, its message shown, when it is refused.
std::optional<LogoImage> readLogoFile(const std::string& fileName, long& width, long& height);

}  // namespace diagnostics
