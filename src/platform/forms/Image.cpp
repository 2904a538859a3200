#include "platform/forms/Image.h"

namespace platform {

Image::Image(Form& form, std::string name) : Control(form, ControlKind::Image, std::move(name)) {
    setTabStop(false);
}

Image::Image(Control& container, std::string name)
    : Control(container, ControlKind::Image, std::move(name)) {
    setTabStop(false);
}

void Image::setPicture(PicturePtr picture) {
    if (!assign(picture_, std::move(picture), Property::Picture)) return;
    if (!stretch_ && picture_)
        Move(Left(), Top(), picture_->width * kTwipsPerPixel, picture_->height * kTwipsPerPixel);
}

void Image::setStretch(bool on) {
    assign(stretch_, on, Property::Stretch);
}

}  // namespace platform
