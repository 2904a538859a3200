#include "gui/QtFontMetrics.h"

#include <QFontMetricsF>
#include <cmath>

#include "gui/Convert.h"
#include "platform/forms/Form.h"

namespace gui {

int QtFontMetrics::textWidth(const platform::FontSpec& font, std::string_view text) const {
    const QFontMetricsF m(toQFont(font));
    return static_cast<int>(std::lround(m.horizontalAdvance(toQString(text)) * platform::kTwipsPerPixel));
}

int QtFontMetrics::lineHeight(const platform::FontSpec& font) const {
    const QFontMetricsF m(toQFont(font));
    return static_cast<int>(std::lround(m.height() * platform::kTwipsPerPixel));
}

}  // namespace gui
