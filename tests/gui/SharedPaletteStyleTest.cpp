// The program's style hands its base style one palette object for equal
// colours: the base keeps drawn pieces under the palette's cache key, and Qt
// keeps every such key it ever saw until the same key comes again.
#include <gtest/gtest.h>

#include <QCommonStyle>
#include <QPainter>
#include <QStyleOption>
#include <vector>

#include "gui/QtApplicationHolder.h"
#include "gui/SharedPaletteStyle.h"

namespace gui::test {
namespace {

// Remembers the palette each drawing call reached it with.
class PaletteRecorder final : public QCommonStyle {
public:
    void drawPrimitive(PrimitiveElement, const QStyleOption* o, QPainter*, const QWidget*) const override {
        seen.push_back(o->palette);
    }
    void drawControl(ControlElement, const QStyleOption* o, QPainter*, const QWidget*) const override {
        seen.push_back(o->palette);
    }
    void drawComplexControl(ComplexControl, const QStyleOptionComplex* o, QPainter*, const QWidget*) const override {
        seen.push_back(o->palette);
    }
    mutable std::vector<QPalette> seen;
};

// A palette object of its own, as every widget has.
QPalette paletteOf(QColor button) {
    QPalette p;
    p.setColor(QPalette::Button, button);
    return p;
}

TEST(SharedPaletteStyle, EqualColoursReachTheBaseStyleAsOnePalette) {
    ensureQtApplication();
    enum Call { Primitive, Control, Complex };
    for (Call call : {Primitive, Control, Complex}) {
        SCOPED_TRACE(call);
        auto* recorder = new PaletteRecorder;
        const SharedPaletteStyle shared(recorder);
        const QStyle& style = shared;
        QImage image(8, 8, QImage::Format_ARGB32);
        QPainter painter(&image);
        const QPalette first = paletteOf(Qt::gray), again = paletteOf(Qt::gray), other = paletteOf(Qt::red);
        ASSERT_NE(first.cacheKey(), again.cacheKey());
        QStyleOptionComplex option;
        for (const QPalette& p : {first, again, other}) {
            option.palette = p;
            option.palette.setCurrentColorGroup(QPalette::Inactive);
            if (call == Primitive) style.drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter);
            if (call == Control) style.drawControl(QStyle::CE_PushButton, &option, &painter);
            if (call == Complex) style.drawComplexControl(QStyle::CC_ComboBox, &option, &painter);
            EXPECT_EQ(option.palette.cacheKey(), p.cacheKey());  // the caller's own again
        }
        ASSERT_EQ(recorder->seen.size(), 3u);
        EXPECT_EQ(recorder->seen[0].cacheKey(), recorder->seen[1].cacheKey());
        EXPECT_EQ(recorder->seen[1].currentColorGroup(), QPalette::Inactive);
        EXPECT_NE(recorder->seen[2].cacheKey(), recorder->seen[0].cacheKey());
        EXPECT_TRUE(recorder->seen[2] == other);
    }
}

}  // namespace
}  // namespace gui::test
