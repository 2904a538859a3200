// Monochrome image rows turned into the printer's bit images: the row
// inversion for pictures whose palette entry 0 is black, and the packing of
// a row's dots into a column-major block of k bytes per column (the dot of
// image line l, from 0, and column c lies in byte c × k + l / 8, bit
// 7 − l mod 8; the most significant bit is the topmost dot). Pure functions
// on the caller's buffers; nothing blocks.
#pragma once

#include <cstdint>
#include <span>

#include "platform/Text.h"

namespace diagnostics {

// Complements the row's first `width` dots; the padding bits after them are
// left as they are.
void invertRow(std::span<std::uint8_t> row, int width);

// ORs the set bits among the row's first `dots` dots into `block` as image
// line `line` with k bytes per column. The block must hold dots × k bytes.
void packRow(std::span<const std::uint8_t> row, int dots, int line, int k, platform::Bytes& block);

}  // namespace diagnostics
