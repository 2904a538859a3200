// Each work window opened and closed 100 times from the main window, as a
// technician going back and forth does: the next click comes half a second
// after a close, while the main window still yields after the last one.
#include <string>
#include <tuple>

#include "configuration/apply/OpenChangeConfigDlg.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "shell/WorkWindowTestSupport.h"
#include "tally/ViewTallyDlg.h"

namespace shelltest {
namespace {

using WindowCase = std::pair<const char*, int>;  // the form's name, the main window's button

class WorkWindowCycles : public WorkWindowWorld, public ::testing::WithParamInterface<WindowCase> {
protected:
    static constexpr int kCycles = 100, kOpenMs = 1500, kNextClickMs = 500;

    WorkWindowCycles() {
        mainWindow().workWindows.diagnose = diagnostics::OpenDiagnosePrinterDlg;
        mainWindow().workWindows.changeConfiguration = configuration::OpenChangeConfigDlg;
        mainWindow().workWindows.viewTally = tally::ShowViewTallyDlg;
    }
    auto counts() {
        return std::tuple{loop.timerCount(), loop.watchCount(), mainWindow().OnDataReceived.subscriberCount(),
                          mainWindow().OnStatusUpdated.subscriberCount(), platform::Forms::Count(),
                          platform::Forms::liveCount()};
    }
    // Closes the window with its close box after a while and clicks its
    // button again a moment later, until the last cycle.
    void closeLaterAndClickAgain() {
        clock.scheduleAfter(kOpenMs * 1000, [this] {
            loop.post([this] {
                platform::Form* form = platform::TestDriver::findForm(GetParam().first);
                ASSERT_NE(form, nullptr);
                driver.closeBox(*form);
                lastClose = clock.now();
                if (++closed == kCycles) return;
                clock.scheduleAfter(kNextClickMs * 1000, [this] {
                    loop.post([this] {
                        closeLaterAndClickAgain();
                        clickButton(GetParam().second);
                    });
                });
            });
        });
    }

    int closed = 0;
    platform::Micros lastClose = 0;
};

TEST_P(WorkWindowCycles, LeaveNothingBehindAndCostNoMoreEachTime) {
    connect(Link::Lan);
    const auto before = counts();
    closeLaterAndClickAgain();
    ASSERT_TRUE(clickButton(GetParam().second));
    EXPECT_EQ(closed, kCycles);
    EXPECT_TRUE(counts() == before);
    // After the last close the main window yields its own ten thousand times
    // (a second), not also what every earlier click left undone.
    EXPECT_LE(clock.now() - lastClose, 1100 * 1000);
}

INSTANTIATE_TEST_SUITE_P(Windows, WorkWindowCycles,
                         ::testing::Values(WindowCase{"DiagnosePrinterDlg", 3}, WindowCase{"ChangeConfigDlg", 4},
                                           WindowCase{"ViewTallyDlg", 5}),
                         [](const auto& info) { return std::string(info.param.first); });

}  // namespace
}  // namespace shelltest
