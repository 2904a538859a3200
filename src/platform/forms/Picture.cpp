#include "platform/forms/Picture.h"

namespace platform {

std::shared_ptr<PictureData> PictureData::filled(int width, int height, std::uint32_t argb) {
    auto p = std::make_shared<PictureData>();
    p->width = width > 0 ? width : 0;
    p->height = height > 0 ? height : 0;
    p->pixels.assign(static_cast<size_t>(p->width) * p->height, argb);
    return p;
}

std::shared_ptr<PictureData> PictureData::fromMonoRows(int width, int height,
                                                       std::vector<std::uint8_t> rows,
                                                       std::uint32_t colour0,
                                                       std::uint32_t colour1) {
    auto p = std::make_shared<PictureData>();
    p->width = width > 0 ? width : 0;
    p->height = height > 0 ? height : 0;
    p->monochrome = true;
    p->monoPalette[0] = colour0;
    p->monoPalette[1] = colour1;
    const size_t stride = static_cast<size_t>(p->monoStride());
    // A short buffer reads as colour 0 rather than past its end.
    rows.resize(stride * p->height, 0);
    p->monoRows = std::move(rows);
    p->pixels.resize(static_cast<size_t>(p->width) * p->height);
    for (int y = 0; y < p->height; ++y) {
        const std::uint8_t* row = p->monoRows.data() + stride * (p->height - 1 - y);
        for (int x = 0; x < p->width; ++x) {
            int bit = (row[x / 8] >> (7 - x % 8)) & 1;
            p->pixels[static_cast<size_t>(y) * p->width + x] = p->monoPalette[bit];
        }
    }
    return p;
}

}  // namespace platform
