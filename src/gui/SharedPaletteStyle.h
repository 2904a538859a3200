// SharedPaletteStyle: the program's style (Fusion underneath) drawing every
// control with one palette object per set of colours.
//
// Fusion keeps the pieces it draws in Qt's pixmap cache under a text key
// that includes the palette's cache key, and every widget of every window
// gets a palette object of its own. Qt keeps the text key of a piece that
// left the cache until that same key is asked for again, so with a new key
// for every window's pieces each opening would add its keys to the cache
// for good. Drawn with a shared palette of equal colours, the pieces of a
// window opened again get the keys of its earlier openings. The shared
// palettes are kept for the style's life; past 64 sets of colours a palette
// is drawn as it comes.
#pragma once

#include <QPalette>
#include <QProxyStyle>
#include <vector>

namespace gui {

class SharedPaletteStyle final : public QProxyStyle {
public:
    // Draws with `base` (owned from now on).
    explicit SharedPaletteStyle(QStyle* base);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;

private:
    class Shared;
    const QPalette* sharedPalette(const QPalette& palette) const;

    // Few: the colours of the windows' controls. Bounded all the same.
    mutable std::vector<QPalette> palettes_;
};

}  // namespace gui
