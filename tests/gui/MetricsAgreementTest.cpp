// AutoSize agrees with and without Qt: the headless Arial table measures
// the texts of the utility's windows as wide and as high as Qt's fonts
// draw them, at the sizes the windows use.
#include <QFontInfo>
#include <QFontMetricsF>
#include <cmath>

#include "GuiTestSupport.h"
#include "gui/Convert.h"
#include "gui/QtFontMetrics.h"
#include "platform/forms/FontMetrics.h"
#include "platform/forms/Label.h"

namespace gui::test {

namespace {
constexpr int kOnePixel = platform::kTwipsPerPixel;
}

TEST(MetricsAgreement, HeadlessTableMeasuresWhatQtDraws) {
    ensureQtApplication();
    const platform::HeadlessFontMetrics table;
    const QtFontMetrics qt;
    const char* texts[] = {
        "Exit Utility (X)",
        "Exit AXO 36xx Printer Diagnostic Utility.",
        "Disconnect POS Printer and Close Serial Port",
        "Checking the printer connection....",
        "Printer is not connected,Verify the communication parameters",
        "Please check printer cable and power.",
        "Version 2.2.12",
        "OK (1)",
        "Cancel (0)",
        "WWWWWWWWWWWWWWWWWWWW",
        "iiiiiiiiiiiiiiiiiiii",
        "Caf\xE9 \xC4\xD6\xDC \xAB" "12,5 \x80\xBB",
    };
    for (double size : {8.0, 9.0, 10.0, 12.0})
        for (bool bold : {false, true}) {
            const platform::FontSpec font{"Arial", size, bold};
            SCOPED_TRACE(testing::Message() << size << (bold ? " bold" : ""));
            EXPECT_NEAR(qt.lineHeight(font), table.lineHeight(font), kOnePixel);
            for (const char* text : texts)
                EXPECT_NEAR(qt.textWidth(font, text), table.textWidth(font, text), kOnePixel) << text;
        }
}

TEST(MetricsAgreement, QtMetricsAreThoseOfTheDrawnFont) {
    ensureQtApplication();
    const QtFontMetrics qt;
    const platform::FontSpec font{"Arial", 9, true};
    const QFontMetricsF drawn(toQFont(font));
    EXPECT_EQ(qt.textWidth(font, "Diagnose POS Printer (P)..."),
              static_cast<int>(std::lround(drawn.horizontalAdvance(QStringLiteral("Diagnose POS Printer (P)...")) * 15)));
    EXPECT_EQ(QFontInfo(toQFont(font)).family(), QStringLiteral("Liberation Sans"));
}

TEST_F(GuiTest, AutoSizeLabelHasTheSameSizeWithEitherMetrics) {
    struct LabelForm : platform::Form {
        LabelForm() : Form("LabelForm") {}
        platform::Label Text{*this, "Text"};
    } form;
    form.Text.setAutoSize(true);
    form.Text.setCaption("An error occured in Opening LAN connection\r\n    Reason = Opening LAN connection");
    const int headlessWidth = form.Text.Width(), headlessHeight = form.Text.Height();
    platform::setFontMetrics(std::make_shared<QtFontMetrics>());
    form.Text.setFontSize(9);
    form.Text.setFontSize(8);  // measured again, now with Qt's fonts
    platform::setFontMetrics(nullptr);
    EXPECT_NEAR(form.Text.Width(), headlessWidth, kOnePixel);
    EXPECT_NEAR(form.Text.Height(), headlessHeight, 2 * kOnePixel);
}

}  // namespace gui::test
