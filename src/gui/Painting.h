// Drawing helpers shared by the painted controls, the screenshots and the
// message icons: the classic 3D edges and the icons themselves. They only
// paint on the QPainter given; nothing here blocks.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

namespace gui {

// Two-pixel sunken edge of a text box or bordered picture box.
void drawSunkenEdge(QPainter& p, const QRect& r);
// Two-pixel raised edge of a window frame or button.
void drawRaisedEdge(QPainter& p, const QRect& r);
// The etched (grooved) line of a frame.
void drawEtchedRect(QPainter& p, const QRect& r);
// Text drawn disabled: light shadow one pixel down-right, grey on top.
void drawDisabledText(QPainter& p, const QRectF& r, int flags, const QString& text);

// A message icon (16, 32, 48, 64) of size x size pixels; a null image for
// other styles.
QImage messageIconImage(int iconStyle, int size);

}  // namespace gui
