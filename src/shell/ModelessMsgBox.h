// The timed notice: a message without buttons that closes itself after its
// display time. Callers show it modally, so the caller's procedure waits
// while the event loop goes on serving timers and link events; ShowTimedNotice
// does exactly that.
//
// Ownership: made with platform::newForm and released by the caller after it
// closed itself. Nothing here blocks apart from the modal show.
#pragma once

#include <string>

#include "platform/forms/Form.h"
#include "platform/forms/Label.h"
#include "platform/forms/TimerControl.h"

namespace shell {

class ModelessMsgBox : public platform::Form {
public:
    ModelessMsgBox();

    void setMessage(std::string text) { m_Message = std::move(text); }
    // Milliseconds; 0 means the default of 1000.
    void setDisplayTime(int ms) { m_DisplayTime = ms; }

    platform::Label MessageLabel;
    platform::TimerControl MyTimer;

protected:
    void Form_Load() override;

private:
    void MyTimer_Timer();

    std::string m_Message;
    int m_DisplayTime = 1000;
};

// Shows the notice modally for displayMs milliseconds and releases it.
void ShowTimedNotice(const std::string& text, int displayMs);

}  // namespace shell
