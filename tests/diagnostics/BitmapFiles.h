// Bitmap files for the tests: 1-bit files drawn by a function, and other
// shapes a user might pick by mistake.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/Text.h"

namespace diagtest {

inline void put32(platform::Bytes& file, std::size_t at, std::int64_t value) {
    for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A 1-bit file of width × height whose dot (x, y) from the top left is
// black where black(x, y); palette entry 0 is black or white as asked.
inline platform::Bytes monoBitmap(int width, int height, bool blackFirst, const std::function<bool(int, int)>& black,
                                  bool topDown = false) {
    const int row = ((width + 31) / 32) * 4;
    platform::Bytes file(62 + static_cast<std::size_t>(row * height), 0);
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, static_cast<std::int64_t>(file.size()));
    put32(file, 10, 62);
    put32(file, 14, 40);
    put32(file, 18, width);
    put32(file, 22, topDown ? -height : height);
    file[26] = 1;
    file[28] = 1;
    put32(file, 58, blackFirst ? 0x00FFFFFF : 0);
    put32(file, 54, blackFirst ? 0 : 0x00FFFFFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (black(x, y) != blackFirst) {
                const int stored = topDown ? y : height - 1 - y;
                file[62 + static_cast<std::size_t>(stored * row + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
    return file;
}

inline void writeFile(const std::filesystem::path& path, const platform::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace diagtest
