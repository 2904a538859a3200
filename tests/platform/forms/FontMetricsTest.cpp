// Label AutoSize with the headless Arial table and with installed metrics.
#include <memory>

#include "FormsTestSupport.h"
#include "platform/forms/FontMetrics.h"
#include "platform/forms/Label.h"

namespace platform::test {

namespace {

struct LabelForm : Form {
    LabelForm() : Form("LabelForm") {}
    Label Text{*this, "Text"};
};

// Every character 100 twips wide, lines 200 high: easy to reason about.
struct FixedMetrics : FontMetrics {
    int textWidth(const FontSpec&, std::string_view text) const override {
        return 100 * static_cast<int>(text.size());
    }
    int lineHeight(const FontSpec&) const override { return 200; }
};

}  // namespace

TEST(HeadlessFontMetrics, WidthsFollowTheArialAdvanceTable) {
    HeadlessFontMetrics m;
    struct Case {
        const char* text;
        double size;
        bool bold;
        int width;
    };
    // Widths: sum of advances (1/2048 em) * em pixels * 15 / 2048, rounded;
    // the em is the point size at 96 dpi rounded to whole pixels (8 pt: 11).
    const Case cases[] = {
        {"OK", 8, false, 238},          // 1593 + 1366
        {"Exit", 9, true, 330},         // 1366 + 1139 + 569 + 682
        {"Cancel (&0)", 10, false, 0},  // checked below against the sum
        {"", 12, false, 0},
        {"iiii", 12, false, 213},       // 4 * 455
        {"\xE9", 10, false, 108},       // e acute, 1139, at 13 pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FontSpec f{"Arial", c.size, c.bold};
        if (std::string(c.text) == "Cancel (&0)") {
            long units = 0;
            for (char ch : std::string(c.text)) units += HeadlessFontMetrics::advance(ch, false);
            EXPECT_EQ(units, 1479 + 1139 + 1139 + 1024 + 1139 + 455 + 569 + 682 + 1366 + 1139 + 682);
            continue;
        }
        EXPECT_EQ(m.textWidth(f, c.text), c.width);
    }
    EXPECT_EQ(m.lineHeight(FontSpec{"Arial", 8}), 184);  // (1854 + 434) * 11 * 15 / 2048
    EXPECT_EQ(m.lineHeight(FontSpec{"Arial", 12}), 268);
    EXPECT_GT(m.textWidth(FontSpec{"Arial", 10, true}, "Wm"), m.textWidth(FontSpec{"Arial", 10}, "Wm"));
}

TEST_F(FormsTest, AutoSizeLabelTakesTheSizeOfItsText) {
    LabelForm f;
    f.Text.Move(1000, 500, 3000, 400);
    f.Text.setFont(FontSpec{"Arial", 8});
    f.Text.setAutoSize(true);
    f.Text.setCaption("E&xit");
    const HeadlessFontMetrics m;
    EXPECT_EQ(f.Text.Width(), m.textWidth(FontSpec{"Arial", 8}, "Exit")) << "ampersand not drawn";
    EXPECT_EQ(f.Text.Height(), 184);
    EXPECT_EQ(f.Text.Left(), 1000);

    f.Text.setCaption("The printer on COM1 is not online.\r\nPlease check printer cable and power.");
    EXPECT_EQ(f.Text.Height(), 2 * 184);
    EXPECT_EQ(f.Text.Width(), m.textWidth(FontSpec{"Arial", 8}, "Please check printer cable and power."));

    f.Text.setFontBold(true);
    EXPECT_EQ(f.Text.Width(), m.textWidth(FontSpec{"Arial", 8, true}, "Please check printer cable and power."));
}

TEST_F(FormsTest, AutoSizeKeepsTheEdgeItsAlignmentNames) {
    setFontMetrics(std::make_shared<FixedMetrics>());
    struct Case {
        int alignment;
        int left;
    };
    for (const Case& c : {Case{vbLeftJustify, 1000}, Case{vbRightJustify, 1800}, Case{vbCenter, 1400}}) {
        LabelForm f;
        f.Text.Move(1000, 0, 1000, 100);
        f.Text.setAlignment(c.alignment);
        f.Text.setCaption("12");
        f.Text.setAutoSize(true);
        EXPECT_EQ(f.Text.Width(), 200);
        EXPECT_EQ(f.Text.Left(), c.left);
    }
    setFontMetrics(nullptr);
}

TEST_F(FormsTest, WordWrapKeepsTheWidthAndBreaksAtBlanks) {
    setFontMetrics(std::make_shared<FixedMetrics>());
    LabelForm f;
    f.Text.Move(0, 0, 1000, 100);
    f.Text.setWordWrap(true);
    f.Text.setAutoSize(true);
    f.Text.setCaption("one two three four fifteenletters");
    EXPECT_EQ(f.Text.lines(), (std::vector<std::string>{"one two", "three four", "fifteenlet", "ters"}));
    EXPECT_EQ(f.Text.Width(), 1000);
    EXPECT_EQ(f.Text.Height(), 800);
    f.Text.setWidth(2000);
    EXPECT_EQ(f.Text.Height(), 400) << "a wider label wraps again";
    setFontMetrics(nullptr);
}

}  // namespace platform::test
