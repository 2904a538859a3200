// ControlArray<T>: controls of one kind sharing a name, addressed by the
// indices the window declares (they need not be contiguous). The array owns
// its elements; it lives as a member of its window and must not move.
//
// Handlers set on the array receive the element's Index (Click(Index),
// KeyPress(Index, KeyAscii)...); a handler set on one element directly
// replaces the array's for that element. Elements may be loaded and
// unloaded at run time (load()/unload(); never unload an element from
// inside its own handler); element(i) or (i) of an index that does not
// exist raises RuntimeError 340.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/forms/Control.h"

namespace platform {

class ControlArrayBase {
public:
    [[noreturn]] static void noSuchElement(const std::string& name, int index);
    static void announceAdded(Control& c);
    static void announceRemoved(Control& c);
};

template <class T>
class ControlArray : private ControlArrayBase {
public:
    // Elements with the given indices on the form or in a container.
    ControlArray(Form& form, std::string name, std::initializer_list<int> indices = {})
        : form_(form), name_(std::move(name)) {
        for (int i : indices) make(i, nullptr, false);
    }
    ControlArray(Control& container, std::string name, std::initializer_list<int> indices = {})
        : form_(container.form()), container_(&container), name_(std::move(name)) {
        for (int i : indices) make(i, &container, false);
    }
    // Elements first..last.
    ControlArray(Form& form, std::string name, int first, int last)
        : form_(form), name_(std::move(name)) {
        for (int i = first; i <= last; ++i) make(i, nullptr, false);
    }
    ControlArray(Control& container, std::string name, int first, int last)
        : form_(container.form()), container_(&container), name_(std::move(name)) {
        for (int i = first; i <= last; ++i) make(i, &container, false);
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;

    const std::string& Name() const { return name_; }
    T& operator()(int index) const { return element(index); }
    T& operator[](int index) const { return element(index); }
    T& element(int index) const {
        auto it = elements_.find(index);
        if (it == elements_.end()) noSuchElement(name_, index);
        return *it->second;
    }
    bool exists(int index) const { return elements_.count(index) != 0; }
    int Count() const { return static_cast<int>(elements_.size()); }
    int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }
    std::vector<int> indices() const {
        std::vector<int> out;
        for (auto& [i, e] : elements_) out.push_back(i);
        return out;
    }

    // Loads a new element at run time (in the array's container unless one
    // is given); an index in use raises RuntimeError 360.
    T& load(int index, Control* container = nullptr) {
        if (exists(index)) throw RuntimeError(360, "Object already loaded");
        return make(index, container ? container : container_, true);
    }
    void unload(int index) {
        auto it = elements_.find(index);
        if (it == elements_.end()) noSuchElement(name_, index);
        announceRemoved(*it->second);
        elements_.erase(it);
    }

    // Iteration in index order over the elements (T&).
    struct Iterator {
        typename std::map<int, std::unique_ptr<T>>::const_iterator it;
        T& operator*() const { return *it->second; }
        T* operator->() const { return it->second.get(); }
        Iterator& operator++() { ++it; return *this; }
        bool operator!=(const Iterator& o) const { return it != o.it; }
        bool operator==(const Iterator& o) const { return it == o.it; }
    };
    Iterator begin() const { return {elements_.begin()}; }
    Iterator end() const { return {elements_.end()}; }

    // Array handlers; each receives the element's Index first.
    std::function<void(int Index)> Click;
    std::function<void(int Index)> DblClick;
    std::function<void(int Index)> GotFocus;
    std::function<void(int Index)> LostFocus;
    std::function<void(int Index)> Change;
    std::function<void(int Index)> Timer;
    std::function<void(int Index, int& KeyAscii)> KeyPress;
    std::function<void(int Index, int& KeyCode, int Shift)> KeyDown;
    std::function<void(int Index, int& KeyCode, int Shift)> KeyUp;

private:
    T& make(int index, Control* container, bool announce) {
        std::unique_ptr<T> e = container ? std::make_unique<T>(*container, name_)
                                         : std::make_unique<T>(form_, name_);
        e->setArrayIndex(index);
        wire(*e, index);
        T& ref = *e;
        elements_[index] = std::move(e);
        if (announce) announceAdded(ref);
        return ref;
    }

    void wire(T& e, int i) {
        e.Click = [this, i] { if (Click) Click(i); };
        e.DblClick = [this, i] { if (DblClick) DblClick(i); };
        if constexpr (requires { e.GotFocus; }) {
            e.GotFocus = [this, i] { if (GotFocus) GotFocus(i); };
            e.LostFocus = [this, i] { if (LostFocus) LostFocus(i); };
            e.KeyPress = [this, i](int& k) { if (KeyPress) KeyPress(i, k); };
            e.KeyDown = [this, i](int& k, int s) { if (KeyDown) KeyDown(i, k, s); };
            e.KeyUp = [this, i](int& k, int s) { if (KeyUp) KeyUp(i, k, s); };
        }
        if constexpr (requires { e.Change; }) {
            e.Change = [this, i] { if (Change) Change(i); };
        }
        if constexpr (requires { e.Timer; }) {
            e.Timer = [this, i] { if (Timer) Timer(i); };
        }
    }

    Form& form_;
    Control* container_ = nullptr;
    std::string name_;
    std::map<int, std::unique_ptr<T>> elements_;
};

}  // namespace platform
