// Screenshots of the tally window, drawn through the Qt front end, for a
// person to look at: a standard, a kiosk and a type 9 printer, each after
// the read that opening the window makes.
#include "TallyTestSupport.h"

#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/Screenshot.h"
#include "platform/forms/FontMetrics.h"

namespace tallytest {
namespace {

class TallyScreens : public TallyWorld {
protected:
    TallyScreens() {
        gui::ensureQtApplication();
        platform::setFontMetrics(std::make_shared<gui::QtFontMetrics>());
    }
    ~TallyScreens() override { platform::setFontMetrics(nullptr); }
};

TEST_F(TallyScreens, StandardKioskAndType9) {
    struct Case {
        const char* name;
        Link link;
        int type;
    } cases[] = {{"tally-3640-serial", Link::Serial, 0}, {"tally-r809-lan", Link::Lan, 12}, {"tally-3720-2st-usb", Link::Usb, 9}};
    for (const Case& c : cases) {
        detachPrinter();
        connect(c.link, c.type);
        openTally();
        driver.click(w().PrinterID(1));
        driver.click(w().PrinterTally(0));
        const std::string path = std::string(TALLY_SCREENSHOT_DIR) + "/" + c.name + ".png";
        EXPECT_TRUE(gui::saveScreenshot(w(), path)) << path;
        driver.click(w().CloseButton);
        clickButton(2);
    }
}

}  // namespace
}  // namespace tallytest
