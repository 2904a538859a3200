// ComboBox: a list of text entries with a selection (ListIndex, -1 for
// none) and a number per entry (ItemData). Style 2 (drop-down list, the
// default here) only selects; style 0 also has an editable Text. Assigning
// a different ListIndex in code raises Click at once. Entries are CP1252
// text and keep their blanks.
#pragma once

#include <cstdint>

#include "platform/forms/Control.h"

namespace platform {

inline constexpr int vbComboDropdown = 0;
inline constexpr int vbComboSimple = 1;
inline constexpr int vbComboDropdownList = 2;

class ComboBox : public FocusableControl {
public:
    ComboBox(Form& form, std::string name);
    ComboBox(Control& container, std::string name);

    int Style() const { return style_; }
    void setStyle(int style);

    // Adds at the end, or before entry `index` (0..ListCount); an index out
    // of range raises RuntimeError 5. The selection stays on its entry.
    void AddItem(const std::string& text, int index = -1);
    // Removes entry `index`; removing the selected entry leaves none
    // selected (no Click).
    void RemoveItem(int index);
    // Removes every entry; ListIndex becomes -1 without a Click.
    void Clear();
    // Entry text ("" for an index out of range, as reading does).
    std::string List(int index) const;
    void setList(int index, std::string text);
    int ListCount() const { return static_cast<int>(items_.size()); }
    int ListIndex() const { return listIndex_; }
    // -1 .. ListCount-1; other values raise RuntimeError 380.
    void setListIndex(int index);
    std::int32_t ItemData(int index) const;
    void setItemData(int index, std::int32_t value);
    // Index of the entry added last.
    int NewIndex() const { return newIndex_; }
    // The selected entry's text (style 2) or the edit text (style 0).
    std::string Text() const;
    // Style 2: selects the entry with exactly this text (error 383 when
    // none has it); style 0: sets the edit text and raises Change.
    void setText(const std::string& text);
    bool Locked() const { return locked_; }
    void setLocked(bool on);

    std::function<void()> Change;
    std::function<void()> DropDown;

    // F4 and Alt+Down or Alt+Up open the list (DropDown) of a focused box
    // and leave its choice as it is; a front end shows the list open on it.
    static bool opensList(int keyCode, int shift);

protected:
    void userClick() override;
    bool keyDownAction(int keyCode, int shift) override;
    bool keyPressAction(int keyAscii) override;

private:
    friend class UserInput;
    struct Item {
        std::string text;
        std::int32_t data = 0;
    };
    void checkIndex(int index) const;

    std::vector<Item> items_;
    int listIndex_ = -1;
    int newIndex_ = -1;
    int style_ = vbComboDropdownList;
    bool locked_ = false;
    std::string editText_;
};

}  // namespace platform
