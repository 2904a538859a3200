// Conversions between the window model's values and Qt's: CP1252 text and
// UTF-16, twips and pixels, colours (system colours included), fonts and
// pictures. Pure functions; nothing here blocks or touches the model.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QString>
#include <string>
#include <string_view>

#include "platform/forms/Color.h"
#include "platform/forms/FontSpec.h"
#include "platform/forms/Picture.h"

namespace gui {

QString toQString(std::string_view cp1252);
std::string fromQString(const QString& text);

// 15 twips per pixel, rounded to the nearest pixel.
int px(int twips);
int twips(int pixels);

// A model colour as drawn: system colours through the classic desktop
// table, which is also what classicPalette() gives Qt's own widgets.
QColor toQColor(platform::Color c);
QPalette classicPalette();

// The model's font as Qt draws it: a whole-pixel em (points * 4 / 3,
// rounded, as the headless metrics assume), no kerning and no hinting, so
// drawn text is as wide as the model measured it. "Arial" resolves to its
// metric-compatible free face.
QFont toQFont(const platform::FontSpec& spec);
// Registers the family substitutions once (idempotent).
void installFontSubstitutions();

// A picture as a 32-bit image (an empty image for nullptr).
QImage toQImage(const platform::PicturePtr& picture);
platform::PicturePtr fromQImage(const QImage& image);

// Caption text with Qt's mnemonic syntax: the model's `&x` and `&&` mean
// what Qt's do, so only the encoding changes; without mnemonics every `&`
// is doubled so that it is drawn.
QString captionText(const std::string& caption, bool mnemonic = true);

}  // namespace gui
