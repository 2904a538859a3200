// TestDriver: drives the window model as a user would (UserInput) and
// answers modal windows as they open. Register one per test: it observes
// the model while it lives.
//
// When a form is shown modally the driver calls, in this order, the next
// queued answer (answerNext) or else onModal; the answer runs on the stack
// of the Show, before its nested loop starts, and usually clicks a button
// or posts work for later. A modal window that nobody answers and that
// never closes by itself makes the virtual-clock loop throw instead of
// hanging, so the test fails.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/FormObserver.h"
#include "platform/forms/UserInput.h"

namespace platform {

class TestDriver : public UserInput, private FormObserver {
public:
    TestDriver();
    ~TestDriver() override;
    TestDriver(const TestDriver&) = delete;
    TestDriver& operator=(const TestDriver&) = delete;

    std::function<void(Form&)> onModal;
    // Queue an answer for the next modal window (first in, first out).
    void answerNext(std::function<void(Form&)> answer);
    int pendingAnswers() const { return static_cast<int>(answers_.size()); }

    // Names (Form::Name) of every form shown modally, in order.
    const std::vector<std::string>& modalLog() const { return modalLog_; }
    // The loaded form with this name, or nullptr.
    static Form* findForm(const std::string& name);
    // The innermost modal form still running, or nullptr.
    static Form* topModal();

private:
    void modalShown(Form& form) override;

    std::deque<std::function<void(Form&)>> answers_;
    std::vector<std::string> modalLog_;
};

}  // namespace platform
