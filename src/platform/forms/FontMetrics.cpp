#include "platform/forms/FontMetrics.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace arial {
extern const std::uint16_t kRegularAdvances[256];
extern const std::uint16_t kBoldAdvances[256];
}  // namespace arial

namespace {

constexpr int kUnitsPerEm = 2048;
constexpr int kAscent = 1854;
constexpr int kDescent = 434;
constexpr int kTwipsPerPixel = 15;

// Text is laid out at a whole-pixel em size, as the desktop's font engine
// rounds the point size at 96 dpi; scaling the table by the exact point
// size would make every 8-point text 3% narrower than what is drawn.
long emPixels(double points) { return std::max(1L, std::lround(points * 96.0 / 72.0)); }

int unitsToTwips(long long units, double points) {
    return static_cast<int>(std::lround(static_cast<double>(units) * emPixels(points) *
                                        kTwipsPerPixel / kUnitsPerEm));
}

std::shared_ptr<const FontMetrics>& installed() {
    static std::shared_ptr<const FontMetrics> metrics = std::make_shared<HeadlessFontMetrics>();
    return metrics;
}

}  // namespace

int HeadlessFontMetrics::advance(unsigned char c, bool bold) {
    return bold ? arial::kBoldAdvances[c] : arial::kRegularAdvances[c];
}

int HeadlessFontMetrics::textWidth(const FontSpec& font, std::string_view text) const {
    long long units = 0;
    for (char c : text) units += advance(static_cast<unsigned char>(c), font.bold);
    return unitsToTwips(units, font.size);
}

int HeadlessFontMetrics::lineHeight(const FontSpec& font) const {
    return unitsToTwips(kAscent + kDescent, font.size);
}

const FontMetrics& fontMetrics() { return *installed(); }

void setFontMetrics(std::shared_ptr<const FontMetrics> metrics) {
    installed() = metrics ? std::move(metrics) : std::make_shared<HeadlessFontMetrics>();
}

}  // namespace platform
