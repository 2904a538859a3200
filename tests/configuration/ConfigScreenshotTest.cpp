// Screenshots of the configuration window, drawn through the Qt front end,
// for a person to look at: the communication, software, hardware and
// two-sided categories of a slip printer on a serial port, a kiosk printer on
// LAN and the M27x on USB.
#include "ConfigWindowTestSupport.h"
#include "configuration/catalogue/Catalogue.h"
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

// Whatever a model's rows say, it shows whole: each label beside its box,
// each option inside its closed list, which takes about 30 pixels of its
// width for its frame, the entry's margin and its button.
TEST_F(ConfigScreens, EveryLabelAndOptionOfTheCatalogueFitsItsRow) {
    constexpr int kListParts = 30 * platform::kTwipsPerPixel;
    constexpr int kBoxParts = 20 * platform::kTwipsPerPixel;
    connect(Link::Lan, 3);
    open();
    const platform::CheckBox& box = dlg->Setting(0);
    const platform::ComboBox& list = dlg->SettingList(0);
    ASSERT_LE(box.Left() + box.Width(), list.Left());
    const auto width = [](const platform::Control& c, const std::string& text) {
        return platform::fontMetrics().textWidth(c.Font(), text);
    };
    for (int category = 0; category < configuration::kCategoryCount; ++category)
        for (const configuration::Rule& rule : configuration::catalogueRules(category).rules()) {
            if (rule.op == configuration::RuleOp::Label) {
                EXPECT_LE(width(box, rule.text) + kBoxParts, box.Width()) << rule.text;
            }
            for (const std::string& option : rule.options)
                EXPECT_LE(width(list, option) + kListParts, list.Width()) << option;
        }
}

}  // namespace
}  // namespace configtest
