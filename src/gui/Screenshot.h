// Screenshots of the model's windows, for people to review what a window
// looks like (the GUI tests leave them under the build folder). Works on
// any Qt platform, offscreen included (QT_QPA_PLATFORM=offscreen); a
// process without a QApplication gets one on first use, kept for the rest
// of its life. Uses the current Renderer's window for the form, or a
// renderer made for the call. Blocks only for painting and writing the file.
#pragma once

#include <string>

#include "platform/forms/Picture.h"

namespace platform {
class Control;
class Form;
}  // namespace platform

namespace gui {

// Draws the form as the desktop shows it (frame, title bar with icon,
// caption and close box, and every visible control), at the model's outer
// size in pixels (twips / 15), and writes it as PNG to `path`, making the
// folders on the way. The form need not be shown. Returns false when the
// file cannot be written.
bool saveScreenshot(platform::Form& form, const std::string& path);

// The same drawing as a picture, for checks that need no Qt.
platform::PicturePtr screenshotPicture(platform::Form& form);

// Where a control's outer edge lies in a screenshot of its form, in pixels.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
};
PixelRect screenshotRect(const platform::Control& control);

}  // namespace gui
