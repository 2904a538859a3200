// The pictures the shell's windows show: the four message box icons and the
// maker's logo of the main window, drawn once in code so that no image file
// has to travel with the program. The pictures are immutable and shared.
#pragma once

#include "platform/forms/Picture.h"

namespace shell {

// 32 x 32 pixels each.
platform::PicturePtr criticalIcon();
platform::PicturePtr questionIcon();
platform::PicturePtr exclamationIcon();
platform::PicturePtr informationIcon();

// The logo beside the main window's buttons.
platform::PicturePtr makerLogo();

}  // namespace shell
