// The standard message icons: one distinct picture per style, none for any
// other style, at the size asked for.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/StandardIcons.h"

namespace platform::test {

TEST(StandardIcons, FourDistinctIconsAndNoneForOtherStyles) {
    std::vector<PicturePtr> icons;
    for (int style : {kCriticalIcon, kQuestionIcon, kExclamationIcon, kInformationIcon}) {
        PicturePtr p = standardIcon(style);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, 32);
        EXPECT_EQ(p->height, 32);
        EXPECT_EQ(p->pixels[0] >> 24, 0u) << "corners are transparent";
        for (const auto& other : icons) EXPECT_NE(other->pixels, p->pixels);
        icons.push_back(p);
    }
    for (int style : {0, 1, 17, 96}) EXPECT_FALSE(standardIcon(style)) << style;
    for (int size : {16, 48}) {
        PicturePtr p = standardIcon(kExclamationIcon, size);
        ASSERT_TRUE(p) << size;
        EXPECT_EQ(p->width, size);
        EXPECT_EQ(p->height, size);
        EXPECT_EQ(p->pixels.size(), static_cast<std::size_t>(size * size));
    }
}

}  // namespace platform::test
