#include "gui/MessageIcons.h"

#include <QFont>
#include <QPainterPath>

#include "gui/Convert.h"
#include "gui/Painting.h"

namespace gui {

namespace {

// Everything is drawn on a 32-unit grid and scaled to the size asked for.
void drawDisc(QPainter& p, const QColor& fill, const QColor& rim) {
    QRadialGradient g(QPointF(12, 10), 22);
    g.setColorAt(0, fill.lighter(150));
    g.setColorAt(1, fill);
    p.setPen(QPen(rim, 1.2));
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 28, 28));
}

void drawCritical(QPainter& p) {
    drawDisc(p, QColor(204, 20, 20), QColor(120, 0, 0));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

void drawQuestion(QPainter& p) {
    drawDisc(p, QColor(40, 90, 200), QColor(10, 40, 120));
    QPainterPath hook;
    hook.moveTo(11.5, 12.5);
    hook.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12);
    hook.cubicTo(20.5, 15.5, 16, 15.5, 16, 19.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 24.3), 2.1, 2.1);
}

void drawExclamation(QPainter& p) {
    QPainterPath triangle;
    triangle.moveTo(16, 2.5);
    triangle.lineTo(30, 28.5);
    triangle.lineTo(2, 28.5);
    triangle.closeSubpath();
    QLinearGradient g(QPointF(16, 2), QPointF(16, 29));
    g.setColorAt(0, QColor(255, 236, 120));
    g.setColorAt(1, QColor(245, 190, 0));
    p.setPen(QPen(QColor(150, 110, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(triangle);
    p.setPen(QPen(Qt::black, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 11), QPointF(16, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(16, 24), 2, 2);
}

void drawInformation(QPainter& p) {
    drawDisc(p, QColor(30, 110, 220), QColor(10, 50, 130));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.5), 2.3, 2.3);
    p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(16, 14), QPointF(16, 24));
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(QPointF(12.5, 14.2), QPointF(17, 14.2));
    p.drawLine(QPointF(12.5, 24.2), QPointF(19.5, 24.2));
}

}  // namespace

QImage messageIconImage(int iconStyle, int size) {
    void (*draw)(QPainter&) = nullptr;
    switch (iconStyle) {
    case kCriticalIcon: draw = drawCritical; break;
    case kQuestionIcon: draw = drawQuestion; break;
    case kExclamationIcon: draw = drawExclamation; break;
    case kInformationIcon: draw = drawInformation; break;
    default: return {};
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

platform::PicturePtr messageIconPicture(int iconStyle, int sizePixels) {
    const QImage image = messageIconImage(iconStyle, sizePixels);
    if (image.isNull()) return nullptr;
    return fromQImage(image);
}

}  // namespace gui
