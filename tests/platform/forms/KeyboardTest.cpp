// Key preview, access keys, Default and Cancel buttons.
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Keys.h"
#include "platform/forms/Label.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/TextBox.h"

namespace platform::test {

namespace {

struct KeyForm : Form {
    KeyForm() : Form("KeyForm") {
        OkButton.setCaption("OK (&1)");
        OkButton.setDefault(true);
        CancelButton.setCaption("Cancel (&0)");
        CancelButton.setCancel(true);
        Mode.setCaption("&Mode");
        Fast.setCaption("&Fast");
        Slow.setCaption("Slo&w");
        BoxLabel.setCaption("&Address:");
        Extra.setCaption("E&xtra && more");
        OkButton.Click = [this] { events.push_back("ok"); };
        CancelButton.Click = [this] { events.push_back("cancel"); };
        Mode.Click = [this] { events.push_back("mode " + std::to_string(Mode.Value())); };
        Slow.Click = [this] { events.push_back("slow"); };
        Extra.Click = [this] { events.push_back("extra"); };
        Box.KeyPress = [this](int& k) { events.push_back("box key " + std::string(1, char(k))); };
        Box.KeyDown = [this](int& code, int) { events.push_back("box down " + std::to_string(code)); };
    }
    void Form_KeyPress(int& k) override {
        events.push_back("form key " + std::string(1, char(k)));
        if (k == '1') {
            k = 0;
            events.push_back("swallowed");
        }
    }
    void Form_KeyDown(int& code, int shift) override {
        events.push_back("form down " + std::to_string(code));
        if (code == vbKeyF1 && shift == 0) code = 0;
    }
    CommandButton OkButton{*this, "OkButton"};
    CommandButton CancelButton{*this, "CancelButton"};
    CheckBox Mode{*this, "Mode"};
    OptionButton Fast{*this, "Fast"};
    OptionButton Slow{*this, "Slow"};
    Label BoxLabel{*this, "BoxLabel"};
    TextBox Box{*this, "Box"};
    CommandButton Extra{*this, "Extra"};
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

}  // namespace

TEST_F(FormsTest, KeyPreviewSeesKeysFirstAndMaySwallowThem) {
    struct Case {
        bool preview;
        int keyCode;
        int shift;
        Events expected;
        std::string text;
    };
    const Case cases[] = {
        {true, '2', 0, {"form down 50", "box down 50", "form key 2", "box key 2"}, "2"},
        {true, '1', 0, {"form down 49", "box down 49", "form key 1", "swallowed"}, ""},
        {true, vbKeyF1, 0, {"form down 112"}, ""},
        {false, '1', 0, {"box down 49", "box key 1"}, "1"},
        {false, vbKeyA, vbShiftMask, {"box down 65", "box key A"}, "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyCode);
        auto f = newForm<KeyForm>();
        f->setKeyPreview(c.preview);
        f->Show();
        f->Box.SetFocus();
        f->events.clear();
        EXPECT_TRUE(driver.pressKey(*f, c.keyCode, c.shift));
        EXPECT_EQ(f->events, c.expected);
        EXPECT_EQ(f->Box.Text(), c.text);
        Unload(*f);
    }
}

TEST_F(FormsTest, FormGetsKeysWhenNoControlHasTheFocus) {
    auto f = newForm<KeyForm>();
    f->Show();
    for (Control* c : f->controls()) c->setEnabled(false);
    f->events.clear();
    driver.pressKey(*f, '7');
    EXPECT_EQ(f->events, (Events{"form down 55", "form key 7"}));
}

TEST_F(FormsTest, AccessKeysActOnTheirControls) {
    struct Case {
        const char* what;
        int key;
        Events expected;
        const char* focused;
    };
    const Case cases[] = {
        {"button", '0', {"cancel"}, "CancelButton"},
        {"check box toggles", 'M', {"mode 1"}, "Mode"},
        {"option chosen", 'W', {"slow"}, "Slow"},
        {"label focuses next", 'A', {}, "Box"},
        {"letter after &&", 'X', {"extra"}, "Extra"},
        {"no such key", 'Q', {}, "OkButton"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto f = newForm<KeyForm>();
        f->Show();
        f->events.clear();
        driver.pressKey(*f, c.key, vbAltMask);
        EXPECT_EQ(f->events, c.expected);
        ASSERT_NE(f->ActiveControl(), nullptr);
        EXPECT_EQ(f->ActiveControl()->Name(), c.focused);
        Unload(*f);
    }
}

TEST_F(FormsTest, AccessKeyOfADisabledControlDoesNothing) {
    auto f = newForm<KeyForm>();
    f->setKeyPreview(true);
    f->Show();
    f->CancelButton.setEnabled(false);
    f->events.clear();
    driver.pressKey(*f, '0', vbAltMask);
    EXPECT_EQ(f->events, (Events{"form down 48"})) << "falls through as a plain Alt key";
}

TEST_F(FormsTest, EnterAndEscapeGoToDefaultAndCancelButtons) {
    auto f = newForm<KeyForm>();
    f->Show();
    f->Box.SetFocus();
    f->events.clear();
    driver.pressKey(*f, vbKeyReturn);
    driver.pressKey(*f, vbKeyEscape);
    EXPECT_EQ(f->events, (Events{"ok", "cancel"}));

    f->Extra.SetFocus();
    f->events.clear();
    driver.pressKey(*f, vbKeyReturn);
    EXPECT_EQ(f->events, (Events{"extra"})) << "a focused button takes Enter itself";

    f->Box.SetFocus();
    f->OkButton.setEnabled(false);
    f->events.clear();
    driver.pressKey(*f, vbKeyReturn);
    EXPECT_EQ(f->events, (Events{"box down 13", "box key \r"}));

    f->Extra.setDefault(true);
    EXPECT_FALSE(f->OkButton.Default()) << "one default per form";
}

TEST_F(FormsTest, SpaceClicksTheFocusedButton) {
    auto f = newForm<KeyForm>();
    f->Show();
    f->Mode.SetFocus();
    driver.pressKey(*f, vbKeySpace);
    driver.pressKey(*f, vbKeySpace);
    f->CancelButton.SetFocus();
    f->events.clear();
    driver.pressKey(*f, vbKeySpace);
    EXPECT_EQ(f->events, (Events{"cancel"}));
    EXPECT_EQ(f->Mode.Value(), 0);
}

}  // namespace platform::test
