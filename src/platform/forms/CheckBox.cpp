#include "platform/forms/CheckBox.h"

#include "platform/RuntimeError.h"

namespace platform {

CheckBox::CheckBox(Form& form, std::string name)
    : FocusableControl(form, ControlKind::CheckBox, std::move(name)) {}

CheckBox::CheckBox(Control& container, std::string name)
    : FocusableControl(container, ControlKind::CheckBox, std::move(name)) {}

void CheckBox::setCaption(std::string caption) {
    assign(caption_, std::move(caption), Property::Caption);
}

void CheckBox::setValue(int value) {
    if (value < vbUnchecked || value > vbGrayed)
        throw RuntimeError(err::InvalidProperty, "Invalid property value");
    if (!assign(value_, value, Property::Value)) return;
    raise(Click);
}

void CheckBox::setAlignment(int a) {
    assign(alignment_, a, Property::Alignment);
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
