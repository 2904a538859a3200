// Frame: a captioned container. Disabling or hiding it disables or hides
// its children in effect while their own Enabled and Visible are kept. Its
// access key focuses the first control in tab order after it.
#pragma once

#include "platform/forms/Control.h"

namespace platform {

class Frame : public Control {
public:
    Frame(Form& form, std::string name);
    Frame(Control& container, std::string name);

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int v);

    const std::string& accessCaption() const override { return caption_; }

protected:
    void accessKeyAction() override;

private:
    std::string caption_;
    int borderStyle_ = 1;
};

}  // namespace platform
