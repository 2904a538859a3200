// The numbers a message box takes and gives: its button styles, its icon
// styles and the button that answered it. The utility's modal box
// (shell/ModalMessageBox.h), the link's notices, which the shell shows in
// that box, and the platform's own box (Application::plainMessage) all
// speak them, so they are named once here; StandardIcons.h draws the icons.
#pragma once

namespace platform {

// Button styles.
inline constexpr long vbOKOnly = 0;
inline constexpr long vbOKCancel = 1;
inline constexpr long vbYesNo = 4;
// The answer: the button that closed the box.
inline constexpr long vbOK = 1;
inline constexpr long vbCancel = 2;
inline constexpr long vbYes = 6;
inline constexpr long vbNo = 7;
// Icon styles; any style other than these four shows no icon.
inline constexpr int kNoIcon = 0;
inline constexpr int kCriticalIcon = 16;
inline constexpr int kQuestionIcon = 32;
inline constexpr int kExclamationIcon = 48;
inline constexpr int kInformationIcon = 64;

}  // namespace platform
