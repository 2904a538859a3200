// The logo the test receipts print: a monochrome picture of 263 by 77 dots
// (the utility's name in block letters in a frame), kept as data. Shared,
// immutable; nothing blocks.
#pragma once

#include "platform/forms/Picture.h"

namespace diagnostics {

inline constexpr int kAxoLogoWidth = 263;
inline constexpr int kAxoLogoHeight = 77;

// The picture as a 1-bpp bitmap would hold it: rows bottom first, each
// padded to 36 bytes, palette entry 0 black (bit 0 is a printed dot).
platform::PicturePtr axoLogoPicture();

}  // namespace diagnostics
