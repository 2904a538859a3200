// Screenshots of the diagnostics window drawn through the Qt front end, for
// a person to look at: a slip model on a serial port, a kiosk model over TCP
// and the M27x over USB HID, each with a few conditions on its panel, and the
// scanning slip model while it receives a scan.
#include "DiagnosticsTestSupport.h"

#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/Screenshot.h"
#include "platform/Application.h"
#include "platform/forms/FontMetrics.h"

namespace diagtest {
namespace {

class DiagnosticsScreens : public DiagnosticsWorld {
protected:
    DiagnosticsScreens() {
        gui::ensureQtApplication();
        platform::setFontMetrics(std::make_shared<gui::QtFontMetrics>());
        platform::app().setTitle("AXO36xxDiag");
    }
    ~DiagnosticsScreens() override { platform::setFontMetrics(nullptr); }
};

TEST_F(DiagnosticsScreens, SlipKioskAndM27x) {
    struct Case {
        const char* name;
        Link link;
        int type;
        Strings conditions;
    } cases[] = {
        {"diagnose-slip-3650-serial", Link::Serial, 3, {"paper-low", "slip-selected", "slip-tof", "drawer-open"}},
        {"diagnose-kiosk-3720-2st-lan", Link::Lan, 9, {"paper-out", "presenter-paper"}},
        {"diagnose-m27x-usb", Link::Usb, 14, {"presenter-paper", "head-damaged", "cover-open"}},
    };
    for (const Case& c : cases) {
        printer.status() = {};
        printer.status().drawerOpen = false;
        for (const auto& name : c.conditions) sim::setCondition(printer.status(), name, true);
        auto& w = open(c.link, c.type);
        runFor(2500);
        const std::string path = std::string(DIAGNOSTICS_SCREENSHOT_DIR) + "/" + c.name + ".png";
        EXPECT_TRUE(gui::saveScreenshot(w, path)) << path;
        platform::Unload(w);
        ASSERT_TRUE(clickButton(2));
    }
}

TEST_F(DiagnosticsScreens, ScanUnderWay) {
    auto& w = open(Link::Lan, 1);
    setSlipDocument(printer.status(), sim::SlipDocument::Inserted);
    printer.scanner().fault = sim::ScanFault::Silent;
    printer.scanner().faultBlock = 3;
    ASSERT_TRUE(driver.click(w.CheckScanButton));
    runFor(2500);
    EXPECT_EQ(w.Caption(), " Diagnose POS Printer - Receiving Scan Image...");
    const std::string path = std::string(DIAGNOSTICS_SCREENSHOT_DIR) + "/diagnose-scan-3640-x035-lan.png";
    EXPECT_TRUE(gui::saveScreenshot(w, path)) << path;
}

}  // namespace
}  // namespace diagtest
