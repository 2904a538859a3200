// A TCP printer that keeps its connection but stops answering, as each work
// window that polls it shows it; and a print that nothing answers.
#include "shell/WorkWindowTestSupport.h"

#include "configuration/apply/ConfigurationApply.h"
#include "configuration/editor/ChangeConfigDlg.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "tally/ViewTallyDlg.h"

namespace shelltest {
namespace {

enum class Window { Diagnostics, Configuration, Tally };

class SilentLanPrinter : public WorkWindowWorld {
protected:
    template <typename W>
    void show(std::shared_ptr<W> w) {
        online = &w->PrinterOnlineText;
        button = &w->PrintFormButton;
        form = w;
        w->Show(platform::vbModeless, &mainWindow());
        idle(4000);
    }
    // Milliseconds until the window shows `text`, or -1 after limitMs.
    double msUntil(const std::string& text, int limitMs) {
        const platform::Micros from = clock.now();
        for (; online->Text() != text; runFor(100))
            if (elapsedMs(from) > limitMs) return -1;
        return elapsedMs(from);
    }

    std::shared_ptr<platform::Form> form;
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
        std::shared_ptr<diagnostics::DiagnosePrinterDlg> diagnostics;
        if (c.window == Window::Diagnostics)
            show(diagnostics = platform::newForm<diagnostics::DiagnosePrinterDlg>(mainWindow()));
        if (c.window == Window::Configuration)
            show(platform::newForm<configuration::ChangeConfigDlg>(
                mainWindow(), std::make_unique<configuration::ConfigurationApply>()));
        if (c.window == Window::Tally) show(platform::newForm<tally::ViewTallyDlg>(mainWindow()));
        ASSERT_EQ(online->Text(), "Online");
        int timeOuts = 0;
        const auto counting = mainWindow().OnStatusUpdated.subscribe(
            [&](int status) { timeOuts += status == printerlink::kLanTimeoutStatus; });
        if (c.offlineWithinMs == 0) {
            ASSERT_TRUE(driver.click(diagnostics->ColorPrintButton));
            idle(10000);
            EXPECT_EQ(timeOuts, 0);
        } else {
            printer.setReplyFault(sim::ReplyFault::Silent);
            const double offline = msUntil("Offline", 10000);
            EXPECT_TRUE(offline >= 0 && offline <= c.offlineWithinMs) << offline;
            EXPECT_FALSE(button->Enabled());
            printer.setReplyFault(sim::ReplyFault::None);
            EXPECT_GE(msUntil("Online", 4000), 0);
        }
        EXPECT_TRUE(button->Enabled());
        platform::Unload(*form);
        ASSERT_TRUE(clickButton(2));
    }
}

}  // namespace
}  // namespace shelltest
