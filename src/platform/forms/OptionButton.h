// OptionButton: exclusive within its container (the form or one Frame or
// PictureBox). Setting Value True clears the siblings' Value (they raise
// nothing) and raises Click at once when it was False; setting it to the
// value it has raises nothing.
#pragma once

#include "platform/forms/Control.h"

namespace platform {

class OptionButton : public FocusableControl {
public:
    OptionButton(Form& form, std::string name);
    OptionButton(Control& container, std::string name);

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    bool Value() const { return value_; }
    void setValue(bool value);
    int Alignment() const { return alignment_; }
    void setAlignment(int a);
    // The other option buttons of the same container.
    std::vector<OptionButton*> group() const;

    const std::string& accessCaption() const override { return caption_; }

protected:
    void userClick() override;
    void accessKeyAction() override;
    bool keyDownAction(int keyCode, int shift) override;
    bool keyPressAction(int keyAscii) override;

private:
    std::string caption_;
    bool value_ = false;
    int alignment_ = vbLeftJustify;
};

}  // namespace platform
