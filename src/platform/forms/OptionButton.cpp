#include "platform/forms/OptionButton.h"

#include <algorithm>

#include "platform/forms/Keys.h"

namespace platform {

OptionButton::OptionButton(Form& form, std::string name)
    : FocusableControl(form, ControlKind::OptionButton, std::move(name)) {}

OptionButton::OptionButton(Control& container, std::string name)
    : FocusableControl(container, ControlKind::OptionButton, std::move(name)) {}

void OptionButton::setCaption(std::string caption) {
    assign(caption_, std::move(caption), Property::Caption);
}

std::vector<OptionButton*> OptionButton::group() const {
    std::vector<OptionButton*> out;
    for (Control* c : form().controls())
        if (auto* o = dynamic_cast<OptionButton*>(c); o && o != this && o->Container() == Container())
            out.push_back(o);
    return out;
}

void OptionButton::setValue(bool value) {
    if (value == value_) return;
    if (value)
        for (OptionButton* o : group())
            if (o->value_) {
                o->value_ = false;
                o->notify(Property::Value);
            }
    value_ = value;
    notify(Property::Value);
    if (value) raise(Click);
}

void OptionButton::setAlignment(int a) {
    assign(alignment_, a, Property::Alignment);
}

void OptionButton::userClick() { setValue(true); }

void OptionButton::accessKeyAction() {
    SetFocus();
    setValue(true);
}

bool OptionButton::keyDownAction(int keyCode, int /*shift*/) {
    int step = 0;
    if (keyCode == vbKeyDown || keyCode == vbKeyRight) step = 1;
    if (keyCode == vbKeyUp || keyCode == vbKeyLeft) step = -1;
    if (step == 0) return false;
    // Arrow keys walk the group in tab order and choose as they go.
    std::vector<OptionButton*> ring = group();
    ring.push_back(this);
    ring.erase(std::remove_if(ring.begin(), ring.end(),
                              [this](OptionButton* o) { return o != this && !o->canTakeFocus(); }),
               ring.end());
    std::stable_sort(ring.begin(), ring.end(),
                     [](OptionButton* a, OptionButton* b) { return a->TabIndex() < b->TabIndex(); });
    auto it = std::find(ring.begin(), ring.end(), this);
    long pos = (it - ring.begin() + step + static_cast<long>(ring.size())) %
               static_cast<long>(ring.size());
    OptionButton* next = ring[static_cast<size_t>(pos)];
    if (next == this) return true;
    next->SetFocus();
    next->setValue(true);
    return true;
}

bool OptionButton::keyPressAction(int keyAscii) {
    if (keyAscii != ' ') return false;
    setValue(true);
    return true;
}

}  // namespace platform
