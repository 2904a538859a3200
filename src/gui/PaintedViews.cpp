// Views the front end paints itself, as the desktop the windows were
// designed for drew them: labels, frames, picture boxes and images. A label
// draws exactly the lines the model laid out, so AutoSize and word wrap
// agree with the drawing.
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

#include "gui/ControlView.h"
#include "gui/Convert.h"
#include "gui/FormWindow.h"
#include "gui/Painting.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/PictureBox.h"

namespace gui {

using platform::Property;

namespace {

// The edge of a bordered picture box or label, in pixels.
constexpr int kBorderPixels = 2;
// Where a frame's caption starts, and the blank kept on each side of it.
constexpr int kFrameCaptionLeft = 8;
constexpr int kFrameCaptionPad = 2;

// Clicks on painted controls: a release inside the control is a click, a
// double click is the model's double click.
class PaintedView : public QWidget, public ControlView {
public:
    PaintedView(platform::Control& c, FormWindow& w, QWidget* parent) : QWidget(parent), ControlView(c, w) {
        setFocusPolicy(Qt::NoFocus);
    }
    QWidget* widget() override { return this; }

protected:
    void syncOwn(Property) override { update(); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            postUserAction([](platform::UserInput& input, platform::Control& c) { input.click(c); });
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            postUserAction([](platform::UserInput& input, platform::Control& c) { input.doubleClick(c); });
    }
    // Text in the control's colour, or etched grey while disabled.
    void drawText(QPainter& p, const QRectF& r, int flags, const QString& text, platform::Color fore) {
        if (isEnabled()) {
            p.setPen(toQColor(fore));
            p.drawText(r, flags, text);
        } else {
            drawDisabledText(p, r, flags, text);
        }
    }
};

class LabelView final : public PaintedView {
public:
    LabelView(platform::Label& c, FormWindow& w, QWidget* parent) : PaintedView(c, w, parent), label_(c) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (!control()) return;  // detached, waiting to be deleted
        QPainter p(this);
        if (label_.BackStyle() == platform::vbOpaque) p.fillRect(rect(), toQColor(label_.BackColor()));
        QRect area = rect();
        if (label_.BorderStyle() != 0) {
            drawSunkenEdge(p, rect());
            area.adjust(kBorderPixels, kBorderPixels, -kBorderPixels, -kBorderPixels);
        }
        const QFont font = toQFont(label_.Font());
        p.setFont(font);
        const qreal lineHeight = QFontMetricsF(font).height();
        const int a = label_.Alignment();
        const int align = a == platform::vbRightJustify ? Qt::AlignRight
                          : a == platform::vbCenter    ? Qt::AlignHCenter
                                                       : Qt::AlignLeft;
        // Unwrapped lines are the caption's own, so Qt can underline the
        // access key; wrapped ones come from the model, already stripped.
        const bool mnemonic = !label_.WordWrap() && label_.UseMnemonic();
        QStringList lines;
        if (mnemonic) {
            static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
            lines = toQString(label_.Caption()).split(lineBreak);
        } else {
            for (const std::string& line : label_.lines()) lines << toQString(line);
        }
        const int flags = align | Qt::AlignTop | Qt::TextSingleLine | (mnemonic ? Qt::TextShowMnemonic : 0);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QRectF r(area.left(), area.top() + lineHeight * static_cast<qreal>(i), area.width(), lineHeight);
            drawText(p, r, flags, lines[i], label_.ForeColor());
        }
    }

private:
    platform::Label& label_;
};

class FrameView final : public PaintedView {
public:
    FrameView(platform::Frame& c, FormWindow& w, QWidget* parent) : PaintedView(c, w, parent), frame_(c) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (!control()) return;  // detached, waiting to be deleted
        QPainter p(this);
        const QColor back = toQColor(frame_.BackColor());
        p.fillRect(rect(), back);
        if (frame_.BorderStyle() == 0) return;
        const QFont font = toQFont(frame_.Font());
        p.setFont(font);
        const QFontMetricsF m(font);
        const int top = static_cast<int>(m.height() / 2);
        drawEtchedRect(p, QRect(0, top, width(), height() - top));
        if (frame_.Caption().empty()) return;
        const QString text = captionText(frame_.Caption());
        const qreal textWidth = m.horizontalAdvance(toQString(platform::stripAccessKey(frame_.Caption())));
        const QRectF box(kFrameCaptionLeft - kFrameCaptionPad, 0, textWidth + 2 * kFrameCaptionPad, m.height());
        p.fillRect(box, back);
        drawText(p, box.adjusted(kFrameCaptionPad, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic,
                 text, frame_.ForeColor());
    }

private:
    platform::Frame& frame_;
};

class PictureBoxView final : public PaintedView {
public:
    PictureBoxView(platform::PictureBox& c, FormWindow& w, QWidget* parent)
        : PaintedView(c, w, parent), box_(c) {}

    QPoint childOffset() const override {
        return box_.BorderStyle() != 0 ? QPoint(kBorderPixels, kBorderPixels) : QPoint();
    }

protected:
    void syncOwn(Property p) override {
        if (p == Property::Picture) image_ = toQImage(box_.Picture());
        // The client area moved with the border: so did the children.
        if (p == Property::BorderStyle) formWindow().syncChildGeometry(box_);
        update();
    }
    void paintEvent(QPaintEvent*) override {
        if (!control()) return;  // detached, waiting to be deleted
        QPainter p(this);
        p.fillRect(rect(), toQColor(box_.BackColor()));
        const QPoint origin = childOffset();
        if (!image_.isNull()) p.drawImage(origin, image_);
        if (box_.BorderStyle() != 0) drawSunkenEdge(p, rect());
    }

private:
    platform::PictureBox& box_;
    QImage image_;
};

class ImageView final : public PaintedView {
public:
    ImageView(platform::Image& c, FormWindow& w, QWidget* parent) : PaintedView(c, w, parent), image_(c) {}

protected:
    void syncOwn(Property p) override {
        if (p == Property::Picture) cached_ = toQImage(image_.Picture());
        update();
    }
    void paintEvent(QPaintEvent*) override {
        if (!control()) return;  // detached, waiting to be deleted
        if (cached_.isNull()) return;
        QPainter p(this);
        if (image_.Stretch()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(rect(), cached_);
        } else {
            p.drawImage(QPoint(0, 0), cached_);
        }
    }

private:
    platform::Image& image_;
    QImage cached_;
};

}  // namespace

ControlView* makeLabelView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new LabelView(static_cast<platform::Label&>(c), w, parent);
}

ControlView* makeFrameView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new FrameView(static_cast<platform::Frame&>(c), w, parent);
}

ControlView* makePictureBoxView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new PictureBoxView(static_cast<platform::PictureBox&>(c), w, parent);
}

ControlView* makeImageView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new ImageView(static_cast<platform::Image&>(c), w, parent);
}

}  // namespace gui
