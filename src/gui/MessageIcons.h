// The four message icons (critical, question, exclamation, information),
// drawn by the front end in code, as pictures the window model can hold
// (an ImageList entry, a PictureBox, a form's icon). Styles are the
// message box icon styles 16, 32, 48 and 64; any other style has no icon.
// Needs a QGuiApplication (it paints with Qt). Nothing here blocks.
#pragma once

#include "platform/forms/Picture.h"

namespace gui {

inline constexpr int kCriticalIcon = 16;
inline constexpr int kQuestionIcon = 32;
inline constexpr int kExclamationIcon = 48;
inline constexpr int kInformationIcon = 64;

// nullptr for a style without an icon.
platform::PicturePtr messageIconPicture(int iconStyle, int sizePixels = 32);

}  // namespace gui
