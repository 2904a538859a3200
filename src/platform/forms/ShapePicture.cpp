#include "platform/forms/ShapePicture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

namespace shapes {

Shape disc(double cx, double cy, double r) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape ring(double cx, double cy, double inner, double outer) {
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        return d >= inner && d <= outer;
    };
}

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

Shape arc(double cx, double cy, double inner, double outer, double fromDeg, double toDeg) {
    Shape r = ring(cx, cy, inner, outer);
    return [=](double x, double y) {
        if (!r(x, y)) return false;
        double a = std::atan2(y - cy, x - cx) * 180.0 / std::numbers::pi;
        while (a < fromDeg) a += 360;
        return a <= toDeg;
    };
}

}  // namespace shapes

namespace {

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

}  // namespace

std::shared_ptr<PictureData> paintShapes(int width, int height, std::uint32_t background,
                                         const std::vector<ShapeLayer>& layers, double scale) {
    auto picture = PictureData::filled(width, height, background);
    constexpr int kSamples = 4;
    for (int py = 0; py < picture->height; ++py) {
        for (int px = 0; px < picture->width; ++px) {
            std::uint32_t& pixel = picture->pixels[static_cast<std::size_t>(py) * picture->width + px];
            for (const ShapeLayer& layer : layers) {
                int hits = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx)
                        hits += layer.shape((px + (sx + 0.5) / kSamples) / scale,
                                            (py + (sy + 0.5) / kSamples) / scale);
                pixel = blend(pixel, layer.argb, static_cast<double>(hits) / (kSamples * kSamples));
            }
        }
    }
    return picture;
}

}  // namespace platform
