// PictureBox: a container that shows a picture and can take the focus.
// With AutoSize it takes the picture's size (pixels * 15 twips, plus the
// border).
#pragma once

#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"

namespace platform {

class PictureBox : public FocusableControl {
public:
    PictureBox(Form& form, std::string name);
    PictureBox(Control& container, std::string name);

    const PicturePtr& Picture() const { return picture_; }
    void setPicture(PicturePtr picture);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int v);
    // Client area (inside the border) in twips.
    int ScaleWidth() const;
    int ScaleHeight() const;

    std::function<void()> Change;

private:
    void fit();

    PicturePtr picture_;
    bool autoSize_ = false;
    int borderStyle_ = 1;
};

}  // namespace platform
