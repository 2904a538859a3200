// Text measurement for AutoSize labels, behind an interface: the front end
// installs the metrics of its real fonts; headless runs use a fixed table of
// Arial advance widths (regular and bold, any size: widths scale with the
// point size). All results are twips. Nothing here blocks.
#pragma once

#include <memory>
#include <string_view>

#include "platform/forms/FontSpec.h"

namespace platform {

class FontMetrics {
public:
    virtual ~FontMetrics() = default;
    // Width of one line of CP1252 text.
    virtual int textWidth(const FontSpec& font, std::string_view text) const = 0;
    // Height of one line (ascent + descent).
    virtual int lineHeight(const FontSpec& font) const = 0;
};

// The fixed table: advance widths in 1/2048 em of Arial (identical to the
// metric-compatible free sans face). The em is a whole number of pixels at
// 96 dpi (points * 4 / 3, rounded), because the desktop renders text that
// way: an 8-point font is an 11-pixel font. width = sum(advance) * em *
// 15 / 2048 twips, rounded once for the whole text. Other font names
// measure as Arial.
class HeadlessFontMetrics final : public FontMetrics {
public:
    int textWidth(const FontSpec& font, std::string_view text) const override;
    int lineHeight(const FontSpec& font) const override;
    // Advance of one CP1252 character in 1/2048 em.
    static int advance(unsigned char c, bool bold);
};

// The metrics in use (the headless table unless a front end installed its
// own). Passing nullptr restores the table.
const FontMetrics& fontMetrics();
void setFontMetrics(std::shared_ptr<const FontMetrics> metrics);

}  // namespace platform
