// The registry of loaded forms (the Forms collection), the modal stack, the
// active form, the observers of the window model and the screen size used
// for centring. One per process; single-threaded like the rest of the model.
// Nothing here blocks.
#pragma once

#include <vector>

namespace platform {

class Form;
class FormObserver;

class Forms {
public:
    // Loaded forms in the order they were loaded.
    static const std::vector<Form*>& loaded();
    static int Count() { return static_cast<int>(loaded().size()); }
    // Form objects that exist, loaded or not: an unloaded form lives on
    // until its last reference is released.
    static int liveCount();
    // The form the user is working in (last shown or activated), or nullptr.
    static Form* activeForm();
    // Forms shown modally whose nested loop still runs, outermost first.
    static const std::vector<Form*>& modalStack();
    static Form* topModal();

    // True when the user can reach the form: loaded, visible, enabled, and
    // not behind a modal form (a form shown after the topmost modal one
    // opened, such as a notice it shows, is reachable).
    static bool acceptsInput(const Form& form);

    static void addObserver(FormObserver* observer);
    static void removeObserver(FormObserver* observer);

    // Screen size in twips for centring (default 1920 x 1080 pixels).
    static int screenWidth();
    static int screenHeight();
    static void setScreenSize(int widthTwips, int heightTwips);

    // Unloads every form at once without raising any event (the program is
    // ending, or a test tears down). Forms are released as their handlers
    // return.
    static void discardAll();

    // For the model's own classes.
    template <class F>
    static void notify(F&& f) {
        for (FormObserver* o : observersSnapshot()) f(*o);
    }

private:
    friend class Form;
    static std::vector<FormObserver*> observersSnapshot();
    static void constructed();
    static void destroyed();
    static void added(Form* f);
    static void removed(Form* f);
    static void pushModal(Form* f);
    static void popModal(Form* f);
    static void setActive(Form* f);
    static int showSerialOf(const Form* f);
    static void markShown(const Form* f);
};

}  // namespace platform
