#include "platform/forms/Forms.h"

#include <algorithm>
#include <map>

#include "platform/forms/Form.h"
#include "platform/forms/FormObserver.h"

namespace platform {

namespace {

struct Registry {
    std::vector<Form*> loaded;
    std::vector<Form*> modal;
    std::vector<FormObserver*> observers;
    Form* active = nullptr;
    int screenWidth = 1920 * kTwipsPerPixel;
    int screenHeight = 1080 * kTwipsPerPixel;
    // Order in which forms were last shown, to tell which forms opened
    // above the topmost modal form.
    std::map<const Form*, int> shownSerial;
    int nextSerial = 1;
    int live = 0;
};

Registry& reg() {
    static Registry r;
    return r;
}

}  // namespace

const std::vector<Form*>& Forms::loaded() { return reg().loaded; }
int Forms::liveCount() { return reg().live; }
void Forms::constructed() { ++reg().live; }
void Forms::destroyed() { --reg().live; }
Form* Forms::activeForm() { return reg().active; }
const std::vector<Form*>& Forms::modalStack() { return reg().modal; }
Form* Forms::topModal() { return reg().modal.empty() ? nullptr : reg().modal.back(); }

bool Forms::acceptsInput(const Form& form) {
    if (!form.isLoaded() || !form.Visible() || !form.Enabled()) return false;
    Form* top = topModal();
    if (!top || top == &form) return true;
    return showSerialOf(&form) > showSerialOf(top);
}

void Forms::addObserver(FormObserver* observer) {
    auto& v = reg().observers;
    if (std::find(v.begin(), v.end(), observer) == v.end()) v.push_back(observer);
}

void Forms::removeObserver(FormObserver* observer) {
    auto& v = reg().observers;
    v.erase(std::remove(v.begin(), v.end(), observer), v.end());
}

std::vector<FormObserver*> Forms::observersSnapshot() { return reg().observers; }

int Forms::screenWidth() { return reg().screenWidth; }
int Forms::screenHeight() { return reg().screenHeight; }
void Forms::setScreenSize(int widthTwips, int heightTwips) {
    reg().screenWidth = widthTwips;
    reg().screenHeight = heightTwips;
}

void Forms::discardAll() {
    std::vector<Form*> forms = reg().loaded;
    for (Form* f : forms) f->markUnloaded();
}

void Forms::added(Form* f) {
    auto& v = reg().loaded;
    if (std::find(v.begin(), v.end(), f) == v.end()) v.push_back(f);
}

void Forms::removed(Form* f) {
    Registry& r = reg();
    r.loaded.erase(std::remove(r.loaded.begin(), r.loaded.end(), f), r.loaded.end());
    r.modal.erase(std::remove(r.modal.begin(), r.modal.end(), f), r.modal.end());
    r.shownSerial.erase(f);
    if (r.active == f) r.active = nullptr;
}

void Forms::pushModal(Form* f) { reg().modal.push_back(f); }

void Forms::popModal(Form* f) {
    auto& v = reg().modal;
    auto it = std::find(v.rbegin(), v.rend(), f);
    if (it != v.rend()) v.erase(std::next(it).base());
}

void Forms::setActive(Form* f) { reg().active = f; }

int Forms::showSerialOf(const Form* f) {
    auto it = reg().shownSerial.find(f);
    return it == reg().shownSerial.end() ? 0 : it->second;
}

void Forms::markShown(const Form* f) { reg().shownSerial[f] = reg().nextSerial++; }

}  // namespace platform
