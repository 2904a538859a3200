// TextBox: editable CP1252 text. Assigning a different Text raises Change
// at once. MaxLength (0: no limit) and Locked limit only what the user
// types; code may set any text. SelStart/SelLength is the caret and
// selection, kept inside the text.
#pragma once

#include "platform/forms/Control.h"

namespace platform {

class TextBox : public FocusableControl {
public:
    TextBox(Form& form, std::string name);
    TextBox(Control& container, std::string name);

    const std::string& Text() const { return text_; }
    void setText(std::string text);
    int MaxLength() const { return maxLength_; }
    void setMaxLength(int n);
    bool Locked() const { return locked_; }
    void setLocked(bool on);
    int SelStart() const { return selStart_; }
    void setSelStart(int pos);
    int SelLength() const { return selLength_; }
    void setSelLength(int n);
    std::string SelText() const;
    // Replaces the selection with `text` as code does (no MaxLength check).
    void setSelText(const std::string& text);
    int Alignment() const { return alignment_; }
    void setAlignment(int a);
    bool MultiLine() const { return multiLine_; }
    void setMultiLine(bool on);
    char PasswordChar() const { return passwordChar_; }
    void setPasswordChar(char c);
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int v);

    std::function<void()> Change;

protected:
    bool keyDownAction(int keyCode, int shift) override;
    bool keyPressAction(int keyAscii) override;

private:
    friend class UserInput;
    // A user edit: replaces the selection, respecting Locked and MaxLength.
    bool userInsert(const std::string& text);
    void setTextKeepCaret(std::string text, int caret);

    std::string text_;
    int maxLength_ = 0;
    bool locked_ = false;
    int selStart_ = 0, selLength_ = 0;
    int alignment_ = vbLeftJustify;
    bool multiLine_ = false;
    char passwordChar_ = 0;
    int borderStyle_ = 1;
};

}  // namespace platform
