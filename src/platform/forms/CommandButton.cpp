#include "platform/forms/CommandButton.h"

namespace platform {

CommandButton::CommandButton(Form& form, std::string name)
    : FocusableControl(form, ControlKind::CommandButton, std::move(name)) {}

CommandButton::CommandButton(Control& container, std::string name)
    : FocusableControl(container, ControlKind::CommandButton, std::move(name)) {}

void CommandButton::setCaption(std::string caption) {
    assign(caption_, std::move(caption), Property::Caption);
}

void CommandButton::setDefault(bool on) {
    if (on == default_) return;
    if (on)
        for (Control* c : form().controls())
            if (auto* b = dynamic_cast<CommandButton*>(c); b && b != this) b->setDefault(false);
    default_ = on;
    notify(Property::Default);
}

void CommandButton::setCancel(bool on) {
    if (on == cancel_) return;
    if (on)
        for (Control* c : form().controls())
            if (auto* b = dynamic_cast<CommandButton*>(c); b && b != this) b->setCancel(false);
    cancel_ = on;
    notify(Property::Cancel);
}

void CommandButton::setValue(bool on) {
    if (on) raise(Click);
}

void CommandButton::setPicture(PicturePtr picture) {
    picture_ = std::move(picture);
    notify(Property::Picture);
}

void CommandButton::accessKeyAction() {
    SetFocus();
    raise(Click);
}

bool CommandButton::keyPressAction(int keyAscii) {
    if (keyAscii != ' ' && keyAscii != '\r') return false;
    raise(Click);
    return true;
}

}  // namespace platform
