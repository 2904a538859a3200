// The system's four standard message icons (critical, question, exclamation,
// information), drawn in code, as pictures the window model can hold (an
// ImageList entry, a PictureBox, a form's icon) and the front end can show
// in its own message boxes. Styles are the message box icon styles
// (MessageBoxStyles.h); any other style has no icon.
//
// Ownership: the pictures are immutable and shared; each style and size is
// drawn once and kept for the life of the program. Single-threaded, like the
// window model; nothing here blocks.
#pragma once

#include "platform/MessageBoxStyles.h"
#include "platform/forms/Picture.h"

namespace platform {

// A sizePixels x sizePixels icon; nullptr for a style without an icon or a
// size that is not positive.
PicturePtr standardIcon(int iconStyle, int sizePixels = 32);

}  // namespace platform
