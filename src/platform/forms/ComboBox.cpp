#include "platform/forms/ComboBox.h"

#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/forms/Keys.h"

namespace platform {

namespace {
constexpr int kInvalidCall = 5;
constexpr int kInvalidArrayIndex = 381;
constexpr int kTextReadOnly = 383;
}  // namespace

ComboBox::ComboBox(Form& form, std::string name)
    : FocusableControl(form, ControlKind::ComboBox, std::move(name)) {
    setDefaultSize(1455, 315);
    setBackColor(vbWindowBackground);
    setForeColor(vbWindowText);
}

ComboBox::ComboBox(Control& container, std::string name)
    : FocusableControl(container, ControlKind::ComboBox, std::move(name)) {
    setDefaultSize(1455, 315);
    setBackColor(vbWindowBackground);
    setForeColor(vbWindowText);
}

void ComboBox::setStyle(int style) {
    assign(style_, style, Property::Style);
}

void ComboBox::checkIndex(int index) const {
    if (index < 0 || index >= ListCount())
        throw RuntimeError(kInvalidArrayIndex, "Invalid property array index");
}

void ComboBox::AddItem(const std::string& text, int index) {
    if (index == -1) index = ListCount();
    if (index < 0 || index > ListCount())
        throw RuntimeError(kInvalidCall, "Invalid procedure call or argument");
    items_.insert(items_.begin() + index, Item{text, 0});
    newIndex_ = index;
    const bool shifted = listIndex_ >= index;
    if (shifted) ++listIndex_;
    notify(Property::List);
    if (shifted) notify(Property::ListIndex);
}

void ComboBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount())
        throw RuntimeError(kInvalidCall, "Invalid procedure call or argument");
    items_.erase(items_.begin() + index);
    bool moved = false;
    if (listIndex_ == index) {
        listIndex_ = -1;
        moved = true;
    } else if (listIndex_ > index) {
        --listIndex_;
        moved = true;
    }
    if (newIndex_ >= ListCount()) newIndex_ = -1;
    notify(Property::List);
    if (moved) notify(Property::ListIndex);
}

void ComboBox::Clear() {
    const bool hadSelection = listIndex_ != -1;
    items_.clear();
    listIndex_ = -1;
    newIndex_ = -1;
    editText_.clear();
    notify(Property::List);
    if (hadSelection) notify(Property::ListIndex);
}

std::string ComboBox::List(int index) const {
    if (index < 0 || index >= ListCount()) return {};
    return items_[static_cast<size_t>(index)].text;
}

void ComboBox::setList(int index, std::string text) {
    checkIndex(index);
    items_[static_cast<size_t>(index)].text = std::move(text);
    notify(Property::List);
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= ListCount())
        throw RuntimeError(err::InvalidProperty, "Invalid property value");
    if (index == listIndex_) return;
    listIndex_ = index;
    if (style_ != vbComboDropdownList) editText_ = List(index);
    notify(Property::ListIndex);
    raise(Click);
}

std::int32_t ComboBox::ItemData(int index) const {
    checkIndex(index);
    return items_[static_cast<size_t>(index)].data;
}

void ComboBox::setItemData(int index, std::int32_t value) {
    checkIndex(index);
    items_[static_cast<size_t>(index)].data = value;
}

std::string ComboBox::Text() const {
    if (style_ == vbComboDropdownList) return List(listIndex_);
    return editText_;
}

void ComboBox::setText(const std::string& text) {
    if (style_ == vbComboDropdownList) {
        for (int i = 0; i < ListCount(); ++i)
            if (items_[static_cast<size_t>(i)].text == text) {
                setListIndex(i);
                return;
            }
        throw RuntimeError(kTextReadOnly, "'Text' property is read-only");
    }
    if (!assign(editText_, text, Property::Text)) return;
    raise(Change);
}

void ComboBox::setLocked(bool on) {
    assign(locked_, on, Property::Locked);
}

void ComboBox::userClick() { raise(DropDown); }

bool ComboBox::opensList(int keyCode, int shift) {
    return (keyCode == vbKeyF4 && shift == 0) || (shift == vbAltMask && (keyCode == vbKeyDown || keyCode == vbKeyUp));
}

bool ComboBox::keyDownAction(int keyCode, int shift) {
    if (locked_ || items_.empty()) return false;
    if (opensList(keyCode, shift)) {
        // Opening the list only shows the entries; the choice stays.
        raise(DropDown);
        return true;
    }
    int target = listIndex_;
    switch (keyCode) {
    case vbKeyUp:
    case vbKeyLeft: target = listIndex_ <= 0 ? 0 : listIndex_ - 1; break;
    case vbKeyDown:
    case vbKeyRight: target = listIndex_ + 1 >= ListCount() ? ListCount() - 1 : listIndex_ + 1; break;
    case vbKeyHome: target = 0; break;
    case vbKeyEnd: target = ListCount() - 1; break;
    default: return false;
    }
    setListIndex(target);
    return true;
}

bool ComboBox::keyPressAction(int keyAscii) {
    if (style_ != vbComboDropdownList || locked_ || keyAscii < ' ' || items_.empty()) return false;
    // A typed character selects the next entry that starts with it.
    const std::string key(1, static_cast<char>(keyAscii));
    const int n = ListCount();
    for (int step = 1; step <= n; ++step) {
        int i = (listIndex_ + step + n) % n;
        const std::string& t = items_[static_cast<size_t>(i)].text;
        if (!t.empty() && equalsIgnoreCase(t.substr(0, 1), key)) {
            setListIndex(i);
            break;
        }
    }
    return true;
}

}  // namespace platform
