#include "ShellTestSupport.h"

#include "platform/forms/FontMetrics.h"
#include "platform/forms/Keys.h"
#include "shell/IniFile.h"

namespace shelltest {
namespace {

using shell::ModalMessageBox;
using shell::ShowMessage;

class MessageBox : public ShellWorld {
protected:
    // Shows a box and lets `act` answer it; returns the result.
    long show(const std::string& text, long buttons, long icon, std::function<void(ModalMessageBox&)> act) {
        driver.answerNext([this, act](platform::Form& form) {
            auto& box = dynamic_cast<ModalMessageBox&>(form);
            seen = {box.MessageLabel.Caption(), box.OKButton.Caption(), box.CancelButton.Visible(),
                    box.IconImage.Visible()};
            cancelCaption = box.CancelButton.Caption();
            act(box);
        });
        return ShowMessage(text, buttons, icon);
    }
    MessageSeen seen;
    std::string cancelCaption;
};

TEST_F(MessageBox, StylesGiveTheirButtonsDefaultResultsIconsAndBeeps) {
    struct Case {
        long buttons, icon;
        const char *ok, *cancel;
        long closeBoxResult;
        bool iconShown;
        int beep;
    } cases[] = {
        {0, 64, "OK (&1)", "", 1, true, 64},       {1, 32, "OK (&1)", "Cancel (&0)", 2, true, 32},
        {4, 16, "Yes (&1)", "No (&0)", 7, true, 16}, {4, 48, "Yes (&1)", "No (&0)", 7, true, 48},
        {2, 0, "OK (&1)", "", 1, false, 0},        {3, 20, "OK (&1)", "", 1, false, 0},
        {1, 65, "OK (&1)", "Cancel (&0)", 2, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "buttons " << c.buttons << " icon " << c.icon);
        beeps.clear();
        const long result = show("Text", c.buttons, c.icon, [this](ModalMessageBox& box) { driver.closeBox(box); });
        EXPECT_EQ(result, c.closeBoxResult);
        EXPECT_EQ(seen.okCaption, c.ok);
        EXPECT_EQ(cancelCaption, c.cancel);
        EXPECT_EQ(seen.cancelShown, std::string(c.cancel) != "");
        EXPECT_EQ(seen.iconShown, c.iconShown);
        EXPECT_EQ(beeps, std::vector<int>{c.beep});
    }
    EXPECT_EQ(platform::Forms::Count(), 0);
}

TEST_F(MessageBox, KeysOneAndZeroPressTheShownButtons) {
    struct Case {
        long buttons;
        std::vector<int> keys;  // key codes pressed in turn
        int shift;
        long result;
    } cases[] = {
        {0, {'1'}, 0, 1},
        {0, {'0', '1'}, 0, 1},  // "0" does nothing without a Cancel button
        {1, {'1'}, 0, 1},
        {1, {'0'}, 0, 2},
        {4, {'1'}, 0, 6},
        {4, {'0'}, 0, 7},
        {4, {'A', '0'}, 0, 7},  // other keys do nothing
        {4, {'1'}, platform::vbAltMask, 6},
        {1, {'0'}, platform::vbAltMask, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "buttons " << c.buttons << " first key " << c.keys.front());
        int pressedWhileOpen = 0;
        const long result = show("Question?", c.buttons, 32, [&](ModalMessageBox& box) {
            for (int key : c.keys) {
                if (!box.isLoaded()) break;
                driver.pressKey(box, key, c.shift);
                ++pressedWhileOpen;
            }
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(pressedWhileOpen, static_cast<int>(c.keys.size()));
    }
}

TEST_F(MessageBox, ButtonsGiveTheirResults) {
    EXPECT_EQ(show("q", 4, 64, [this](ModalMessageBox& b) { driver.click(b.OKButton); }), 6);
    EXPECT_EQ(show("q", 4, 64, [this](ModalMessageBox& b) { driver.click(b.CancelButton); }), 7);
    EXPECT_EQ(show("q", 1, 64, [this](ModalMessageBox& b) { driver.click(b.CancelButton); }), 2);
    EXPECT_EQ(show("q", 1, 64, [this](ModalMessageBox& b) { driver.click(b.OKButton); }), 1);
}

TEST_F(MessageBox, WindowIsSizedAroundTextAndButtons) {
    struct Case {
        const char* text;
        long buttons;
    } cases[] = {
        {"Short", 1},
        {"Short", 0},
        {"A message that is certainly much wider than the group of the two buttons below it", 4},
        {"First line\r\nSecond line\r\nThird line", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::shared_ptr<ModalMessageBox> box = platform::newForm<ModalMessageBox>();
        box->setMessageText(c.text);
        box->setButtonStyle(c.buttons);
        box->setIconStyle(48);
        platform::Load(*box);
        const int frameW = box->Width() - box->ScaleWidth();
        const int frameH = box->Height() - box->ScaleHeight();
        const int groupW = c.buttons == 0 ? ModalMessageBox::kButtonWidth
                                          : ModalMessageBox::kCancelOffset + ModalMessageBox::kButtonWidth;
        const auto& label = box->MessageLabel;
        EXPECT_EQ(box->ButtonGroup.Width(), groupW);
        EXPECT_EQ(box->Width(), std::max(label.Width(), groupW) + 1500 + frameW);
        EXPECT_EQ(box->Height(), label.Height() + 300 + ModalMessageBox::kButtonHeight + 600 + frameH);
        EXPECT_EQ(label.Left(), 900);
        EXPECT_EQ(label.Top(), 300);
        EXPECT_EQ(box->ButtonGroup.Top(), 300 + label.Height() + 300);
        EXPECT_EQ(box->ButtonGroup.Left(), (box->ScaleWidth() - groupW) / 2);
        EXPECT_EQ(box->IconImage.Left(), 120);
        EXPECT_EQ(box->IconImage.Top(), 300 + (label.Height() - box->IconImage.Height()) / 2);
        EXPECT_EQ(box->Caption(), kAppTitle);
        EXPECT_TRUE(box->Icon() != nullptr);
        platform::Unload(*box);
    }
}

TEST_F(MessageBox, TimedNoticeClosesItselfAfterItsDisplayTime) {
    for (int displayMs : {800, 2000, 0}) {
        SCOPED_TRACE(displayMs);
        notices.clear();
        const platform::Micros start = clock.now();
        shell::ShowTimedNotice("Checking the printer connection....", displayMs);
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].text, "Checking the printer connection....");
        const double expected = displayMs == 0 ? 1000 : displayMs;
        EXPECT_NEAR(notices[0].shownMs(), expected, 1.0);
        EXPECT_NEAR(static_cast<double>(clock.now() - start) / 1000.0, expected, 1.0);
    }
    EXPECT_EQ(platform::Forms::Count(), 0);
}

TEST_F(MessageBox, SettingsFileErrorIsReportedNeverThrown) {
    const std::string unusable = (folder / "missing folder" / "DuRudo.ini").string();
    EXPECT_NO_THROW(shell::WriteIniValue(unusable, "Configurations", "PortNumber", "1"));
    EXPECT_EQ(shell::ReadIniValue(unusable, "Configurations", "PortNumber"), "");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text,
              "Runtime Error :75\r\nPath/File access error\r\nPlease restart the application with admin privileges.");
    EXPECT_TRUE(messages[0].iconShown);
    EXPECT_EQ(beeps.front(), 48);
    EXPECT_FALSE(fs::exists(folder / "missing folder"));
}

}  // namespace
}  // namespace shelltest
