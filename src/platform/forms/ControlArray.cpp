#include "platform/forms/ControlArray.h"

#include "platform/forms/Forms.h"

namespace platform {

void ControlArrayBase::noSuchElement(const std::string& name, int index) {
    throw RuntimeError(340, "Control array element '" + std::to_string(index) +
                                "' doesn't exist (" + name + ")");
}

void ControlArrayBase::announceAdded(Control& c) {
    Forms::notify([&](FormObserver& o) { o.controlAdded(c); });
}

void ControlArrayBase::announceRemoved(Control& c) {
    Forms::notify([&](FormObserver& o) { o.controlRemoved(c); });
}

}  // namespace platform
