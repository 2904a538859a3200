#include "gui/Convert.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>

#include "platform/Text.h"
#include "platform/forms/Form.h"

namespace gui {

QString toQString(std::string_view cp1252) {
    const std::string utf8 = platform::cp1252ToUtf8(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return platform::utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

int px(int t) { return static_cast<int>(std::lround(t / static_cast<double>(platform::kTwipsPerPixel))); }

int twips(int pixels) { return pixels * platform::kTwipsPerPixel; }

QColor toQColor(platform::Color c) {
    const platform::Color rgb = platform::systemColorRgb(c);
    return QColor(platform::redOf(rgb), platform::greenOf(rgb), platform::blueOf(rgb));
}

QPalette classicPalette() {
    using namespace platform;
    QPalette p;
    auto all = [&p](QPalette::ColorRole role, Color c) { p.setColor(role, toQColor(c)); };
    all(QPalette::Window, vbButtonFace);
    all(QPalette::WindowText, vbWindowText);
    all(QPalette::Base, vbWindowBackground);
    all(QPalette::AlternateBase, vb3DLight);
    all(QPalette::Text, vbWindowText);
    all(QPalette::Button, vbButtonFace);
    all(QPalette::ButtonText, vbButtonText);
    all(QPalette::BrightText, vbWhite);
    all(QPalette::Light, vb3DHighlight);
    all(QPalette::Midlight, vb3DLight);
    all(QPalette::Mid, vbButtonShadow);
    all(QPalette::Dark, vbButtonShadow);
    all(QPalette::Shadow, vb3DDKShadow);
    all(QPalette::Highlight, vbHighlight);
    all(QPalette::HighlightedText, vbHighlightText);
    all(QPalette::ToolTipBase, vbInfoBackground);
    all(QPalette::ToolTipText, vbInfoText);
    all(QPalette::PlaceholderText, vbGrayText);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, toQColor(vbGrayText));
    return p;
}

void installFontSubstitutions() {
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)done;
}

QFont toQFont(const platform::FontSpec& spec) {
    installFontSubstitutions();
    QFont f(toQString(spec.name));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(spec.size * 96.0 / 72.0))));
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setUnderline(spec.underline);
    f.setStrikeOut(spec.strikethrough);
    // The desktop the windows were laid out on draws without kerning, and
    // hinting would round every advance; either would make text wider or
    // narrower than the model measured it.
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QImage toQImage(const platform::PicturePtr& picture) {
    if (!picture || picture->width <= 0 || picture->height <= 0) return {};
    QImage image(picture->width, picture->height, QImage::Format_ARGB32);
    const size_t expected = static_cast<size_t>(picture->width) * picture->height;
    for (int y = 0; y < picture->height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture->width; ++x) {
            const size_t i = static_cast<size_t>(y) * picture->width + x;
            // A picture whose pixel buffer is short shows the rest transparent.
            line[x] = i < picture->pixels.size() && i < expected ? picture->pixels[i] : 0u;
        }
    }
    return image;
}

platform::PicturePtr fromQImage(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    auto p = std::make_shared<platform::PictureData>();
    p->width = image.width();
    p->height = image.height();
    p->pixels.reserve(static_cast<size_t>(p->width) * p->height);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        p->pixels.insert(p->pixels.end(), line, line + image.width());
    }
    return p;
}

QString captionText(const std::string& caption, bool mnemonic) {
    QString text = toQString(caption);
    if (!mnemonic) text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

}  // namespace gui
