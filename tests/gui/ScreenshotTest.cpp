// Screenshots: the sample form with every control kind is saved under the
// build folder for people to look at; the checks here catch a blank, a
// wrongly sized or an unreadable picture, and a keyboard focus not drawn.
#include <QImage>
#include <QWidget>
#include <functional>

#include "GuiTestSupport.h"
#include "SampleForm.h"
#include "gui/Convert.h"
#include "gui/FormWindow.h"
#include "gui/Screenshot.h"

namespace gui::test {

namespace {

std::string screenshotPath(const std::string& name) { return std::string(POS_SCREENSHOT_DIR) + "/" + name; }

QColor pixelAt(const QImage& image, int x, int y) { return QColor::fromRgb(image.pixel(x, y)); }

}  // namespace

TEST_F(GuiTest, SampleScreenshotHasTheModelsGeometryAndEveryControl) {
    SampleForm form;
    form.Show();
    const std::string path = screenshotPath("sample.png");
    ASSERT_TRUE(saveScreenshot(form, path));

    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), px(form.ScaleWidth()) + px(form.frameWidth()));
    EXPECT_EQ(image.height(), px(form.ScaleHeight()) + px(form.frameHeight()));

    // Client area starts below the title bar; control pixels sit where the
    // model's twips put them.
    const int left = px(form.frameWidth()) / 2;
    const int top = px(form.frameHeight()) - left;
    auto at = [&](const platform::Control& c, int dx, int dy) {
        return pixelAt(image, left + px(c.formLeft()) + dx, top + px(c.formTop()) + dy);
    };
    const QColor title = pixelAt(image, left + 2, left + 2);
    EXPECT_TRUE(title.blue() > 100 && title.red() < 60) << "title bar";
    EXPECT_EQ(at(form.Host, 6, 2), QColor(Qt::white)) << "text box background";
    EXPECT_EQ(at(form.Serial, 6, 2), toQColor(platform::vb3DLight)) << "locked text box background";
    EXPECT_EQ(at(form.Boxed, 0, 0), toQColor(platform::vbButtonShadow)) << "label border";
    const QColor icon = at(form.Icons(0), 16, 6);
    EXPECT_GT(icon.red(), 150) << "critical icon is red";
    EXPECT_LT(icon.green(), 80);

    // Something is written in the warning label, in its colour.
    int red = 0;
    for (int x = 0; x < px(form.Warning.Width()); ++x)
        for (int y = 0; y < px(form.Warning.Height()); ++y) {
            const QColor c = at(form.Warning, x, y);
            if (c.red() > 200 && c.green() < 120) ++red;
        }
    EXPECT_GT(red, 20);
}

TEST_F(GuiTest, TheFocusedButtonCheckBoxOptionOrListShowsItsFocus) {
    SampleForm form;
    form.Show();
    FormWindow& window = *renderer->windowOf(form);
    auto shotWithFocusOn = [&](platform::Control& c) {
        driver.focus(c);
        pump();
        return window.screenshot();
    };
    // Pixels inside the control's rectangle for which keep() holds.
    auto count = [](const platform::Control& c, const std::function<bool(int, int)>& keep) {
        const PixelRect r = screenshotRect(c);
        int n = 0;
        for (int x = r.left; x < r.left + r.width; ++x)
            for (int y = r.top; y < r.top + r.height; ++y) n += keep(x, y);
        return n;
    };
    const QImage reference = shotWithFocusOn(form.Host);
    for (platform::Control* c : std::initializer_list<platform::Control*>{
             &form.OKButton, &form.CancelButton, &form.AutoCut, &form.Width(1), &form.Model}) {
        SCOPED_TRACE(c->displayName());
        const QImage focused = shotWithFocusOn(*c);
        focused.save(QString::fromStdString(screenshotPath("focus-" + c->Name() + ".png")));
        // The focus is drawn inside the control, where the model puts it.
        EXPECT_GT(count(*c, [&](int x, int y) { return focused.pixel(x, y) != reference.pixel(x, y); }), 40);
    }
    // The focused list shows its entry selected: most of its field is in
    // the selection colour.
    const QImage list = shotWithFocusOn(form.Model);
    const int selected =
        count(form.Model, [&](int x, int y) { return pixelAt(list, x, y) == toQColor(platform::vbHighlight); });
    EXPECT_GT(selected, px(form.Model.Width()) * px(form.Model.Height()) / 3);
}

TEST_F(GuiTest, ScreenshotOfALoadedFormLeavesItHidden) {
    SampleForm form;
    platform::Load(form);
    ASSERT_TRUE(saveScreenshot(form, screenshotPath("sample-loaded.png")));
    ASSERT_NE(renderer->windowOf(form), nullptr);
    EXPECT_FALSE(renderer->windowOf(form)->isVisible());
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(saveScreenshot(form, "/proc/no-such-folder/x.png"));
}

}  // namespace gui::test

