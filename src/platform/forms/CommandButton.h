// CommandButton: a push button with a Caption (its `&` letter is the access
// key). The form's Default button answers Enter and its Cancel button Esc;
// at most one of each per form (setting one clears the other buttons').
#pragma once

#include "platform/forms/Control.h"

namespace platform {

class CommandButton : public FocusableControl {
public:
    CommandButton(Form& form, std::string name);
    CommandButton(Control& container, std::string name);

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    bool Default() const { return default_; }
    void setDefault(bool on);
    bool Cancel() const { return cancel_; }
    void setCancel(bool on);
    // Assigning True clicks the button (raises Click at once).
    void setValue(bool on);
    const PicturePtr& Picture() const { return picture_; }
    void setPicture(PicturePtr picture);

    const std::string& accessCaption() const override { return caption_; }

protected:
    void accessKeyAction() override;
    bool keyPressAction(int keyAscii) override;

private:
    std::string caption_;
    bool default_ = false, cancel_ = false;
    PicturePtr picture_;
};

}  // namespace platform
