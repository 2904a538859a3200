#include "platform/forms/TextBox.h"

#include <algorithm>

#include "platform/RuntimeError.h"
#include "platform/forms/Keys.h"

namespace platform {

TextBox::TextBox(Form& form, std::string name)
    : FocusableControl(form, ControlKind::TextBox, std::move(name)) {
    setDefaultSize(1215, 285);
    setBackColor(vbWindowBackground);
    setForeColor(vbWindowText);
}

TextBox::TextBox(Control& container, std::string name)
    : FocusableControl(container, ControlKind::TextBox, std::move(name)) {
    setDefaultSize(1215, 285);
    setBackColor(vbWindowBackground);
    setForeColor(vbWindowText);
}

void TextBox::setText(std::string text) {
    if (text == text_) return;
    // Code that sets the text puts the caret at the start, as the control
    // does.
    setTextKeepCaret(std::move(text), 0);
}

void TextBox::setTextKeepCaret(std::string text, int caret) {
    const bool changed = text != text_;
    text_.swap(text);  // a move assignment here draws a false GCC 12 warning when optimised
    selStart_ = std::clamp(caret, 0, static_cast<int>(text_.size()));
    selLength_ = 0;
    if (changed) notify(Property::Text);
    notify(Property::Selection);
    if (changed) raise(Change);
}

void TextBox::setMaxLength(int n) {
    if (n < 0) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    assign(maxLength_, n, Property::MaxLength);
}

void TextBox::setLocked(bool on) {
    assign(locked_, on, Property::Locked);
}

void TextBox::setSelStart(int pos) {
    if (pos < 0) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    selStart_ = std::min(pos, static_cast<int>(text_.size()));
    selLength_ = 0;
    notify(Property::Selection);
}

void TextBox::setSelLength(int n) {
    if (n < 0) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    selLength_ = std::min(n, static_cast<int>(text_.size()) - selStart_);
    notify(Property::Selection);
}

std::string TextBox::SelText() const {
    return text_.substr(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_));
}

void TextBox::setSelText(const std::string& text) {
    std::string t = text_;
    t.replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), text);
    setTextKeepCaret(std::move(t), selStart_ + static_cast<int>(text.size()));
}

void TextBox::setAlignment(int a) {
    assign(alignment_, a, Property::Alignment);
}

void TextBox::setMultiLine(bool on) {
    assign(multiLine_, on, Property::Multiline);
}

void TextBox::setPasswordChar(char c) {
    assign(passwordChar_, c, Property::PasswordChar);
}

void TextBox::setBorderStyle(int v) {
    assign(borderStyle_, v, Property::BorderStyle);
}

bool TextBox::userInsert(const std::string& text) {
    if (locked_) return false;
    std::string piece = text;
    if (maxLength_ > 0) {
        const int room = maxLength_ - (static_cast<int>(text_.size()) - selLength_);
        if (room <= 0) return false;
        if (static_cast<int>(piece.size()) > room) piece.resize(static_cast<size_t>(room));
    }
    setSelText(piece);
    return true;
}

bool TextBox::keyPressAction(int keyAscii) {
    if (keyAscii == vbKeyBack) {
        if (locked_) return true;
        if (selLength_ == 0 && selStart_ > 0) {
            --selStart_;
            selLength_ = 1;
        }
        if (selLength_ > 0) setSelText("");
        return true;
    }
    if (keyAscii == vbKeyReturn) {
        if (!multiLine_) return false;
        userInsert("\r\n");
        return true;
    }
    if (keyAscii < ' ' || keyAscii > 255) return false;
    userInsert(std::string(1, static_cast<char>(keyAscii)));
    return true;
}

bool TextBox::keyDownAction(int keyCode, int /*shift*/) {
    const int len = static_cast<int>(text_.size());
    switch (keyCode) {
    case vbKeyDelete:
        if (locked_) return true;
        if (selLength_ == 0 && selStart_ < len) selLength_ = 1;
        if (selLength_ > 0) setSelText("");
        return true;
    case vbKeyLeft: setSelStart(std::max(0, selStart_ - 1)); return true;
    case vbKeyRight: setSelStart(std::min(len, selStart_ + selLength_ + 1)); return true;
    case vbKeyHome: setSelStart(0); return true;
    case vbKeyEnd: setSelStart(len); return true;
    default: return false;
    }
}

}  // namespace platform
