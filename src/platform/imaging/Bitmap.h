// Bitmap files (the device-independent bitmap file format): reading them
// safely for the printing and logo code.
//
// The reader trusts nothing in a file: every offset, size and count is
// checked against the file's real length before it is used, the row size is
// computed from the width and bit depth (never taken from the header's
// image-size field, which is often 0 or wrong) and the arithmetic is done
// wide enough not to overflow. It accepts uncompressed files with an info
// header of 40 bytes or more, any of the usual bit depths and either row
// order; a top-down file (negative height) is turned so that rows always
// come bottom row first, as bottom-up files store them. Everything else - a
// file that is not a bitmap, is cut short, has a width or height of 0, is
// compressed, or is larger than kMaxBitmapFileSize - is refused with
// nullopt, never with a crash or an exception.
//
// What a monochrome image must be (one bit per pixel, its size limits, the
// meaning of palette entry 0) is the caller's to check; the reader exposes
// every field those checks need. Pure functions; nothing here blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace platform {

// Larger files are refused without being read.
inline constexpr std::size_t kMaxBitmapFileSize = 64u << 20;

struct BitmapPaletteEntry {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    bool isBlack() const { return blue == 0 && green == 0 && red == 0; }
};

struct Bitmap {
    std::int32_t width = 0;   // dots, above 0
    std::int32_t height = 0;  // dots, above 0 whatever the file's row order
    int bitCount = 0;         // bits per pixel: 1, 4, 8, 16, 24 or 32
    bool topDown = false;     // the file stored its top row first
    // Bytes per row: the pixel bits padded to a multiple of 4 bytes, for one
    // bit per pixel ((width + 31) / 32) * 4.
    std::size_t rowSize = 0;
    // The colour table as far as the file holds it (empty above 8 bits per
    // pixel). Entry 0 is the colour of the 0 bits of a monochrome image.
    std::vector<BitmapPaletteEntry> palette;
    // height rows of rowSize bytes, bottom row first, padding included.
    Bytes rows;

    // Image line y, 1 = top line .. height = bottom line: rowSize bytes.
    std::span<const std::uint8_t> line(int y) const;
    // Whether palette entry 0 exists and is black (blue, green, red all 0).
    bool firstColourBlack() const { return !palette.empty() && palette.front().isBlack(); }
};

// Reads a bitmap from the bytes of a whole file; nullopt when they are not an
// acceptable bitmap (see the contract above).
std::optional<Bitmap> parseBitmap(std::span<const std::uint8_t> file);

// Reads the named file (a file-system path) and parses it. A missing file
// raises RuntimeError 53 ("File not found"); one that cannot be read raises
// 75 ("Path/File access error"). A file that is not an acceptable bitmap,
// or is larger than kMaxBitmapFileSize, gives nullopt.
std::optional<Bitmap> readBitmapFile(const std::string& path);

}  // namespace platform
