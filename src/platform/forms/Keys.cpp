#include "platform/forms/Keys.h"

namespace platform {

int keyAsciiOf(int keyCode, int shift) {
    if (shift & (vbCtrlMask | vbAltMask)) return 0;
    bool shifted = (shift & vbShiftMask) != 0;
    if (keyCode >= vbKeyA && keyCode <= vbKeyZ) return shifted ? keyCode : keyCode + 32;
    if (keyCode >= vbKey0 && keyCode <= vbKey9) {
        if (!shifted) return keyCode;
        static const char shiftedDigits[] = ")!@#$%^&*(";
        return shiftedDigits[keyCode - vbKey0];
    }
    switch (keyCode) {
    case vbKeySpace:
    case vbKeyReturn:
    case vbKeyEscape:
    case vbKeyBack:
        return keyCode;
    default:
        return 0;
    }
}

}  // namespace platform
