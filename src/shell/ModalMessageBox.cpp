#include "shell/ModalMessageBox.h"

#include <algorithm>

#include "platform/Application.h"
#include "platform/forms/StandardIcons.h"
#include "platform/loop/EventLoop.h"
#include "shell/TypeDefinition.h"

namespace shell {

namespace {

constexpr double kFontSize = 9;
// Margins of the arrangement, in twips.
constexpr int kTextLeft = 900;
constexpr int kRightMargin = 600;
constexpr int kTextTop = 300;
constexpr int kGap = 300;
constexpr int kBottomMargin = 600;
constexpr int kIconLeft = 120;
constexpr int kIconSize = 32 * platform::kTwipsPerPixel;

const char* iconKey(long style) {
    switch (style) {
        case vbCritical: return "Critical";
        case vbQuestion: return "Question";
        case vbExclamation: return "Exclamation";
        case vbInformation: return "Information";
        default: return "";
    }
}

}  // namespace

ModalMessageBox::ModalMessageBox()
    : Form("ModalMessageBox"),
      MessageLabel(*this, "MessageLabel"),
      IconImage(*this, "IconImage"),
      ButtonGroup(*this, "ButtonGroup"),
      OKButton(ButtonGroup, "OKButton"),
      CancelButton(ButtonGroup, "CancelButton"),
      IconImageList(*this, "IconImageList") {
    setBorderStyle(platform::vbFixedDouble);
    setStartUpPosition(platform::vbStartUpScreen);
    setKeyPreview(true);
    setClientSize(6000, 2100);

    MessageLabel.setFontSize(kFontSize);
    MessageLabel.setAutoSize(true);
    MessageLabel.setUseMnemonic(false);
    MessageLabel.Move(kTextLeft, kTextTop);

    IconImage.setBorderStyle(0);
    IconImage.setTabStop(false);
    IconImage.Move(kIconLeft, kTextTop, kIconSize, kIconSize);

    ButtonGroup.setBorderStyle(0);
    ButtonGroup.setTabStop(false);
    ButtonGroup.Move(0, 0, kCancelOffset + kButtonWidth, kButtonHeight);
    for (platform::CommandButton* b : {&OKButton, &CancelButton}) b->setFontSize(kFontSize);
    OKButton.Move(0, 0, kButtonWidth, kButtonHeight);
    CancelButton.Move(kCancelOffset, 0, kButtonWidth, kButtonHeight);
    OKButton.Click = [this] { OKButton_Click(); };
    CancelButton.Click = [this] { CancelButton_Click(); };

    IconImageList.add("Critical", platform::standardIcon(vbCritical));
    IconImageList.add("Question", platform::standardIcon(vbQuestion));
    IconImageList.add("Exclamation", platform::standardIcon(vbExclamation));
    IconImageList.add("Information", platform::standardIcon(vbInformation));
}

void ModalMessageBox::setButtonStyle(long style) {
    m_ButtonStyle = (style == vbOKCancel || style == vbYesNo) ? style : vbOKOnly;
}

void ModalMessageBox::setIconStyle(long style) {
    m_IconStyle = std::string(iconKey(style)).empty() ? 0 : style;
}

void ModalMessageBox::Form_Load() {
    const std::string key = iconKey(m_IconStyle);
    const int soundType = key.empty() ? 0 : static_cast<int>(m_IconStyle);
    if (!key.empty()) {
        IconImage.setPicture(IconImageList.ListImage(key));
        IconImage.setVisible(true);
    } else {
        IconImage.setVisible(false);
    }

    switch (m_ButtonStyle) {
        case vbOKCancel:
            OKButton.setCaption("OK (&1)");
            CancelButton.setCaption("Cancel (&0)");
            m_Result = vbCancel;
            break;
        case vbYesNo:
            OKButton.setCaption("Yes (&1)");
            CancelButton.setCaption("No (&0)");
            m_Result = vbNo;
            break;
        default:
            OKButton.setCaption("OK (&1)");
            CancelButton.setCaption("");
            CancelButton.setVisible(false);
            ButtonGroup.setWidth(OKButton.Width());
            m_Result = vbOK;
            break;
    }

    MessageLabel.setCaption(m_MessageText);
    ArrangeControls();

    setIcon(key.empty() ? nullptr : IconImage.Picture());
    setCaption(platform::app().title());
    platform::app().messageBeep(soundType);
}

// Sizes the window around the text and the buttons and keeps it about where
// it was placed.
void ModalMessageBox::ArrangeControls() {
    const int clientWidth = ScaleWidth();
    const int clientHeight = ScaleHeight();
    const int frameW = Width() - ScaleWidth();
    const int frameH = Height() - ScaleHeight();
    const int outerWidth = std::max(MessageLabel.Width(), ButtonGroup.Width()) + kTextLeft + kRightMargin + frameW;
    const int outerHeight = MessageLabel.Height() + kGap + ButtonGroup.Height() + kBottomMargin + frameH;
    Move(Left(), Top(), outerWidth, outerHeight);

    MessageLabel.Move(kTextLeft, kTextTop);
    IconImage.Move(kIconLeft, MessageLabel.Top() + (MessageLabel.Height() - IconImage.Height()) / 2);
    ButtonGroup.Move((ScaleWidth() - ButtonGroup.Width()) / 2, MessageLabel.Top() + MessageLabel.Height() + kGap);
    Move(Left() + (clientWidth - outerWidth) / 2, Top() + (clientHeight - outerHeight) / 2, outerWidth,
         outerHeight);
}

void ModalMessageBox::OKButton_Click() {
    m_Result = m_ButtonStyle == vbYesNo ? vbYes : vbOK;
    platform::Unload(*this);
}

void ModalMessageBox::CancelButton_Click() {
    m_Result = m_ButtonStyle == vbYesNo ? vbNo : vbCancel;
    platform::Unload(*this);
}

void ModalMessageBox::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii == '1' && OKButton.Visible()) {
        KeyAscii = 0;
        OKButton_Click();
    } else if (KeyAscii == '0' && CancelButton.Visible()) {
        KeyAscii = 0;
        CancelButton_Click();
    }
}

long ShowMessage(const std::string& text, long ButtonStyle, long IconStyle) {
    auto box = platform::newForm<ModalMessageBox>();
    box->setMessageText(text);
    box->setButtonStyle(ButtonStyle);
    box->setIconStyle(IconStyle);
    box->Show(platform::vbModal);
    const long result = box->Result();
    platform::Unload(*box);
    box.reset();
    if (platform::EventLoop::currentOrNull() != nullptr) platform::DoEvents();
    return result;
}

}  // namespace shell
