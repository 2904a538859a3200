#include "diagnostics/BitImage.h"

namespace diagnostics {

void invertRow(std::span<std::uint8_t> row, int width) {
    const auto whole = static_cast<std::size_t>(width / 8);
    for (std::size_t x = 0; x < whole; ++x) row[x] = static_cast<std::uint8_t>(~row[x]);
    if (const int r = width % 8; r != 0) row[whole] ^= static_cast<std::uint8_t>((255u << (8 - r)) & 0xFF);
}

void packRow(std::span<const std::uint8_t> row, int dots, int line, int k, platform::Bytes& block) {
    const auto bytesPerColumn = static_cast<std::size_t>(k);
    const std::size_t within = static_cast<std::size_t>(line) / 8;
    const auto bit = static_cast<std::uint8_t>(0x80 >> (line % 8));
    for (std::size_t c = 0; c < static_cast<std::size_t>(dots); ++c)
        if (row[c / 8] & (0x80 >> (c % 8))) block[c * bytesPerColumn + within] |= bit;
}

}  // namespace diagnostics
