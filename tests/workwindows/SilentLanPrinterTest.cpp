// A TCP printer that keeps its connection but stops answering, as each work
// window that polls it shows it; and a print that nothing answers.
#include "OpenWindowWorld.h"

namespace shelltest {
namespace {

enum class Window { Diagnostics, Configuration, Tally };

class SilentLanPrinter : public OpenWindowWorld {
protected:
    template <typename W>
    void show() {
        auto& w = OpenWindowWorld::show<W>(4000);
        online = &w.PrinterOnlineText;
        button = &w.PrintFormButton;
    }

    platform::TextBox* online = nullptr;
    platform::CommandButton* button = nullptr;
};

// Silenced while the window polls, the printer is shown offline within the
// poll's interval and the reply watchdog's 5 s, and online again when it
// answers. The two-colour test's prints get no answer and are followed by a
// 20 s blocking sleep: that is no time-out.
TEST_F(SilentLanPrinter, EachWindowShowsASilentPrinterOfflineAndOnlineAgainButAPrintIsNoTimeOut) {
    struct Case {
        Window window;
        int offlineWithinMs;  // 0: the two-colour test, the printer answering
    } cases[] = {{Window::Diagnostics, 6000}, {Window::Configuration, 8000}, {Window::Tally, 8000},
                 {Window::Diagnostics, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        connect(Link::Lan);
        if (c.window == Window::Diagnostics) show<Diag>();
        if (c.window == Window::Configuration) show<Config>();
        if (c.window == Window::Tally) show<Tally>();
        ASSERT_EQ(online->Text(), "Online");
        int timeOuts = 0;
        const auto counting = mainWindow().OnStatusUpdated.subscribe(
            [&](int status) { timeOuts += status == printerlink::kLanTimeoutStatus; });
        if (c.offlineWithinMs == 0) {
            ASSERT_TRUE(driver.click(dynamic_cast<Diag&>(*workWindow).ColorPrintButton));
            idle(10000);
            EXPECT_EQ(timeOuts, 0);
        } else {
            printer.setReplyFault(sim::ReplyFault::Silent);
            EXPECT_TRUE(shownWithin(*online, "Offline", c.offlineWithinMs));
            EXPECT_FALSE(button->Enabled());
            printer.setReplyFault(sim::ReplyFault::None);
            EXPECT_TRUE(shownWithin(*online, "Online", 4000));
        }
        EXPECT_TRUE(button->Enabled());
        platform::Unload(*workWindow);
        ASSERT_TRUE(clickButton(2));
    }
}

}  // namespace
}  // namespace shelltest
