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
    assign(caption_, std::move(caption), Property::Caption);
}

void Frame::setBorderStyle(int v) {
    assign(borderStyle_, v, Property::BorderStyle);
}

void Frame::accessKeyAction() { focusNextInTabOrder(); }

}  // namespace platform
