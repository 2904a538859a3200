// The maker's logo of the main window, drawn once in code so that no image
// file has to travel with the program (the message box icons are the
// system's standard ones). The picture is immutable and shared.
#pragma once

#include "platform/forms/Picture.h"

namespace shell {

// The logo beside the main window's buttons.
platform::PicturePtr makerLogo();

}  // namespace shell
