#include "shell/ShellPictures.h"

#include "platform/forms/ShapePicture.h"

namespace shell {

platform::PicturePtr makerLogo() {
    using namespace platform::shapes;
    constexpr std::uint32_t kWhite = 0xFFFFFFFF;
    // Three block letters on a dark badge.
    const double top = 10, bottom = 38, half = 3.2;
    platform::Shape a = both(both(stroke(10, bottom, 21, top, half), stroke(21, top, 32, bottom, half)),
                             stroke(14.5, 29, 27.5, 29, 2.6));
    platform::Shape x = both(stroke(40, top, 60, bottom, half), stroke(60, top, 40, bottom, half));
    platform::Shape o = ring(82, 24, 10.5, 14.6);
    static const platform::PicturePtr logo = platform::paintShapes(100, 48, 0x00000000,
                                                                   {{rect(0, 0, 100, 48), 0xFF0B3D91},
                                                                    {both(both(a, x), o), kWhite},
                                                                    {rect(0, 44, 100, 48), 0xFFE53935}});
    return logo;
}

}  // namespace shell
