#include "ShellTestSupport.h"
#include "platform/RuntimeError.h"

namespace shelltest {
namespace {

class Startup : public ShellWorld {
protected:
    struct Shown {
        std::string text;
        int icon;
        std::string caption;
        bool operator==(const Shown&) const = default;
    };
    std::shared_ptr<shell::MainWindow> start() {
        return shell::Main(printerlink::LinkTransports{serial, tcp, hid},
                           [this](const std::string& text, int icon, const std::string& caption) {
                               platformBoxes.push_back({text, icon, caption});
                           });
    }
    std::vector<Shown> platformBoxes;
};

TEST_F(Startup, SecondInstanceIsRefusedAndTheFirstGetsItsWindow) {
    {
        // Another process of the same installation holds the instance lock.
        platform::Application running;
        running.setPath(platform::app().path());
        running.setTitle(platform::app().title());
        ASSERT_FALSE(running.previousInstance());

        EXPECT_EQ(start(), nullptr);
        const std::vector<Shown> expected{{"Application is already running", 16, kAppTitle}};
        EXPECT_EQ(platformBoxes, expected);
        EXPECT_EQ(platform::Forms::Count(), 0);
        EXPECT_EQ(shell::objMainWindow, nullptr);
    }
    platformBoxes.clear();
    platform::setHandlerErrorReport(nullptr);
    window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(platformBoxes.empty());
    EXPECT_EQ(shell::objMainWindow, window.get());
    EXPECT_TRUE(window->Visible());
    // Nothing is read or written at start-up.
    EXPECT_FALSE(settingsFileExists());
    bool receipt = true, font = true;
    EXPECT_EQ(shell::GetColumnsPerLine(receipt, font), 56);
}

TEST_F(Startup, AnErrorEscapingAnEventHandlerIsShownInTheRunTimeErrorReport) {
    platform::setHandlerErrorReport(nullptr);
    window = start();
    ASSERT_NE(window, nullptr);
    loop.post([] { platform::raiseError(platform::err::TypeMismatch); });
    idle(10);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Runtime Error :13\r\nType mismatch");
    EXPECT_TRUE(messages[0].iconShown);
}

}  // namespace
}  // namespace shelltest
