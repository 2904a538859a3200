// Effective Enabled/Visible through containers, focus and tab order.
#include <functional>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Keys.h"
#include "platform/forms/Label.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/TextBox.h"

namespace platform::test {

namespace {

struct Panel : Form {
    Panel() : Form("Panel") {
        First.setTabIndex(0);
        Title.setTabIndex(1);
        NameBox.setTabIndex(2);
        Group.setTabIndex(3);
        Inner.setTabIndex(4);
        Check.setTabIndex(5);
        Deep.setTabIndex(6);
        Last.setTabIndex(7);
        auto log = [this](const std::string& what) {
            return [this, what] { events.push_back(what); };
        };
        First.GotFocus = log("First got");
        First.LostFocus = log("First lost");
        NameBox.GotFocus = log("NameBox got");
        Check.GotFocus = log("Check got");
        Check.Click = log("Check click");
        Deep.Click = log("Deep click");
        Last.GotFocus = log("Last got");
    }
    CommandButton First{*this, "First"};
    Label Title{*this, "Title"};
    TextBox NameBox{*this, "NameBox"};
    Frame Group{*this, "Group"};
    PictureBox Inner{Group, "Inner"};
    CheckBox Check{Group, "Check"};
    CommandButton Deep{Inner, "Deep"};
    CommandButton Last{*this, "Last"};
    std::vector<std::string> events;
};

}  // namespace

TEST_F(FormsTest, DisabledFrameBlocksItsChildrenButKeepsTheirOwnState) {
    auto f = newForm<Panel>();
    f->Show();
    f->events.clear();
    f->Group.setEnabled(false);
    EXPECT_TRUE(f->Check.Enabled());
    EXPECT_FALSE(f->Check.effectiveEnabled());
    EXPECT_FALSE(f->Deep.effectiveEnabled()) << "two containers deep";
    EXPECT_FALSE(driver.click(f->Check));
    EXPECT_FALSE(driver.click(f->Deep));
    EXPECT_EQ(f->Check.Value(), 0);
    f->Check.SetFocus();
    EXPECT_NE(f->ActiveControl(), &f->Check);

    f->Group.setEnabled(true);
    f->Group.setVisible(false);
    EXPECT_TRUE(f->Check.Visible());
    EXPECT_FALSE(driver.click(f->Check));
    f->Group.setVisible(true);
    EXPECT_TRUE(driver.click(f->Check));
    EXPECT_EQ(f->Check.Value(), 1);
    EXPECT_EQ(f->events, (std::vector<std::string>{"First lost", "Check got", "Check click"}));
}

TEST_F(FormsTest, FocusLeavesAControlThatBecomesUnreachable) {
    auto f = newForm<Panel>();
    f->Show();
    f->Check.SetFocus();
    f->Group.setEnabled(false);
    EXPECT_EQ(f->ActiveControl(), nullptr);
}

TEST_F(FormsTest, SetFocusOnAControlThatCannotTakeItDoesNothing) {
    auto f = newForm<Panel>();
    f->Check.SetFocus();
    EXPECT_EQ(f->ActiveControl(), nullptr) << "form not loaded";
    f->Show();
    ASSERT_EQ(f->ActiveControl(), &f->First);
    struct Case {
        const char* what;
        std::function<Control&(Panel&)> target;
        std::function<void(Panel&)> prepare;
    };
    const Case cases[] = {
        {"disabled", [](Panel& p) -> Control& { return p.NameBox; }, [](Panel& p) { p.NameBox.setEnabled(false); }},
        {"invisible", [](Panel& p) -> Control& { return p.NameBox; }, [](Panel& p) { p.NameBox.setVisible(false); }},
        {"label", [](Panel& p) -> Control& { return p.Title; }, [](Panel&) {}},
        {"frame", [](Panel& p) -> Control& { return p.Group; }, [](Panel&) {}},
        {"in hidden box", [](Panel& p) -> Control& { return p.Deep; }, [](Panel& p) { p.Inner.setVisible(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(*f);
        f->events.clear();
        c.target(*f).SetFocus();
        EXPECT_EQ(f->ActiveControl(), &f->First);
        EXPECT_TRUE(f->events.empty());
        f->NameBox.setEnabled(true);
        f->NameBox.setVisible(true);
        f->Inner.setVisible(true);
    }
}

TEST_F(FormsTest, TabWalksFocusableControlsInTabIndexOrder) {
    auto f = newForm<Panel>();
    f->Show();
    f->Inner.setTabStop(false);
    f->Check.setEnabled(false);
    std::vector<std::string> visited;
    for (int i = 0; i < 4; ++i) {
        driver.pressKey(*f, vbKeyTab);
        visited.push_back(f->ActiveControl()->Name());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"NameBox", "Deep", "Last", "First"}));
    driver.pressKey(*f, vbKeyTab, vbShiftMask);
    EXPECT_EQ(f->ActiveControl(), &f->Last);
}

TEST_F(FormsTest, TabIndicesStayAPermutation) {
    Panel p;
    p.Last.setTabIndex(0);
    std::vector<int> seen;
    for (Control* c : p.controls()) seen.push_back(c->TabIndex());
    std::sort(seen.begin(), seen.end());
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], static_cast<int>(i));
    EXPECT_EQ(p.First.TabIndex(), 1);
}

}  // namespace platform::test
