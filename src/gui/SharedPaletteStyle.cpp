#include "gui/SharedPaletteStyle.h"

#include <QStyleOption>

namespace gui {

namespace {
constexpr std::size_t kMaxPalettes = 64;
}

// The option's palette swapped for the shared one of equal colours while
// the base style draws with it. Qt hands styles options it made for the
// call and owns as non-const objects; the caller gets its palette back.
class SharedPaletteStyle::Shared {
public:
    Shared(const SharedPaletteStyle& style, const QStyleOption* option) : option_(const_cast<QStyleOption*>(option)) {
        const QPalette* shared = option_ ? style.sharedPalette(option_->palette) : nullptr;
        if (!shared || shared->cacheKey() == option_->palette.cacheKey()) {
            option_ = nullptr;
            return;
        }
        own_ = option_->palette;
        const QPalette::ColorGroup group = own_.currentColorGroup();
        option_->palette = *shared;
        option_->palette.setCurrentColorGroup(group);
    }
    ~Shared() {
        if (option_) option_->palette = own_;
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

private:
    QStyleOption* option_;
    QPalette own_;
};

SharedPaletteStyle::SharedPaletteStyle(QStyle* base) : QProxyStyle(base) {}

const QPalette* SharedPaletteStyle::sharedPalette(const QPalette& palette) const {
    for (const QPalette& shared : palettes_)
        if (shared.cacheKey() == palette.cacheKey() || shared == palette) return &shared;
    if (palettes_.size() == kMaxPalettes) return nullptr;
    palettes_.push_back(palette);
    return &palettes_.back();
}

void SharedPaletteStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                       const QWidget* widget) const {
    Shared shared(*this, option);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SharedPaletteStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
    Shared shared(*this, option);
    QProxyStyle::drawControl(element, option, painter, widget);
}

void SharedPaletteStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                            QPainter* painter, const QWidget* widget) const {
    Shared shared(*this, option);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

}  // namespace gui
