// Screenshots of the configuration window, drawn through the Qt front end,
// for a person to look at: the communication, software, hardware and
// two-sided categories of a slip printer on a serial port, a kiosk printer on
// LAN and the M27x on USB.
#include "ConfigWindowTestSupport.h"
#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/Screenshot.h"
#include "platform/forms/FontMetrics.h"

namespace configtest {
namespace {

class ConfigScreens : public ConfigWindowWorld {
protected:
    ConfigScreens() {
        gui::ensureQtApplication();
        platform::setFontMetrics(std::make_shared<gui::QtFontMetrics>());
    }
    ~ConfigScreens() override { platform::setFontMetrics(nullptr); }

    // Ticks the rows the model offers, so their lists show.
    void tickIfUsable(std::initializer_list<int> rows) {
        for (int row : rows)
            if (platform::UserInput::reachable(dlg->Setting(row))) tick(row);
    }

    void shoot(const std::string& name) {
        const std::string path = std::string(CONFIG_SCREENSHOT_DIR) + "/" + name + ".png";
        EXPECT_TRUE(gui::saveScreenshot(*dlg, path)) << path;
    }
};

TEST_F(ConfigScreens, SlipKioskAndM27x) {
    struct Case {
        const char* name;
        Link link;
        int type;
    } cases[] = {{"config-slip-3650-com", Link::Serial, 3},
                 {"config-kiosk-3720-2st-lan", Link::Lan, 9},
                 {"config-m27x-usb", Link::Usb, 14}};
    for (const Case& c : cases) {
        connect(c.link, c.type);
        open();
        tickIfUsable({5, 6});
        shoot(std::string(c.name) + "-communication");
        showCategory(1);
        tickIfUsable({2, 6});
        shoot(std::string(c.name) + "-software");
        showCategory(2);
        tickIfUsable({0, 3, 14});
        shoot(std::string(c.name) + "-hardware");
        showCategory(4);
        tickIfUsable({0, 5});
        shoot(std::string(c.name) + "-two-sided");
        ASSERT_TRUE(driver.click(dlg->CloseButton));
        ASSERT_TRUE(clickButton(2));  // disconnect
    }
}

}  // namespace
}  // namespace configtest
