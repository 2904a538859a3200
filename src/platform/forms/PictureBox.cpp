#include "platform/forms/PictureBox.h"

namespace platform {

namespace {
// A fixed single border takes two pixels on each side.
constexpr int kBorderTwips = 2 * kTwipsPerPixel;
}  // namespace

PictureBox::PictureBox(Form& form, std::string name)
    : FocusableControl(form, ControlKind::PictureBox, std::move(name)) {
    setContainerFlag();
}

PictureBox::PictureBox(Control& container, std::string name)
    : FocusableControl(container, ControlKind::PictureBox, std::move(name)) {
    setContainerFlag();
}

void PictureBox::setPicture(PicturePtr picture) {
    if (!assign(picture_, std::move(picture), Property::Picture)) return;
    fit();
    raise(Change);
}

void PictureBox::setAutoSize(bool on) {
    if (!assign(autoSize_, on, Property::AutoSize)) return;
    fit();
}

void PictureBox::setBorderStyle(int v) {
    if (!assign(borderStyle_, v, Property::BorderStyle)) return;
    fit();
}

int PictureBox::ScaleWidth() const {
    return Width() - (borderStyle_ ? 2 * kBorderTwips : 0);
}

int PictureBox::ScaleHeight() const {
    return Height() - (borderStyle_ ? 2 * kBorderTwips : 0);
}

void PictureBox::fit() {
    if (!autoSize_ || !picture_) return;
    const int border = borderStyle_ ? 2 * kBorderTwips : 0;
    Move(Left(), Top(), picture_->width * kTwipsPerPixel + border,
         picture_->height * kTwipsPerPixel + border);
}

}  // namespace platform
