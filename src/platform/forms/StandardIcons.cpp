#include "platform/forms/StandardIcons.h"

#include <map>
#include <utility>
#include <vector>

#include "platform/forms/ShapePicture.h"

namespace platform {

namespace {

using namespace shapes;

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kShadow = 0x40000000;

// Every icon is designed on a 32-unit grid.
std::vector<ShapeLayer> iconLayers(int iconStyle) {
    switch (iconStyle) {
        case kCriticalIcon:
            return {{disc(16.5, 16.8, 14.5), kShadow},
                    {disc(16, 16, 14.5), 0xFFC62828},
                    {both(stroke(10.5, 10.5, 21.5, 21.5, 2.2), stroke(21.5, 10.5, 10.5, 21.5, 2.2)), kWhite}};
        case kQuestionIcon:
            return {{disc(16.5, 16.8, 14.5), kShadow},
                    {disc(16, 16, 14.5), 0xFF1E63C8},
                    {both(arc(16, 12.5, 3.4, 6.6, -180, 75), stroke(17.3, 17.6, 16, 20.2, 1.6)), kWhite},
                    {disc(16, 24.6, 1.9), kWhite}};
        case kExclamationIcon:
            return {{triangle(16, 1.5, 31, 29.5, 1, 29.5), 0xFF8A6D00},
                    {triangle(16, 3.6, 29.2, 28.3, 2.8, 28.3), 0xFFF9C80E},
                    {stroke(16, 11, 16, 19.5, 1.8), 0xFF202020},
                    {disc(16, 24, 1.9), 0xFF202020}};
        case kInformationIcon:
            return {{disc(16.5, 16.8, 14.5), kShadow},
                    {disc(16, 16, 14.5), 0xFF1E63C8},
                    {disc(16, 9, 2.1), kWhite},
                    {rect(14.2, 13, 17.8, 24), kWhite},
                    {rect(12.5, 22.4, 19.5, 24.5), kWhite},
                    {rect(12.5, 13, 15, 14.8), kWhite}};
        default:
            return {};
    }
}

}  // namespace

PicturePtr standardIcon(int iconStyle, int sizePixels) {
    static std::map<std::pair<int, int>, PicturePtr> drawn;
    const auto key = std::make_pair(iconStyle, sizePixels);
    if (auto it = drawn.find(key); it != drawn.end()) return it->second;
    const std::vector<ShapeLayer> layers = iconLayers(iconStyle);
    if (layers.empty() || sizePixels <= 0) return nullptr;
    PicturePtr icon = paintShapes(sizePixels, sizePixels, 0x00000000, layers, sizePixels / 32.0);
    drawn.emplace(key, icon);
    return icon;
}

}  // namespace platform
