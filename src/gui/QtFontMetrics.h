// The window model's font metrics measured with Qt's fonts, installed by
// gui::Application so that AutoSize labels take exactly the size Qt draws
// them at. Needs a QGuiApplication while it is used. Nothing here blocks.
#pragma once

#include "platform/forms/FontMetrics.h"

namespace gui {

class QtFontMetrics final : public platform::FontMetrics {
public:
    int textWidth(const platform::FontSpec& font, std::string_view text) const override;
    int lineHeight(const platform::FontSpec& font) const override;
};

}  // namespace gui
