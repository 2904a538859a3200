#include "gui/Painting.h"

#include "gui/Convert.h"
#include "platform/forms/Color.h"

namespace gui {

namespace {

void edge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
    p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p.setPen(bottomRight);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.bottom(), r.right(), r.top());
}

}  // namespace

void drawSunkenEdge(QPainter& p, const QRect& r) {
    p.save();
    edge(p, r, toQColor(platform::vbButtonShadow), toQColor(platform::vb3DHighlight));
    edge(p, r.adjusted(1, 1, -1, -1), toQColor(platform::vb3DDKShadow), toQColor(platform::vb3DLight));
    p.restore();
}

void drawRaisedEdge(QPainter& p, const QRect& r) {
    p.save();
    edge(p, r, toQColor(platform::vb3DLight), toQColor(platform::vb3DDKShadow));
    edge(p, r.adjusted(1, 1, -1, -1), toQColor(platform::vb3DHighlight), toQColor(platform::vbButtonShadow));
    p.restore();
}

void drawEtchedRect(QPainter& p, const QRect& r) {
    p.save();
    p.setPen(toQColor(platform::vbButtonShadow));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(toQColor(platform::vb3DHighlight));
    p.drawRect(r.adjusted(1, 1, 0, 0));
    p.restore();
}

void drawFocusRect(QPainter& p, const QRect& r, const QColor& color) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(color, 0);
    pen.setDashPattern({1, 1});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

void drawDisabledText(QPainter& p, const QRectF& r, int flags, const QString& text) {
    p.save();
    p.setPen(toQColor(platform::vb3DHighlight));
    p.drawText(r.translated(1, 1), flags, text);
    p.setPen(toQColor(platform::vbGrayText));
    p.drawText(r, flags, text);
    p.restore();
}

}  // namespace gui
