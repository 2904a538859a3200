#include "shell/ModelessMsgBox.h"

#include "platform/Application.h"

namespace shell {

namespace {
constexpr int kDefaultDisplayTime = 1000;
constexpr int kMarginX = 600;
constexpr int kMarginY = 450;
}  // namespace

ModelessMsgBox::ModelessMsgBox() : Form("ModelessMsgBox"), MessageLabel(*this, "MessageLabel"), MyTimer(*this, "MyTimer") {
    setBorderStyle(platform::vbFixedDouble);
    setStartUpPosition(platform::vbStartUpScreen);
    setControlBox(false);
    MessageLabel.setFontSize(9);
    MessageLabel.setAutoSize(true);
    MessageLabel.setUseMnemonic(false);
    MyTimer.setEnabled(false);
    MyTimer.Timer = [this] { MyTimer_Timer(); };
}

void ModelessMsgBox::Form_Load() {
    setCaption(platform::app().title());
    MessageLabel.setCaption(m_Message);
    MessageLabel.Move(kMarginX, kMarginY);
    setClientSize(MessageLabel.Width() + 2 * kMarginX, MessageLabel.Height() + 2 * kMarginY);
    MyTimer.setInterval(m_DisplayTime == 0 ? kDefaultDisplayTime : m_DisplayTime);
    MyTimer.setEnabled(true);
}

void ModelessMsgBox::MyTimer_Timer() {
    MyTimer.setEnabled(false);
    platform::Unload(*this);
}

void ShowTimedNotice(const std::string& text, int displayMs) {
    auto notice = platform::newForm<ModelessMsgBox>();
    notice->setDisplayTime(displayMs);
    notice->setMessage(text);
    notice->Show(platform::vbModal);
    platform::Unload(*notice);
}

}  // namespace shell
