#include "platform/forms/Color.h"

namespace platform {

Color systemColorRgb(Color c) {
    if (!isSystemColor(c)) return c & 0x00FFFFFFu;
    // A classic grey desktop; the front end may prefer its own theme.
    static constexpr Color table[] = {
        RGB(200, 200, 200),  // scroll bars
        RGB(0, 128, 128),    // desktop
        RGB(0, 0, 128),      // active title bar
        RGB(128, 128, 128),  // inactive title bar
        RGB(212, 208, 200),  // menu bar
        RGB(255, 255, 255),  // window background
        RGB(0, 0, 0),        // window frame
        RGB(0, 0, 0),        // menu text
        RGB(0, 0, 0),        // window text
        RGB(255, 255, 255),  // title bar text
        RGB(212, 208, 200),  // active border
        RGB(212, 208, 200),  // inactive border
        RGB(128, 128, 128),  // application workspace
        RGB(10, 36, 106),    // highlight
        RGB(255, 255, 255),  // highlight text
        RGB(212, 208, 200),  // button face
        RGB(128, 128, 128),  // button shadow
        RGB(128, 128, 128),  // grey text
        RGB(0, 0, 0),        // button text
        RGB(212, 208, 200),  // inactive caption text
        RGB(255, 255, 255),  // 3D highlight
        RGB(64, 64, 64),     // 3D dark shadow
        RGB(212, 208, 200),  // 3D light
        RGB(0, 0, 0),        // tooltip text
        RGB(255, 255, 225),  // tooltip background
    };
    unsigned index = c & 0xFFu;
    if (index >= sizeof table / sizeof table[0]) return 0;
    return table[index];
}

}  // namespace platform
