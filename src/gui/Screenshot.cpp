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
    const int frameW = px(form_->frameWidth()), frameH = px(form_->frameHeight());
    const int border = frameW / 2;
    const int titleHeight = std::max(0, frameH - 2 * border);
    QImage image(client.width() + frameW, client.height() + frameH, QImage::Format_ARGB32);
    image.fill(toQColor(platform::vbButtonFace));
    QPainter p(&image);
    drawRaisedEdge(p, image.rect());
    drawTitleBar(p, QRect(border, border, client.width(), titleHeight), *form_);
    p.drawImage(QPoint(border, border + titleHeight), client);
    p.end();
    return image;
}

bool saveScreenshot(platform::Form& form, const std::string& path) {
    ensureQtApplication();
    std::unique_ptr<Renderer> own;
    Renderer* renderer = Renderer::current();
    if (!renderer) {
        own = std::make_unique<Renderer>();
        renderer = own.get();
    }
    const QImage image = renderer->ensureWindow(form)->screenshot();
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    return image.save(file, "PNG");
}

}  // namespace gui
