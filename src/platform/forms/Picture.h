// A picture held by a PictureBox, Image, ImageList or a form's icon. Shared
// and immutable once handed to a control (controls keep a
// shared_ptr<const PictureData>); the front end draws `pixels`, the printing
// code reads the 1-bpp rows of a bitmap that was loaded from a 1-bpp file.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

struct PictureData {
    int width = 0;   // pixels
    int height = 0;  // pixels
    // width*height colours 0xAARRGGBB, top row first.
    std::vector<std::uint32_t> pixels;

    // Set for pictures that came from a 1-bit-per-pixel bitmap: the rows as
    // the file holds them, bottom row first, each padded to 4 bytes, with
    // the two palette colours (0xAARRGGBB) of bits 0 and 1.
    bool monochrome = false;
    std::vector<std::uint8_t> monoRows;
    std::uint32_t monoPalette[2] = {0xFF000000u, 0xFFFFFFFFu};

    int monoStride() const { return ((width + 31) / 32) * 4; }

    // A picture of one colour.
    static std::shared_ptr<PictureData> filled(int width, int height, std::uint32_t argb);
    // A picture from 1-bpp rows (bottom row first, 4-byte padded); fills
    // `pixels` from them as well.
    static std::shared_ptr<PictureData> fromMonoRows(int width, int height,
                                                     std::vector<std::uint8_t> rows,
                                                     std::uint32_t colour0 = 0xFF000000u,
                                                     std::uint32_t colour1 = 0xFFFFFFFFu);
};

using PicturePtr = std::shared_ptr<const PictureData>;

}  // namespace platform
