#include "platform/forms/CheckBox.h"

#include "platform/RuntimeError.h"

namespace platform {

CheckBox::CheckBox(Form& form, std::string name)
    : FocusableControl(form, ControlKind::CheckBox, std::move(name)) {}

CheckBox::CheckBox(Control& container, std::string name)
    : FocusableControl(container, ControlKind::CheckBox, std::move(name)) {}

void CheckBox::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    notify(Property::Caption);
}

void CheckBox::setValue(int value) {
    if (value < vbUnchecked || value > vbGrayed)
        throw RuntimeError(err::InvalidProperty, "Invalid property value");
    if (value == value_) return;
    value_ = value;
    notify(Property::Value);
    raise(Click);
}

void CheckBox::setAlignment(int a) {
    if (a == alignment_) return;
    alignment_ = a;
    notify(Property::Alignment);
}

void CheckBox::userClick() { setValue(value_ == vbUnchecked ? vbChecked : vbUnchecked); }

void CheckBox::accessKeyAction() {
    SetFocus();
    userClick();
}

bool CheckBox::keyPressAction(int keyAscii) {
    if (keyAscii != ' ') return false;
    userClick();
    return true;
}

}  // namespace platform
