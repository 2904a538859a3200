// Image: a picture without a border that cannot take the focus. Without
// Stretch it takes the picture's size when a picture is assigned.
#pragma once

#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"

namespace platform {

class Image : public Control {
public:
    Image(Form& form, std::string name);
    Image(Control& container, std::string name);

    const PicturePtr& Picture() const { return picture_; }
    void setPicture(PicturePtr picture);
    bool Stretch() const { return stretch_; }
    void setStretch(bool on);

protected:
    void effectiveStateChanged() override {}

private:
    PicturePtr picture_;
    bool stretch_ = false;
};

}  // namespace platform
