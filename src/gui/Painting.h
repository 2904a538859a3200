// Drawing helpers shared by the painted controls and the screenshots: the
// classic 3D edges and disabled text. They only paint on the QPainter given;
// nothing here blocks.
#pragma once

#include <QPainter>
#include <QRect>

namespace gui {

// Two-pixel sunken edge of a text box or bordered picture box.
void drawSunkenEdge(QPainter& p, const QRect& r);
// Two-pixel raised edge of a window frame or button.
void drawRaisedEdge(QPainter& p, const QRect& r);
// The etched (grooved) line of a frame.
void drawEtchedRect(QPainter& p, const QRect& r);
// The keyboard focus: a rectangle of alternate dots, as desktop controls
// mark the one that takes the keys.
void drawFocusRect(QPainter& p, const QRect& r, const QColor& color);
// Text drawn disabled: light shadow one pixel down-right, grey on top.
void drawDisabledText(QPainter& p, const QRectF& r, int flags, const QString& text);

}  // namespace gui
