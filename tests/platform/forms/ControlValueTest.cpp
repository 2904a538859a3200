// Values assigned in code raise Click at once and only on a change.
#include <functional>
#include <string>

#include "FormsTestSupport.h"
#include "platform/RuntimeError.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Keys.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/TextBox.h"

namespace platform::test {

namespace {

struct ValueForm : Form {
    ValueForm() : Form("ValueForm") {
        for (int i = 0; i < 3; ++i) List.AddItem(" item" + std::to_string(i));
    }
    CheckBox Check{*this, "Check"};
    ControlArray<OptionButton> Option{*this, "Option", {0, 1, 2}};
    Frame Other{*this, "Other"};
    OptionButton Elsewhere{Other, "Elsewhere"};
    ComboBox List{*this, "List"};
    TextBox Box{*this, "Box"};
};

}  // namespace

TEST_F(FormsTest, CodeAssignmentsRaiseClickOncePerChange) {
    struct Case {
        const char* what;
        std::function<void(ValueForm&)> assign;
        int clicks;
    };
    const Case cases[] = {
        {"check 0 -> 1", [](ValueForm& f) { f.Check.setValue(1); }, 1},
        {"check 0 -> 0", [](ValueForm& f) { f.Check.setValue(0); }, 0},
        {"check 0 -> 2 -> 2", [](ValueForm& f) { f.Check.setValue(2); f.Check.setValue(2); }, 1},
        {"check 1 -> 0 -> 1", [](ValueForm& f) { f.Check.setValue(1); f.Check.setValue(0); f.Check.setValue(1); }, 3},
        {"option set twice", [](ValueForm& f) { f.Option(1).setValue(true); f.Option(1).setValue(true); }, 1},
        {"option moves", [](ValueForm& f) { f.Option(0).setValue(true); f.Option(2).setValue(true); }, 2},
        {"option cleared", [](ValueForm& f) { f.Option(0).setValue(true); f.Option(0).setValue(false); }, 1},
        {"list 1", [](ValueForm& f) { f.List.setListIndex(1); }, 1},
        {"list 1 twice", [](ValueForm& f) { f.List.setListIndex(1); f.List.setListIndex(1); }, 1},
        {"list -1 unchanged", [](ValueForm& f) { f.List.setListIndex(-1); }, 0},
        {"list by text", [](ValueForm& f) { f.List.setText(" item2"); f.List.setText(" item2"); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ValueForm f;
        int clicks = 0;
        f.Check.Click = [&] { ++clicks; };
        f.Option.Click = [&](int) { ++clicks; };
        f.List.Click = [&] { ++clicks; };
        c.assign(f);
        EXPECT_EQ(clicks, c.clicks);
    }
}

TEST_F(FormsTest, ClickRunsBeforeTheAssignmentReturns) {
    ValueForm f;
    std::vector<std::string> seen;
    f.Check.Click = [&] { seen.push_back("click sees " + std::to_string(f.Check.Value())); };
    f.Check.setValue(1);
    seen.push_back("after");
    EXPECT_EQ(seen, (std::vector<std::string>{"click sees 1", "after"}));
}

TEST_F(FormsTest, OptionButtonsAreExclusiveWithinTheirContainerOnly) {
    ValueForm f;
    std::vector<int> clicked;
    f.Option.Click = [&](int i) { clicked.push_back(i); };
    f.Elsewhere.setValue(true);
    f.Option(0).setValue(true);
    f.Option(2).setValue(true);
    EXPECT_FALSE(f.Option(0).Value());
    EXPECT_TRUE(f.Option(2).Value());
    EXPECT_TRUE(f.Elsewhere.Value()) << "another container is another group";
    EXPECT_EQ(clicked, (std::vector<int>{0, 2})) << "siblings cleared silently";
}

TEST_F(FormsTest, ComboSelectionFollowsItsEntryAndRefusesBadIndices) {
    ValueForm f;
    int clicks = 0;
    f.List.Click = [&] { ++clicks; };
    f.List.setListIndex(1);
    f.List.AddItem(" first", 0);
    EXPECT_EQ(f.List.ListIndex(), 2);
    EXPECT_EQ(f.List.Text(), " item1");
    EXPECT_EQ(f.List.NewIndex(), 0);
    f.List.RemoveItem(0);
    EXPECT_EQ(f.List.ListIndex(), 1);
    f.List.RemoveItem(1);
    EXPECT_EQ(f.List.ListIndex(), -1);
    EXPECT_EQ(f.List.Text(), "");
    f.List.setItemData(0, 77);
    EXPECT_EQ(f.List.ItemData(0), 77);
    EXPECT_EQ(clicks, 1) << "moving or dropping the selection is no click";

    auto errorOf = [](const std::function<void()>& fn) {
        try {
            fn();
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf([&] { f.List.setListIndex(f.List.ListCount()); }), 380);
    EXPECT_EQ(errorOf([&] { f.List.setListIndex(-2); }), 380);
    EXPECT_EQ(errorOf([&] { f.List.AddItem("x", 9); }), 5);
    EXPECT_EQ(errorOf([&] { f.List.ItemData(9); }), 381);
    EXPECT_EQ(errorOf([&] { f.List.setText("missing"); }), 383);
    EXPECT_EQ(errorOf([&] { f.Check.setValue(3); }), 380);
    EXPECT_EQ(f.List.List(9), "");
    f.List.Clear();
    EXPECT_EQ(f.List.ListCount(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FormsTest, UserChoicesGoThroughTheSameValueRules) {
    auto f = newForm<ValueForm>();
    f->Show();
    int checkClicks = 0, listClicks = 0;
    f->Check.Click = [&] { ++checkClicks; };
    f->List.Click = [&] { ++listClicks; };
    f->Check.setValue(vbGrayed);
    driver.click(f->Check);
    EXPECT_EQ(f->Check.Value(), vbUnchecked) << "a grayed box clears";
    driver.click(f->Check);
    EXPECT_EQ(f->Check.Value(), vbChecked);
    EXPECT_EQ(checkClicks, 3);
    EXPECT_TRUE(driver.chooseListItem(f->List, 2));
    EXPECT_TRUE(driver.chooseListItem(f->List, 2));
    EXPECT_FALSE(driver.chooseListItem(f->List, 3));
    EXPECT_EQ(listClicks, 1);
    EXPECT_EQ(f->ActiveControl(), &f->List);
}

TEST_F(FormsTest, OpeningAListFromTheKeyboardKeepsItsChoice) {
    struct Case {
        int keyCode, shift;
        int index, clicks, dropDowns;
    } cases[] = {
        {vbKeyDown, vbAltMask, 1, 0, 1},
        {vbKeyUp, vbAltMask, 1, 0, 1},
        {vbKeyF4, 0, 1, 0, 1},
        {vbKeyDown, 0, 2, 1, 0},  // a closed list's plain arrow still steps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keyCode << "/" << c.shift);
        auto f = newForm<ValueForm>();
        f->Show();
        f->List.setListIndex(1);
        int clicks = 0, dropDowns = 0;
        f->List.Click = [&] { ++clicks; };
        f->List.DropDown = [&] { ++dropDowns; };
        ASSERT_TRUE(driver.focus(f->List));
        driver.pressKey(*f, c.keyCode, c.shift);
        EXPECT_EQ(f->List.ListIndex(), c.index);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(dropDowns, c.dropDowns);
        Unload(*f);
    }
}

TEST_F(FormsTest, TextChangesRaiseChangeAndUserTypingRespectsLimits) {
    auto f = newForm<ValueForm>();
    f->Show();
    int changes = 0;
    f->Box.Change = [&] { ++changes; };
    f->Box.setText("abc");
    f->Box.setText("abc");
    EXPECT_EQ(changes, 1);

    f->Box.setText("");
    changes = 0;
    f->Box.setMaxLength(4);
    driver.type(f->Box, "123456");
    EXPECT_EQ(f->Box.Text(), "1234");
    EXPECT_EQ(changes, 4) << "keys past MaxLength change nothing";
    driver.type(f->Box, "\b\bx");
    EXPECT_EQ(f->Box.Text(), "12x");
    f->Box.setText("a much longer text");
    EXPECT_EQ(f->Box.Text(), "a much longer text") << "code is not limited";

    f->Box.setLocked(true);
    changes = 0;
    driver.type(f->Box, "zz\b");
    EXPECT_FALSE(driver.editText(f->Box, "new"));
    EXPECT_EQ(f->Box.Text(), "a much longer text");
    EXPECT_EQ(changes, 0);
}

TEST_F(FormsTest, PastingIntoASingleLineBoxKeepsTheFirstLineOnly) {
    auto f = newForm<ValueForm>();
    f->Show();
    struct Case {
        const char* pasted;
        bool multiLine;
        const char* kept;
    } cases[] = {{"192.168.0.10\r\n", false, "192.168.0.10"},
                 {"9100\n[B]\nx=y", false, "9100"},
                 {"\rabc", false, ""},
                 {"one\r\ntwo", true, "one\r\ntwo"}};
    for (const auto& c : cases) {
        f->Box.setMultiLine(c.multiLine);
        EXPECT_TRUE(driver.editText(f->Box, c.pasted));
        EXPECT_EQ(f->Box.Text(), c.kept) << c.pasted;
    }
}

}  // namespace platform::test
