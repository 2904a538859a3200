#include "platform/forms/TestDriver.h"

#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"

namespace platform {

TestDriver::TestDriver() { Forms::addObserver(this); }

TestDriver::~TestDriver() { Forms::removeObserver(this); }

void TestDriver::answerNext(std::function<void(Form&)> answer) {
    answers_.push_back(std::move(answer));
}

void TestDriver::modalShown(Form& form) {
    modalLog_.push_back(form.Name());
    if (!answers_.empty()) {
        auto answer = std::move(answers_.front());
        answers_.pop_front();
        answer(form);
    } else if (onModal) {
        auto hook = onModal;
        hook(form);
    }
}

Form* TestDriver::findForm(const std::string& name) {
    for (Form* f : Forms::loaded())
        if (f->Name() == name) return f;
    return nullptr;
}

Form* TestDriver::topModal() { return Forms::topModal(); }

}  // namespace platform
