#include "platform/forms/UserInput.h"

#include <algorithm>

#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Keys.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/TextBox.h"

namespace platform {

namespace {

CommandButton* buttonWith(Form& form, bool (CommandButton::*flag)() const) {
    for (Control* c : form.controls())
        if (auto* b = dynamic_cast<CommandButton*>(c); b && (b->*flag)()) return b;
    return nullptr;
}

// Key code and shift state that type a character on a plain US layout.
void keyFor(unsigned char ch, int& keyCode, int& shift) {
    shift = 0;
    keyCode = 0;
    if (ch >= 'a' && ch <= 'z') {
        keyCode = ch - 32;
    } else if (ch >= 'A' && ch <= 'Z') {
        keyCode = ch;
        shift = vbShiftMask;
    } else if (ch >= '0' && ch <= '9') {
        keyCode = ch;
    } else {
        switch (ch) {
        case ' ': keyCode = vbKeySpace; break;
        case '\r': keyCode = vbKeyReturn; break;
        case '\b': keyCode = vbKeyBack; break;
        case '\t': keyCode = vbKeyTab; break;
        case 0x1B: keyCode = vbKeyEscape; break;
        case ';': keyCode = 186; break;
        case '=': keyCode = 187; break;
        case ',': keyCode = 188; break;
        case '-': keyCode = 189; break;
        case '.': keyCode = 190; break;
        case '/': keyCode = 191; break;
        case '`': keyCode = 192; break;
        case '[': keyCode = 219; break;
        case '\\': keyCode = 220; break;
        case ']': keyCode = 221; break;
        case '\'': keyCode = 222; break;
        default: break;  // no key of its own; KeyDown sees 0
        }
    }
}

}  // namespace

bool UserInput::reachable(const Control& control) {
    return Forms::acceptsInput(control.form()) && control.effectiveEnabled() &&
           control.effectiveVisible();
}

bool UserInput::click(Control& control) {
    Form& form = control.form();
    Form::HandlerScope scope(form);
    if (!reachable(control)) return false;
    form.activate();
    if (control.focusable()) {
        control.SetFocus();
        // A focus handler may have disabled or hidden what was clicked.
        if (!reachable(control)) return true;
    }
    control.userClick();
    return true;
}

bool UserInput::doubleClick(Control& control) {
    Form::HandlerScope scope(control.form());
    if (!click(control)) return false;
    if (reachable(control)) control.raise(control.DblClick);
    return true;
}

bool UserInput::focus(Control& control) {
    Form& form = control.form();
    Form::HandlerScope scope(form);
    if (!reachable(control) || !control.focusable()) return false;
    form.activate();
    control.SetFocus();
    return control.hasFocus();
}

bool UserInput::activate(Form& form) {
    Form::HandlerScope scope(form);
    if (!Forms::acceptsInput(form)) return false;
    form.activate();
    return true;
}

bool UserInput::type(TextBox& box, std::string_view text) {
    Form& form = box.form();
    Form::HandlerScope scope(form);
    if (!focus(box)) return false;
    for (char ch : text) {
        if (!Forms::acceptsInput(form)) break;
        int keyCode, shift;
        keyFor(static_cast<unsigned char>(ch), keyCode, shift);
        processKey(form, keyCode, shift, static_cast<unsigned char>(ch));
    }
    return true;
}

bool UserInput::editText(TextBox& box, std::string text) {
    Form::HandlerScope scope(box.form());
    if (!focus(box) || box.Locked()) return false;
    // A single-line box keeps only the first line of a paste, as desktop
    // edit fields do; a stray line break would otherwise travel on into an
    // address or a settings file.
    if (!box.MultiLine()) {
        const auto cut = text.find_first_of("\r\n");
        if (cut != std::string::npos) text.resize(cut);
    }
    if (box.MaxLength() > 0 && static_cast<int>(text.size()) > box.MaxLength())
        text.resize(static_cast<size_t>(box.MaxLength()));
    const int caret = static_cast<int>(text.size());
    box.setTextKeepCaret(std::move(text), caret);
    return true;
}

bool UserInput::chooseListItem(ComboBox& combo, int index) {
    Form::HandlerScope scope(combo.form());
    if (!focus(combo) || combo.Locked()) return false;
    if (index < 0 || index >= combo.ListCount()) return false;
    combo.setListIndex(index);
    return true;
}

bool UserInput::closeBox(Form& form) {
    Form::HandlerScope scope(form);
    if (!Forms::acceptsInput(form) || !form.ControlBox()) return false;
    form.unload(vbFormControlMenu);
    return true;
}

bool UserInput::pressKey(Form& form, int keyCode, int shift, int keyAscii) {
    Form::HandlerScope scope(form);
    if (!Forms::acceptsInput(form)) return false;
    if (keyAscii == kAutoAscii) keyAscii = keyAsciiOf(keyCode, shift);
    return processKey(form, keyCode, shift, keyAscii);
}

bool UserInput::processKey(Form& form, int keyCode, int shift, int keyAscii) {
    if (preKey(form, keyCode, shift)) return true;
    // A character without a key of its own (typed text beyond ASCII) comes
    // as KeyPress alone.
    if (keyCode != 0) keyDown(form, keyCode, shift);
    if (keyAscii > 0 && Forms::acceptsInput(form)) keyPress(form, keyAscii);
    if (keyCode != 0 && Forms::acceptsInput(form)) keyUp(form, keyCode, shift);
    return true;
}

// Keys the window itself takes before any key event: focus movement,
// access keys, and Enter/Esc for the Default and Cancel buttons.
bool UserInput::preKey(Form& form, int keyCode, int shift) {
    const bool plain = (shift & (vbCtrlMask | vbAltMask)) == 0;
    if (keyCode == vbKeyTab && plain) {
        moveFocus(form, (shift & vbShiftMask) == 0);
        return true;
    }
    const bool letterOrDigit =
        (keyCode >= vbKeyA && keyCode <= vbKeyZ) || (keyCode >= vbKey0 && keyCode <= vbKey9);
    if ((shift & vbAltMask) && letterOrDigit && accessKey(form, static_cast<char>(keyCode)))
        return true;
    if (shift != 0) return false;
    if (keyCode == vbKeyReturn) {
        Control* focused = form.ActiveControl();
        if (auto* b = dynamic_cast<CommandButton*>(focused)) {
            b->raise(b->Click);
            return true;
        }
        CommandButton* def = buttonWith(form, &CommandButton::Default);
        if (def && reachable(*def)) {
            def->userClick();
            return true;
        }
    }
    if (keyCode == vbKeyEscape) {
        CommandButton* cancel = buttonWith(form, &CommandButton::Cancel);
        if (cancel && reachable(*cancel)) {
            cancel->userClick();
            return true;
        }
    }
    return false;
}

// With KeyPreview the form sees the key first and may swallow it (0);
// without, the form sees keys only while no control has the focus.
void UserInput::keyDown(Form& form, int keyCode, int shift) {
    Control* target = form.ActiveControl();
    int code = keyCode;
    if (!target || form.KeyPreview()) {
        form.Form_KeyDown(code, shift);
        if (!target || code == 0) return;
    }
    if (target != form.ActiveControl() || !reachable(*target)) return;
    target->raiseKeyDown(code, shift);
    if (code == 0 || !reachable(*target)) return;
    target->keyDownAction(code, shift);
}

void UserInput::keyPress(Form& form, int keyAscii) {
    Control* target = form.ActiveControl();
    int ascii = keyAscii;
    if (!target || form.KeyPreview()) {
        form.Form_KeyPress(ascii);
        if (!target || ascii == 0) return;
    }
    if (target != form.ActiveControl() || !reachable(*target)) return;
    target->raiseKeyPress(ascii);
    if (ascii == 0 || !reachable(*target)) return;
    target->keyPressAction(ascii);
}

void UserInput::keyUp(Form& form, int keyCode, int shift) {
    Control* target = form.ActiveControl();
    int code = keyCode;
    if (!target || form.KeyPreview()) {
        form.Form_KeyUp(code, shift);
        if (!target || code == 0) return;
    }
    if (target != form.ActiveControl() || !reachable(*target)) return;
    target->raiseKeyUp(code, shift);
}

bool UserInput::accessKey(Form& form, char key) {
    std::vector<Control*> matches;
    for (Control* c : form.controls())
        if (accessKeyOf(c->accessCaption()) == key && c->effectiveEnabled() && c->effectiveVisible())
            matches.push_back(c);
    if (matches.empty()) return false;
    std::stable_sort(matches.begin(), matches.end(),
                     [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    // Repeating a key shared by several controls walks through them.
    Control* chosen = matches.front();
    auto it = std::find(matches.begin(), matches.end(), form.ActiveControl());
    if (it != matches.end() && std::next(it) != matches.end()) chosen = *std::next(it);
    chosen->accessKeyAction();
    return true;
}

void UserInput::moveFocus(Form& form, bool forward) {
    Control* focused = form.ActiveControl();
    std::vector<Control*> order;
    for (Control* c : form.tabOrder()) {
        auto* o = dynamic_cast<OptionButton*>(c);
        if (!o) {
            order.push_back(c);
            continue;
        }
        // An option group is one tab stop: its chosen button, else its
        // first, unless the focus is already inside the group.
        auto group = o->group();
        auto inGroup = [&](Control* x) {
            return x == o || std::find(group.begin(), group.end(), x) != group.end();
        };
        bool anyChosen = o->Value();
        for (OptionButton* g : group) anyChosen = anyChosen || g->Value();
        bool take;
        if (focused && inGroup(focused))
            take = c == focused;
        else if (anyChosen)
            take = o->Value();
        else
            take = std::none_of(order.begin(), order.end(), inGroup);
        if (take) order.push_back(c);
    }
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), focused);
    const long n = static_cast<long>(order.size());
    long pos;
    if (it == order.end())
        pos = forward ? 0 : n - 1;
    else
        pos = ((it - order.begin()) + (forward ? 1 : -1) + n) % n;
    Control* next = order[static_cast<size_t>(pos)];
    next->SetFocus();
    // Tabbing into a text box selects its text, so typing replaces it.
    if (auto* box = dynamic_cast<TextBox*>(next); box && box->hasFocus()) {
        box->setSelStart(0);
        box->setSelLength(static_cast<int>(box->Text().size()));
    }
}

}  // namespace platform
