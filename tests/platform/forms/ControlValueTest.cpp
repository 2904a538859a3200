#include "FormsTestSupport.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Image.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/Label.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/TimerControl.h"

namespace platform::test {

namespace {
struct AllKinds : Form {
    AllKinds() : Form("AllKinds") {}
    Frame Group{*this, "Group"};
    ControlArray<CommandButton> Buttons{Group, "Buttons", {0, 2, 5}};
    ControlArray<Label> Labels{*this, "Labels", 0, 3};
    ControlArray<TimerControl> Timers{*this, "Timers", {1}};
    ControlArray<TextBox> Boxes{*this, "Boxes", {1, 2}};
    ControlArray<ComboBox> Lists{*this, "Lists", {0}};
    ControlArray<OptionButton> Options{*this, "Options", {0, 1}};
    ControlArray<CheckBox> Checks{*this, "Checks", {0}};
    PictureBox Pic{*this, "Pic"};
    Image Img{Pic, "Img"};
    ImageList Icons{*this, "Icons"};
};
}  // namespace

TEST_F(FormsTest, Smoke) {
    auto f = newForm<AllKinds>();
    int clicked = -1;
    f->Buttons.Click = [&](int i) { clicked = i; };
    f->Show();
    driver.click(f->Buttons(5));
    EXPECT_EQ(clicked, 5);
    Unload(*f);
}

}  // namespace platform::test
