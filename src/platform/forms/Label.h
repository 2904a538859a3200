// Label: a caption that cannot take the focus; its access key focuses the
// next control in tab order. With AutoSize the label takes the size of its
// text as the current FontMetrics measures it: without WordWrap it grows or
// shrinks in both directions (the widest line, one line per CR LF); with
// WordWrap it keeps its width, wraps at blanks and sets its height. The
// anchor follows Alignment (left edge, right edge or centre stays put).
#pragma once

#include "platform/forms/Control.h"

namespace platform {

inline constexpr int vbTransparent = 0;
inline constexpr int vbOpaque = 1;

class Label : public Control {
public:
    Label(Form& form, std::string name);
    Label(Control& container, std::string name);

    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);
    int Alignment() const { return alignment_; }
    void setAlignment(int a);
    int BackStyle() const { return backStyle_; }
    void setBackStyle(int v);
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int v);
    bool UseMnemonic() const { return useMnemonic_; }
    void setUseMnemonic(bool on) { useMnemonic_ = on; }

    // The lines the caption is drawn in at the current width (wrapped when
    // WordWrap is set), access-key ampersands removed.
    std::vector<std::string> lines() const;

    const std::string& accessCaption() const override;

protected:
    void accessKeyAction() override;
    void effectiveStateChanged() override {}
    void propertyChanged(Property p) override;

private:
    void fit();
    bool fitting_ = false;

    std::string caption_;
    bool autoSize_ = false, wordWrap_ = false, useMnemonic_ = true;
    int alignment_ = vbLeftJustify;
    int backStyle_ = vbOpaque;
    int borderStyle_ = 0;
};

}  // namespace platform
