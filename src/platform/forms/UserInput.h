// UserInput: what a person can do to the window model, for the front end
// (which turns real mouse and keyboard input into these calls) and for the
// tests (through TestDriver), so both go through the same rules:
// - nothing reaches a form the user cannot reach (unloaded, hidden,
//   disabled, or behind a modal form) nor a control that is not
//   effectively enabled and visible; such input is dropped and the call
//   returns false;
// - a click on a control that can hold the focus moves the focus there
//   first (LostFocus, GotFocus), then acts;
// - keys go to the form first when KeyPreview is set (KeyDown, KeyPress and
//   KeyUp; 0 swallows), then to the focused control; Tab/Shift+Tab move the
//   focus in tab order, Alt+letter uses access keys, Enter clicks the
//   focused button or else the Default button, Esc the Cancel button.
// Every call runs the handlers it causes on the caller's stack, so a call
// may not return until a modal window it opened has closed.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class Control;
class ComboBox;
class Form;
class TextBox;

inline constexpr int kAutoAscii = -1;

class UserInput {
public:
    // A mouse click: a button clicks, a check box toggles, an option button
    // is chosen, a label or frame raises its Click.
    bool click(Control& control);
    bool doubleClick(Control& control);
    // Focus the box and type the characters one by one as key presses
    // (so KeyPress handlers, Locked and MaxLength apply). "\r" is Enter,
    // "\b" Backspace, "\t" Tab, "\x1b" Esc.
    bool type(TextBox& box, std::string_view text);
    // Focus the box and replace its whole text (a paste or an input method
    // commit): MaxLength cuts, Locked refuses; raises Change.
    bool editText(TextBox& box, std::string text);
    // One key: KeyDown, KeyPress with the character (kAutoAscii: the one the
    // key makes on a plain layout; 0: none), KeyUp, and the key's action.
    bool pressKey(Form& form, int keyCode, int shift = 0, int keyAscii = kAutoAscii);
    // Choose an entry from the drop-down list (focuses the combo first).
    bool chooseListItem(ComboBox& combo, int index);
    // The title bar's close box: QueryUnload with vbFormControlMenu.
    bool closeBox(Form& form);
    // Focus a control by clicking into it without other action.
    bool focus(Control& control);
    // Bring a form to the front (Activate/Deactivate).
    bool activate(Form& form);

    // Whether user input can reach the control now.
    static bool reachable(const Control& control);

private:
    bool processKey(Form& form, int keyCode, int shift, int keyAscii);
    bool preKey(Form& form, int keyCode, int shift);
    void keyDown(Form& form, int keyCode, int shift);
    void keyPress(Form& form, int keyAscii);
    void keyUp(Form& form, int keyCode, int shift);
    bool accessKey(Form& form, char key);
    void moveFocus(Form& form, bool forward);
};

}  // namespace platform
