// A form holding every kind of control, laid out like the utility's own
// windows (Arial 8, twips), for the mirroring and input tests and the
// sample screenshot.
#pragma once

#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Image.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/Label.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/StandardIcons.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/TimerControl.h"

namespace gui::test {

struct SampleForm : platform::Form {
    SampleForm() : Form("SampleForm") {
        using namespace platform;
        setCaption("Sample of every control");
        setBorderStyle(vbFixedDouble);
        setClientSize(7800, 5160);
        setIcon(standardIcon(kInformationIcon, 16));

        Title.Move(240, 180, 3000, 255);
        Title.setFontSize(10);
        Title.setFontBold(true);
        Title.setAutoSize(true);
        Title.setCaption("Every control, drawn from the model");

        PaperFrame.Move(240, 600, 2700, 1500);
        PaperFrame.setCaption("&Paper width");
        Width(0).Move(240, 300, 2200, 255);
        Width(0).setCaption("&58 mm");
        Width(1).Move(240, 660, 2200, 255);
        Width(1).setCaption("&80 mm");
        Width(1).setValue(true);
        Width(2).Move(240, 1020, 2200, 255);
        Width(2).setCaption("11&2 mm");
        Width(2).setEnabled(false);

        AutoCut.Move(3240, 700, 2200, 255);
        AutoCut.setCaption("Auto &cut");
        AutoCut.setValue(vbChecked);
        Beep.Move(3240, 1060, 2200, 255);
        Beep.setCaption("&Beep on error");
        Partial.Move(3240, 1420, 2200, 255);
        Partial.setCaption("Some &drawers");
        Partial.setValue(vbGrayed);

        ModelLabel.Move(240, 2280, 1200, 255);
        ModelLabel.setCaption("&Model:");
        Model.Move(1200, 2220, 1740, 315);
        for (const char* m : {"3610", "3620", "3640 (80.0mm)", "Caf\xE9 3650"}) Model.AddItem(m);
        Model.setListIndex(2);

        HostLabel.Move(3240, 2280, 900, 255);
        HostLabel.setCaption("&Host:");
        Host.Move(4200, 2220, 1500, 315);
        Host.setText("192.168.0.10");
        Serial.Move(4200, 2640, 1500, 315);
        Serial.setText("Locked");
        Serial.setLocked(true);
        Serial.setBackColor(vb3DLight);

        Wrapped.Move(240, 2760, 2700, 255);
        Wrapped.setWordWrap(true);
        Wrapped.setAutoSize(true);
        Wrapped.setCaption("A longer description that wraps onto more lines inside the label's width.");
        Warning.Move(3240, 3120, 2460, 255);
        Warning.setCaption("Printer is not online.");
        Warning.setForeColor(vbRed);
        Boxed.Move(3240, 3480, 2460, 315);
        Boxed.setBorderStyle(1);
        Boxed.setAlignment(vbCenter);
        Boxed.setBackColor(vbWindowBackground);
        Boxed.setCaption("Status: 00 00 00 00");

        Logo.Move(6000, 600, 1560, 1500);
        Logo.setPicture(standardIcon(kQuestionIcon, 48));
        LogoCaption.Move(60, 1080, 1380, 255);
        LogoCaption.setAlignment(vbCenter);
        LogoCaption.setBackStyle(vbTransparent);
        LogoCaption.setCaption("in a PictureBox");
        const int styles[] = {kCriticalIcon, kQuestionIcon, kExclamationIcon, kInformationIcon};
        for (int i = 0; i < 4; ++i) {
            Icons(i).Move(6000 + (i % 2) * 780, 2220 + (i / 2) * 600);
            Icons(i).setPicture(standardIcon(styles[i]));
        }

        OKButton.Move(1500, 4320, 1785, 555);
        OKButton.setCaption("OK (&1)");
        OKButton.setDefault(true);
        CancelButton.Move(3660, 4320, 1785, 555);
        CancelButton.setCaption("Cancel (&0)");
        CancelButton.setCancel(true);
        Disabled.Move(5820, 4320, 1785, 555);
        Disabled.setCaption("D&isabled");
        Disabled.setEnabled(false);

        Poll.setInterval(0);
    }

    platform::Label Title{*this, "Title"};
    platform::Frame PaperFrame{*this, "PaperFrame"};
    platform::ControlArray<platform::OptionButton> Width{PaperFrame, "Width", 0, 2};
    platform::CheckBox AutoCut{*this, "AutoCut"};
    platform::CheckBox Beep{*this, "Beep"};
    platform::CheckBox Partial{*this, "Partial"};
    platform::Label ModelLabel{*this, "ModelLabel"};
    platform::ComboBox Model{*this, "Model"};
    platform::Label HostLabel{*this, "HostLabel"};
    platform::TextBox Host{*this, "Host"};
    platform::TextBox Serial{*this, "Serial"};
    platform::Label Wrapped{*this, "Wrapped"};
    platform::Label Warning{*this, "Warning"};
    platform::Label Boxed{*this, "Boxed"};
    platform::PictureBox Logo{*this, "Logo"};
    platform::Label LogoCaption{Logo, "LogoCaption"};
    platform::ControlArray<platform::Image> Icons{*this, "Icons", 0, 3};
    platform::CommandButton OKButton{*this, "OKButton"};
    platform::CommandButton CancelButton{*this, "CancelButton"};
    platform::CommandButton Disabled{*this, "Disabled"};
    platform::TimerControl Poll{*this, "Poll"};
    platform::ImageList Pictures{*this, "Pictures"};
};

}  // namespace gui::test
