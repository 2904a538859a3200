// Widget -> model: what the user does to a widget reaches the model through
// its user-level operations, on the loop's next pass, under the model's
// rules (reachability, Locked, MaxLength, Tab order, access keys, Default
// and Cancel buttons, QueryUnload).
#include <QCheckBox>
#include <QClipboard>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include "GuiTestSupport.h"
#include "gui/FormWindow.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Frame.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/TextBox.h"

namespace gui::test {

namespace {

struct InputForm : platform::Form {
    InputForm() : Form("InputForm") {
        setClientSize(6000, 4000);
        Box.Move(120, 120, 2400, 1200);
        Box.setCaption("Box");
        Go.Move(240, 360, 1200, 400);
        Go.setCaption("&Go");
        Go.Click = [this] { ++goClicks; };
        Check.Move(2700, 120, 1800, 300);
        Check.setCaption("Check");
        Check.Click = [this] { ++checkClicks; };
        Pick(0).Move(2700, 480, 1800, 300);
        Pick(1).Move(2700, 840, 1800, 300);
        Choice.Move(2700, 1200, 1800, 315);
        for (const char* s : {"one", "two", "three"}) Choice.AddItem(s);
        Choice.Click = [this] { ++choiceClicks; };
        Entry.Move(120, 1800, 2400, 315);
        Entry.KeyPress = [this](int&) { ++keyPresses; };
        Entry.GotFocus = [this] { ++entryFocus; };
        OK.Move(120, 3000, 1200, 400);
        OK.setDefault(true);
        OK.Click = [this] { ++okClicks; };
        Cancel.Move(1500, 3000, 1200, 400);
        Cancel.setCancel(true);
        Cancel.Click = [this] { ++cancelClicks; };
    }
    void Form_QueryUnload(int& cancel, int mode) override {
        closeModes.push_back(mode);
        if (refuseClose) cancel = 1;
    }

    platform::Frame Box{*this, "Box"};
    platform::CommandButton Go{Box, "Go"};
    platform::CheckBox Check{*this, "Check"};
    platform::ControlArray<platform::OptionButton> Pick{*this, "Pick", 0, 1};
    platform::ComboBox Choice{*this, "Choice"};
    platform::TextBox Entry{*this, "Entry"};
    platform::CommandButton OK{*this, "OK"};
    platform::CommandButton Cancel{*this, "Cancel"};

    int goClicks = 0, checkClicks = 0, choiceClicks = 0, keyPresses = 0, entryFocus = 0;
    int okClicks = 0, cancelClicks = 0;
    std::vector<int> closeModes;
    bool refuseClose = false;
};

}  // namespace

TEST_F(GuiTest, ButtonClickGoesThroughTheModelOnce) {
    InputForm form;
    form.Show();
    auto* go = widget<QPushButton>(form.Go);
    ASSERT_NE(go, nullptr);

    QTest::mouseClick(go, Qt::LeftButton);
    EXPECT_EQ(form.goClicks, 0) << "handlers run on the loop's pass, not inside Qt";
    pump();
    EXPECT_EQ(form.goClicks, 1);
    EXPECT_EQ(form.ActiveControl(), &form.Go) << "a click focuses the button first";

    form.Box.setEnabled(false);
    EXPECT_FALSE(go->isEnabled());
    QTest::mouseClick(go, Qt::LeftButton);
    pump();
    EXPECT_EQ(form.goClicks, 1) << "a disabled container blocks its button";

    // Disabled in the model between Qt's click and the loop's pass: the
    // model refuses, as it would any unreachable control.
    form.Box.setEnabled(true);
    QTest::mouseClick(go, Qt::LeftButton);
    form.Box.setEnabled(false);
    pump();
    EXPECT_EQ(form.goClicks, 1);
}

TEST_F(GuiTest, CheckAndOptionStatesAreTheModelsToChange) {
    InputForm form;
    form.Show();
    auto* check = widget<QCheckBox>(form.Check);
    auto* pick1 = widget<QRadioButton>(form.Pick(1));

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(check->checkState(), Qt::Unchecked) << "Qt does not toggle by itself";
    pump();
    EXPECT_EQ(form.Check.Value(), platform::vbChecked);
    EXPECT_EQ(check->checkState(), Qt::Checked);
    EXPECT_EQ(form.checkClicks, 1);

    form.Pick(0).setValue(true);
    QTest::mouseClick(pick1, Qt::LeftButton);
    pump();
    EXPECT_TRUE(form.Pick(1).Value());
    EXPECT_FALSE(form.Pick(0).Value());
    EXPECT_FALSE(widget<QRadioButton>(form.Pick(0))->isChecked());
    EXPECT_TRUE(pick1->isChecked());
}

TEST_F(GuiTest, ChoosingFromTheOpenListSelectsInTheModel) {
    InputForm form;
    form.Show();
    auto* choice = widget<QComboBox>(form.Choice);

    choice->setCurrentIndex(2);
    emit choice->activated(2);
    pump();
    EXPECT_EQ(form.Choice.ListIndex(), 2);
    EXPECT_EQ(form.choiceClicks, 1);

    form.Choice.setLocked(true);
    choice->setCurrentIndex(0);
    emit choice->activated(0);
    pump();
    EXPECT_EQ(form.Choice.ListIndex(), 2) << "a locked list keeps its entry";
    EXPECT_EQ(choice->currentIndex(), 2) << "and the widget shows it again";
}

TEST_F(GuiTest, KeysOpenTheListOnItsCurrentEntryWithoutChoosing) {
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Down, Qt::AltModifier}, {Qt::Key_Up, Qt::AltModifier}, {Qt::Key_F4, Qt::NoModifier}};
    for (const auto& [key, modifiers] : keys) {
        SCOPED_TRACE(QKeySequence(key | modifiers).toString().toStdString());
        InputForm form;
        form.Show();
        form.Choice.setListIndex(1);
        form.choiceClicks = 0;
        int dropDowns = 0;
        form.Choice.DropDown = [&] { ++dropDowns; };
        driver.focus(form.Choice);
        auto* choice = widget<QComboBox>(form.Choice);
        QTest::keyClick(choice, key, modifiers);
        pump();
        EXPECT_EQ(form.Choice.ListIndex(), 1);
        EXPECT_EQ(form.choiceClicks, 0);
        EXPECT_EQ(dropDowns, 1);
        EXPECT_TRUE(choice->view()->isVisible()) << "the list is open";
        EXPECT_EQ(choice->view()->currentIndex().row(), 1) << "on the current entry";
        choice->hidePopup();
    }

    // Opened with the mouse, the list stays on its entry once the model has
    // heard of the click.
    InputForm form;
    form.Show();
    form.Choice.setListIndex(2);
    auto* choice = widget<QComboBox>(form.Choice);
    QTest::mouseClick(choice, Qt::LeftButton);
    pump();
    EXPECT_TRUE(choice->view()->isVisible());
    EXPECT_EQ(choice->view()->currentIndex().row(), 2);
    choice->hidePopup();
}

TEST_F(GuiTest, KeysFollowTheModelsRules) {
    InputForm form;
    form.Show();
    auto* entry = widget<QLineEdit>(form.Entry);
    driver.focus(form.Entry);
    EXPECT_EQ(renderer->windowOf(form)->focusWidget(), entry) << "Qt's focus follows the model's";

    QTest::keyClicks(entry, "ab1");
    pump();
    EXPECT_EQ(form.Entry.Text(), "ab1");
    EXPECT_EQ(entry->text(), QStringLiteral("ab1"));
    EXPECT_EQ(form.keyPresses, 3);
    form.Entry.setMaxLength(4);
    QTest::keyClicks(entry, "xyz");
    QTest::keyClick(entry, Qt::Key_Backspace);
    pump();
    EXPECT_EQ(form.Entry.Text(), "ab1");

    QGuiApplication::clipboard()->setText(QStringLiteral("Zq"));
    QTest::keyClick(entry, Qt::Key_V, Qt::ControlModifier);
    pump();
    EXPECT_EQ(form.Entry.Text(), "ab1Z") << "a paste is cut to MaxLength";

    QTest::keyClick(entry, Qt::Key_Tab);
    pump();
    EXPECT_EQ(form.ActiveControl(), &form.OK) << "Tab follows the model's tab order";
    EXPECT_EQ(renderer->windowOf(form)->focusWidget(), renderer->widgetOf(form.OK));

    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int InputForm::*counter;
    };
    const Case cases[] = {
        {Qt::Key_G, Qt::AltModifier, &InputForm::goClicks},
        {Qt::Key_Escape, Qt::NoModifier, &InputForm::cancelClicks},
        {Qt::Key_Return, Qt::NoModifier, &InputForm::goClicks},  // the focused button, Go by now
    };
    for (const Case& c : cases) {
        const int before = form.*c.counter;
        QTest::keyClick(renderer->windowOf(form), c.key, c.modifiers);
        pump();
        EXPECT_EQ(form.*c.counter, before + 1) << QKeySequence(c.key | c.modifiers).toString().toStdString();
    }
    driver.focus(form.Entry);
    QTest::keyClick(entry, Qt::Key_Return);
    pump();
    EXPECT_EQ(form.okClicks, 1) << "Enter in a text box clicks the Default button";
}

TEST_F(GuiTest, CloseBoxAsksQueryUnloadWithTheCloseBoxReason) {
    InputForm form;
    form.Show();
    form.refuseClose = true;
    renderer->windowOf(form)->close();
    pump();
    EXPECT_EQ(form.closeModes, std::vector<int>{platform::vbFormControlMenu});
    EXPECT_TRUE(form.isLoaded());
    ASSERT_NE(renderer->windowOf(form), nullptr);
    EXPECT_TRUE(renderer->windowOf(form)->isVisible()) << "a cancelled close keeps the window";

    form.refuseClose = false;
    renderer->windowOf(form)->close();
    pump();
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(renderer->windowOf(form), nullptr);
}

TEST_F(GuiTest, MouseFocusSelectionAndPastingReachTheModel) {
    InputForm form;
    form.Show();
    auto* entry = widget<QLineEdit>(form.Entry);
    form.Entry.setText("192.168.0.1");
    form.Entry.setMaxLength(12);

    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(entry, &focusIn);
    pump();
    EXPECT_EQ(form.ActiveControl(), &form.Entry);
    EXPECT_EQ(form.entryFocus, 1);

    entry->setSelection(4, 3);
    EXPECT_EQ(form.Entry.SelStart(), 4);
    EXPECT_EQ(form.Entry.SelLength(), 3);

    entry->insert(QStringLiteral("10.20.30"));  // what a middle-button paste does
    EXPECT_EQ(entry->text(), QStringLiteral("192.168.0.1")) << "the model decides first";
    pump();
    EXPECT_EQ(form.Entry.Text(), "192.10.20.30");
    form.Entry.setLocked(true);
    entry->insert(QStringLiteral("x"));
    pump();
    EXPECT_EQ(form.Entry.Text(), "192.10.20.30");
    EXPECT_EQ(entry->text(), QStringLiteral("192.10.20.30"));
}

}  // namespace gui::test
