#include "gui/Screenshot.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <memory>

#include "gui/Convert.h"
#include "gui/FormWindow.h"
#include "gui/Painting.h"
#include "gui/QtApplicationHolder.h"
#include "gui/Renderer.h"
#include "platform/forms/Control.h"
#include "platform/forms/Form.h"

namespace gui {

namespace {

constexpr int kCloseBoxWidth = 16;
constexpr int kCloseBoxHeight = 14;
constexpr int kIconSize = 16;

void drawCloseBox(QPainter& p, const QRect& box) {
    p.fillRect(box, toQColor(platform::vbButtonFace));
    drawRaisedEdge(p, box);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 2));
    const QRect glyph = box.adjusted(4, 3, -5, -4);
    p.drawLine(glyph.topLeft(), glyph.bottomRight());
    p.drawLine(glyph.topRight(), glyph.bottomLeft());
    p.restore();
}

void drawTitleBar(QPainter& p, const QRect& bar, const platform::Form& form) {
    QLinearGradient g(bar.topLeft(), bar.topRight());
    g.setColorAt(0, toQColor(platform::vbActiveTitleBar));
    g.setColorAt(1, QColor(166, 202, 240));
    p.fillRect(bar, g);
    int textLeft = bar.left() + 4;
    const QImage icon = toQImage(form.Icon());
    if (!icon.isNull()) {
        const QRect iconRect(bar.left() + 2, bar.top() + (bar.height() - kIconSize) / 2, kIconSize, kIconSize);
        p.drawImage(iconRect, icon.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        textLeft = iconRect.right() + 4;
    }
    int textRight = bar.right() - 2;
    if (form.ControlBox()) {
        const QRect box(bar.right() - 2 - kCloseBoxWidth, bar.top() + (bar.height() - kCloseBoxHeight) / 2,
                        kCloseBoxWidth, kCloseBoxHeight);
        drawCloseBox(p, box);
        textRight = box.left() - 4;
    }
    const QFont font = toQFont(platform::FontSpec{"Arial", 8, true});
    p.setFont(font);
    p.setPen(toQColor(platform::vbTitleBarText));
    const QRect textRect(textLeft, bar.top(), std::max(0, textRight - textLeft), bar.height());
    const QString caption = QFontMetricsF(font).elidedText(toQString(form.Caption()), Qt::ElideRight, textRect.width());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}

// Where the client area starts in a screenshot: inside the frame's left
// edge and below the title bar.
QPoint clientOrigin(const platform::Form& form) {
    if (form.BorderStyle() == platform::vbBSNone) return {};
    const int border = px(form.frameWidth()) / 2;
    const int titleHeight = std::max(0, px(form.frameHeight()) - 2 * border);
    return {border, border + titleHeight};
}

QImage screenshotOf(platform::Form& form, std::unique_ptr<Renderer>& own) {
    ensureQtApplication();
    Renderer* renderer = Renderer::current();
    if (!renderer) {
        own = std::make_unique<Renderer>();
        renderer = own.get();
    }
    return renderer->ensureWindow(form)->screenshot();
}

}  // namespace

QImage FormWindow::grabClient() {
    const bool shown = isVisible();
    ++applying_;
    if (!shown) {
        // Painted without appearing on the screen.
        setAttribute(Qt::WA_DontShowOnScreen, true);
        show();
    }
    QImage client = grab().toImage();
    if (!shown) {
        hide();
        setAttribute(Qt::WA_DontShowOnScreen, false);
    }
    --applying_;
    return client;
}

QImage FormWindow::screenshot() {
    const QImage client = grabClient();
    if (!form_ || form_->BorderStyle() == platform::vbBSNone) return client;
    const QPoint origin = clientOrigin(*form_);
    const int border = origin.x();
    QImage image(client.width() + px(form_->frameWidth()), client.height() + px(form_->frameHeight()),
                 QImage::Format_ARGB32);
    image.fill(toQColor(platform::vbButtonFace));
    QPainter p(&image);
    drawRaisedEdge(p, image.rect());
    drawTitleBar(p, QRect(border, border, client.width(), origin.y() - border), *form_);
    p.drawImage(origin, client);
    p.end();
    return image;
}

bool saveScreenshot(platform::Form& form, const std::string& path) {
    std::unique_ptr<Renderer> own;
    const QImage image = screenshotOf(form, own);
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    return image.save(file, "PNG");
}

platform::PicturePtr screenshotPicture(platform::Form& form) {
    std::unique_ptr<Renderer> own;
    return fromQImage(screenshotOf(form, own));
}

PixelRect screenshotRect(const platform::Control& control) {
    const QPoint origin = clientOrigin(control.form());
    return {origin.x() + px(control.formLeft()), origin.y() + px(control.formTop()), px(control.Width()),
            px(control.Height())};
}

}  // namespace gui
