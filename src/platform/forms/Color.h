// Colours as the utility's controls store them: 0x00BBGGRR for a plain
// colour, or 0x800000nn for a system colour that the desktop decides. The
// front end resolves system colours with systemColorRgb (or its own theme);
// the model only stores the number. Nothing here blocks.
#pragma once

#include <cstdint>

namespace platform {

using Color = std::uint32_t;

inline constexpr Color RGB(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

inline constexpr Color vbBlack = 0x000000;
inline constexpr Color vbWhite = 0xFFFFFF;
inline constexpr Color vbRed = 0x0000FF;
inline constexpr Color vbGreen = 0x00FF00;
inline constexpr Color vbBlue = 0xFF0000;
inline constexpr Color vbYellow = 0x00FFFF;
inline constexpr Color vbMagenta = 0xFF00FF;
inline constexpr Color vbCyan = 0xFFFF00;

inline constexpr Color vbScrollBars = 0x80000000;
inline constexpr Color vbDesktop = 0x80000001;
inline constexpr Color vbActiveTitleBar = 0x80000002;
inline constexpr Color vbInactiveTitleBar = 0x80000003;
inline constexpr Color vbMenuBar = 0x80000004;
inline constexpr Color vbWindowBackground = 0x80000005;
inline constexpr Color vbWindowFrame = 0x80000006;
inline constexpr Color vbMenuText = 0x80000007;
inline constexpr Color vbWindowText = 0x80000008;
inline constexpr Color vbTitleBarText = 0x80000009;
inline constexpr Color vbActiveBorder = 0x8000000A;
inline constexpr Color vbInactiveBorder = 0x8000000B;
inline constexpr Color vbApplicationWorkspace = 0x8000000C;
inline constexpr Color vbHighlight = 0x8000000D;
inline constexpr Color vbHighlightText = 0x8000000E;
inline constexpr Color vbButtonFace = 0x8000000F;
inline constexpr Color vbButtonShadow = 0x80000010;
inline constexpr Color vbGrayText = 0x80000011;
inline constexpr Color vbButtonText = 0x80000012;
inline constexpr Color vbInactiveCaptionText = 0x80000013;
inline constexpr Color vb3DHighlight = 0x80000014;
inline constexpr Color vb3DDKShadow = 0x80000015;
inline constexpr Color vb3DLight = 0x80000016;
inline constexpr Color vbInfoText = 0x80000017;
inline constexpr Color vbInfoBackground = 0x80000018;

inline constexpr bool isSystemColor(Color c) { return (c & 0xFF000000u) == 0x80000000u; }

// The plain colour (0x00BBGGRR) a system colour stands for on a classic grey
// desktop; plain colours are returned unchanged (upper byte cleared).
Color systemColorRgb(Color c);

inline constexpr int redOf(Color c) { return static_cast<int>(c & 0xFF); }
inline constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int blueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

}  // namespace platform
