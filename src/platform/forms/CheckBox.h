// CheckBox: Value 0 unchecked, 1 checked, 2 grayed. Assigning a different
// Value in code raises Click at once; the same value raises nothing. A user
// click toggles (grayed becomes unchecked).
#pragma once

#include "platform/forms/Control.h"

namespace platform {

inline constexpr int vbUnchecked = 0;
inline constexpr int vbChecked = 1;
inline constexpr int vbGrayed = 2;

class CheckBox : public FocusableControl {
public:
    CheckBox(Form& form, std::string name);
    CheckBox(Control& container, std::string name);

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    int Value() const { return value_; }
    // Values other than 0, 1, 2 raise RuntimeError 380.
    void setValue(int value);
    int Alignment() const { return alignment_; }
    void setAlignment(int a);

    const std::string& accessCaption() const override { return caption_; }

protected:
    void userClick() override;
    void accessKeyAction() override;
    bool keyPressAction(int keyAscii) override;

private:
    std::string caption_;
    int value_ = vbUnchecked;
    int alignment_ = vbLeftJustify;
};

}  // namespace platform
