#include "platform/forms/Frame.h"

namespace platform {

Frame::Frame(Form& form, std::string name) : Control(form, ControlKind::Frame, std::move(name)) {
    setContainerFlag();
    setDefaultSize(1695, 1215);
    setTabStop(false);
}

Frame::Frame(Control& container, std::string name)
    : Control(container, ControlKind::Frame, std::move(name)) {
    setContainerFlag();
    setDefaultSize(1695, 1215);
    setTabStop(false);
}

void Frame::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    notify(Property::Caption);
}

void Frame::setBorderStyle(int v) {
    if (v == borderStyle_) return;
    borderStyle_ = v;
    notify(Property::BorderStyle);
}

void Frame::accessKeyAction() { focusNextInTabOrder(); }

}  // namespace platform
