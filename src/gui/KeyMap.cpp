#include "gui/KeyMap.h"

#include "gui/Convert.h"
#include "platform/forms/Keys.h"

namespace gui {

namespace {

struct KeyCodeEntry {
    int qtKey;
    int keyCode;
};

// Keys whose model code is not their character code. The shifted
// punctuation of a US layout maps to the key that carries it.
constexpr KeyCodeEntry kKeyCodes[] = {
    {Qt::Key_Backspace, platform::vbKeyBack}, {Qt::Key_Tab, platform::vbKeyTab},
    {Qt::Key_Backtab, platform::vbKeyTab},    {Qt::Key_Return, platform::vbKeyReturn},
    {Qt::Key_Enter, platform::vbKeyReturn},   {Qt::Key_Shift, platform::vbKeyShift},
    {Qt::Key_Control, platform::vbKeyControl}, {Qt::Key_Alt, platform::vbKeyMenu},
    {Qt::Key_Escape, platform::vbKeyEscape},  {Qt::Key_Space, platform::vbKeySpace},
    {Qt::Key_PageUp, platform::vbKeyPageUp},  {Qt::Key_PageDown, platform::vbKeyPageDown},
    {Qt::Key_End, platform::vbKeyEnd},        {Qt::Key_Home, platform::vbKeyHome},
    {Qt::Key_Left, platform::vbKeyLeft},      {Qt::Key_Up, platform::vbKeyUp},
    {Qt::Key_Right, platform::vbKeyRight},    {Qt::Key_Down, platform::vbKeyDown},
    {Qt::Key_Insert, platform::vbKeyInsert},  {Qt::Key_Delete, platform::vbKeyDelete},
    {Qt::Key_Pause, 19},                      {Qt::Key_CapsLock, 20},
    {Qt::Key_Semicolon, 186}, {Qt::Key_Colon, 186},        {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},      {Qt::Key_Comma, 188},        {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},     {Qt::Key_Underscore, 189},   {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},   {Qt::Key_Slash, 191},        {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192}, {Qt::Key_AsciiTilde, 192},   {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219}, {Qt::Key_Backslash, 220},    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},  {Qt::Key_Exclam, '1'},       {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},      {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
};

constexpr int kNumpad0 = 96;

int keyCodeOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? kNumpad0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return platform::vbKeyF1 + (key - Qt::Key_F1);
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Period: return 110;
        case Qt::Key_Slash: return 111;
        default: break;
        }
    }
    for (const KeyCodeEntry& e : kKeyCodes)
        if (e.qtKey == key) return e.keyCode;
    return 0;
}

int asciiOf(const QKeyEvent& event, int keyCode, int shift) {
    if (shift & platform::vbAltMask) return 0;
    // Ctrl with a letter types the control character of that letter.
    if ((shift & platform::vbCtrlMask) && keyCode >= platform::vbKeyA && keyCode <= platform::vbKeyZ)
        return keyCode - platform::vbKeyA + 1;
    const std::string text = fromQString(event.text());
    if (text.size() != 1) return 0;
    const int c = static_cast<unsigned char>(text[0]);
    // Of the control characters only these are typed; Delete and the
    // cursor keys type nothing.
    if (c < ' ' && c != platform::vbKeyBack && c != platform::vbKeyReturn && c != platform::vbKeyEscape)
        return 0;
    return c == 0x7F ? 0 : c;
}

}  // namespace

int shiftStateOf(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= platform::vbShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= platform::vbCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= platform::vbAltMask;
    return shift;
}

std::optional<ModelKey> modelKeyOf(const QKeyEvent& event) {
    ModelKey k;
    k.shift = shiftStateOf(event.modifiers());
    // Shift+Tab arrives as its own key; the model sees Tab with Shift.
    if (event.key() == Qt::Key_Backtab) k.shift |= platform::vbShiftMask;
    k.keyCode = keyCodeOf(event);
    k.keyAscii = asciiOf(event, k.keyCode, k.shift);
    if (k.keyCode == 0 && k.keyAscii == 0) return std::nullopt;
    return k;
}

}  // namespace gui
