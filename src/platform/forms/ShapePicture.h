// Pictures drawn in code from simple shapes, for the icons and logos that
// travel inside the program instead of as image files. A shape is a test of
// whether a point (y down) lies inside it; layers are painted in order with
// 4 x 4 samples per pixel for smooth edges. Pure functions: the result is a
// fresh picture owned by the caller, and nothing here blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/forms/Picture.h"

namespace platform {

using Shape = std::function<bool(double x, double y)>;

struct ShapeLayer {
    Shape shape;
    std::uint32_t argb;
};

namespace shapes {

Shape disc(double cx, double cy, double r);
Shape ring(double cx, double cy, double inner, double outer);
// Points closer than halfWidth to the segment from a to b.
Shape stroke(double ax, double ay, double bx, double by, double halfWidth);
Shape rect(double left, double top, double right, double bottom);
Shape triangle(double ax, double ay, double bx, double by, double cx, double cy);
Shape both(Shape a, Shape b);
// Arc of a ring between two angles (degrees, clockwise from the right, y down).
Shape arc(double cx, double cy, double inner, double outer, double fromDeg, double toDeg);

}  // namespace shapes

// A width x height picture of `background` with the layers painted on it.
// Shapes are given in units of 1/scale pixel, so one drawing serves every
// size (scale 0.5 draws a 32-unit design on 16 pixels).
std::shared_ptr<PictureData> paintShapes(int width, int height, std::uint32_t background,
                                         const std::vector<ShapeLayer>& layers, double scale = 1.0);

}  // namespace platform
