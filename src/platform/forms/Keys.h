// Key codes and shift-state bits of the keyboard events (KeyDown/KeyUp take
// a key code and a shift state, KeyPress a character code). Letters and
// digits use their upper-case ASCII codes as key codes.
#pragma once

namespace platform {

inline constexpr int vbShiftMask = 1;
inline constexpr int vbCtrlMask = 2;
inline constexpr int vbAltMask = 4;

inline constexpr int vbKeyBack = 8;
inline constexpr int vbKeyTab = 9;
inline constexpr int vbKeyReturn = 13;
inline constexpr int vbKeyShift = 16;
inline constexpr int vbKeyControl = 17;
inline constexpr int vbKeyMenu = 18;
inline constexpr int vbKeyEscape = 27;
inline constexpr int vbKeySpace = 32;
inline constexpr int vbKeyPageUp = 33;
inline constexpr int vbKeyPageDown = 34;
inline constexpr int vbKeyEnd = 35;
inline constexpr int vbKeyHome = 36;
inline constexpr int vbKeyLeft = 37;
inline constexpr int vbKeyUp = 38;
inline constexpr int vbKeyRight = 39;
inline constexpr int vbKeyDown = 40;
inline constexpr int vbKeyInsert = 45;
inline constexpr int vbKeyDelete = 46;
inline constexpr int vbKey0 = 48;
inline constexpr int vbKey9 = 57;
inline constexpr int vbKeyA = 65;
inline constexpr int vbKeyZ = 90;
inline constexpr int vbKeyF1 = 112;
inline constexpr int vbKeyF2 = 113;
inline constexpr int vbKeyF3 = 114;
inline constexpr int vbKeyF4 = 115;
inline constexpr int vbKeyF5 = 116;
inline constexpr int vbKeyF6 = 117;
inline constexpr int vbKeyF7 = 118;
inline constexpr int vbKeyF8 = 119;
inline constexpr int vbKeyF9 = 120;
inline constexpr int vbKeyF10 = 121;
inline constexpr int vbKeyF11 = 122;
inline constexpr int vbKeyF12 = 123;

// The character a key produces on a plain keyboard layout (letters, digits,
// space, Enter, Esc, Backspace), or 0 when it produces none (function and
// cursor keys, Tab, and any key with Ctrl or Alt held).
int keyAsciiOf(int keyCode, int shift);

}  // namespace platform
