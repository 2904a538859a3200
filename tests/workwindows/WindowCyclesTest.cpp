// Each work window opened and closed many times from the main window, as a
// technician going back and forth does: the next click comes while the main
// window still yields after the last one.
#include <string>

#include "configuration/apply/OpenChangeConfigDlg.h"
#include "diagnostics/DiagnosePrinterDlg.h"
#include "shell/WorkWindowTestSupport.h"
#include "tally/ViewTallyDlg.h"

namespace shelltest {
namespace {

struct Counts {
    std::size_t timers, watches, dataSubscribers, statusSubscribers;
    int loadedForms, liveForms;
    bool operator==(const Counts&) const = default;
};

struct WindowCase {
    const char* name;
    int button;
};

class WorkWindowCycles : public WorkWindowWorld, public ::testing::WithParamInterface<WindowCase> {
protected:
    static constexpr int kCycles = 100, kOpenMs = 1500, kNextClickMs = 500;

    WorkWindowCycles() {
        mainWindow().workWindows.diagnose = diagnostics::OpenDiagnosePrinterDlg;
        mainWindow().workWindows.changeConfiguration = configuration::OpenChangeConfigDlg;
        mainWindow().workWindows.viewTally = tally::ShowViewTallyDlg;
    }
    Counts counts() {
        return {loop.timerCount(),
                loop.watchCount(),
                mainWindow().OnDataReceived.subscriberCount(),
                mainWindow().OnStatusUpdated.subscriberCount(),
                platform::Forms::Count(),
                platform::Forms::liveCount()};
    }
    // Each opening closes its window with the close box after a while and
    // clicks the button again a moment after the close, until the last.
    void closeLaterAndClickAgain() {
        clock.scheduleAfter(kOpenMs * 1000, [this] {
            loop.post([this] {
                platform::Form* form = platform::TestDriver::findForm(GetParam().name);
                ASSERT_NE(form, nullptr);
                driver.closeBox(*form);
                lastClose = clock.now();
                if (++closed == kCycles) return;
                clock.scheduleAfter(kNextClickMs * 1000, [this] {
                    loop.post([this] {
                        closeLaterAndClickAgain();
                        clickButton(GetParam().button);
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
    const Counts before = counts();
    closeLaterAndClickAgain();
    ASSERT_TRUE(clickButton(GetParam().button));
    EXPECT_EQ(closed, kCycles);
    EXPECT_TRUE(counts() == before);
    // The main window's work after the last close is its own ten thousand
    // yields (a second at 0.1 ms), not those the earlier clicks left undone.
    EXPECT_LE(clock.now() - lastClose, 1100 * 1000);
}

INSTANTIATE_TEST_SUITE_P(Windows, WorkWindowCycles,
                         ::testing::Values(WindowCase{"DiagnosePrinterDlg", 3}, WindowCase{"ChangeConfigDlg", 4},
                                           WindowCase{"ViewTallyDlg", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shelltest
