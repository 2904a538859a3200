#include "shell/ShellPictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace shell {

namespace {

using platform::PictureData;
using platform::PicturePtr;

// A shape is a test of whether a point (in pixels, y down) is inside it.
using Shape = std::function<bool(double x, double y)>;

struct Layer {
    Shape shape;
    std::uint32_t argb;
};

Shape disc(double cx, double cy, double r) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape ring(double cx, double cy, double inner, double outer) {
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        return d >= inner && d <= outer;
    };
}

// Points closer than halfWidth to the segment from a to b.
Shape stroke(double ax, double ay, double bx, double by, double halfWidth) {
    return [=](double x, double y) {
        const double dx = bx - ax, dy = by - ay;
        const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double px = ax + t * dx - x, py = ay + t * dy - y;
        return px * px + py * py <= halfWidth * halfWidth;
    };
}

Shape rect(double left, double top, double right, double bottom) {
    return [=](double x, double y) { return x >= left && x <= right && y >= top && y <= bottom; };
}

Shape triangle(double ax, double ay, double bx, double by, double cx, double cy) {
    return [=](double x, double y) {
        auto side = [&](double px, double py, double qx, double qy) { return (qx - px) * (y - py) - (qy - py) * (x - px); };
        const double s1 = side(ax, ay, bx, by), s2 = side(bx, by, cx, cy), s3 = side(cx, cy, ax, ay);
        return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
    };
}

Shape both(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) || b(x, y); };
}

// Arc of a ring between two angles (degrees, clockwise from the right, y down).
Shape arc(double cx, double cy, double inner, double outer, double fromDeg, double toDeg) {
    Shape r = ring(cx, cy, inner, outer);
    return [=](double x, double y) {
        if (!r(x, y)) return false;
        double a = std::atan2(y - cy, x - cx) * 180.0 / std::numbers::pi;
        while (a < fromDeg) a += 360;
        return a <= toDeg;
    };
}

std::uint32_t blend(std::uint32_t under, std::uint32_t over, double coverage) {
    if (coverage <= 0) return under;
    auto channel = [&](int shift) {
        const double u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
        return static_cast<std::uint32_t>(std::lround(u + (o - u) * coverage)) << shift;
    };
    const double ua = (under >> 24) & 0xFF;
    const auto alpha = static_cast<std::uint32_t>(std::lround(ua + (255 - ua) * coverage)) << 24;
    // Colour channels of a transparent background take the new colour whole.
    if (ua == 0) return alpha | (over & 0x00FFFFFF);
    return alpha | channel(16) | channel(8) | channel(0);
}

// Paints the layers in order with 4 x 4 samples per pixel for smooth edges.
PicturePtr paint(int width, int height, std::uint32_t background, const std::vector<Layer>& layers) {
    auto picture = PictureData::filled(width, height, background);
    constexpr int kSamples = 4;
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            std::uint32_t& pixel = picture->pixels[static_cast<std::size_t>(py) * width + px];
            for (const Layer& layer : layers) {
                int hits = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx)
                        hits += layer.shape(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples);
                pixel = blend(pixel, layer.argb, static_cast<double>(hits) / (kSamples * kSamples));
            }
        }
    }
    return picture;
}

constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kShadow = 0x40000000;

}  // namespace

PicturePtr criticalIcon() {
    static const PicturePtr icon = paint(32, 32, kClear,
                                         {{disc(16.5, 16.8, 14.5), kShadow},
                                          {disc(16, 16, 14.5), 0xFFC62828},
                                          {both(stroke(10.5, 10.5, 21.5, 21.5, 2.2), stroke(21.5, 10.5, 10.5, 21.5, 2.2)), kWhite}});
    return icon;
}

PicturePtr questionIcon() {
    static const PicturePtr icon =
        paint(32, 32, kClear,
              {{disc(16.5, 16.8, 14.5), kShadow},
               {disc(16, 16, 14.5), 0xFF1E63C8},
               {both(arc(16, 12.5, 3.4, 6.6, -180, 75), stroke(17.3, 17.6, 16, 20.2, 1.6)), kWhite},
               {disc(16, 24.6, 1.9), kWhite}});
    return icon;
}

PicturePtr exclamationIcon() {
    static const PicturePtr icon = paint(32, 32, kClear,
                                         {{triangle(16, 1.5, 31, 29.5, 1, 29.5), 0xFF8A6D00},
                                          {triangle(16, 3.6, 29.2, 28.3, 2.8, 28.3), 0xFFF9C80E},
                                          {stroke(16, 11, 16, 19.5, 1.8), 0xFF202020},
                                          {disc(16, 24, 1.9), 0xFF202020}});
    return icon;
}

PicturePtr informationIcon() {
    static const PicturePtr icon = paint(32, 32, kClear,
                                         {{disc(16.5, 16.8, 14.5), kShadow},
                                          {disc(16, 16, 14.5), 0xFF1E63C8},
                                          {disc(16, 9, 2.1), kWhite},
                                          {rect(14.2, 13, 17.8, 24), kWhite},
                                          {rect(12.5, 22.4, 19.5, 24.5), kWhite},
                                          {rect(12.5, 13, 15, 14.8), kWhite}});
    return icon;
}

PicturePtr makerLogo() {
    // Three block letters on a dark badge.
    const double top = 10, bottom = 38, half = 3.2;
    Shape a = both(both(stroke(10, bottom, 21, top, half), stroke(21, top, 32, bottom, half)),
                   stroke(14.5, 29, 27.5, 29, 2.6));
    Shape x = both(stroke(40, top, 60, bottom, half), stroke(60, top, 40, bottom, half));
    Shape o = ring(82, 24, 10.5, 14.6);
    static const PicturePtr logo = paint(100, 48, kClear,
                                         {{rect(0, 0, 100, 48), 0xFF0B3D91},
                                          {both(both(a, x), o), kWhite},
                                          {rect(0, 44, 100, 48), 0xFFE53935}});
    return logo;
}

}  // namespace shell
