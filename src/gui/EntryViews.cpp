// Views of the controls the user types or chooses in: text boxes and combo
// boxes. Keys never reach these widgets (InputBridge gives them to the
// model), so their text changes only when the model's does; what Qt still
// does by itself (mouse selection, pasting with the mouse, choosing from the
// open list) is handed to the model and the widget is set back to the
// model's state.
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QWheelEvent>

#include "gui/ControlView.h"
#include "gui/Convert.h"
#include "gui/Painting.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/TextBox.h"

namespace gui {

using platform::Property;

namespace {

void focusAction(platform::UserInput& input, platform::Control& c) { input.focus(c); }

Qt::Alignment alignmentOf(int a) {
    const Qt::Alignment h = a == platform::vbRightJustify ? Qt::AlignRight
                            : a == platform::vbCenter    ? Qt::AlignHCenter
                                                         : Qt::AlignLeft;
    return h | Qt::AlignVCenter;
}

class TextBoxView final : public QLineEdit, public ControlView {
public:
    TextBoxView(platform::TextBox& c, FormWindow& w, QWidget* parent)
        : QLineEdit(parent), ControlView(c, w), box_(c) {
        setFocusPolicy(Qt::ClickFocus);
        connect(this, &QLineEdit::selectionChanged, this, [this] { selectionToModel(); });
        connect(this, &QLineEdit::cursorPositionChanged, this, [this] { selectionToModel(); });
        connect(this, &QLineEdit::textEdited, this, [this](const QString& text) { editedByQt(text); });
    }
    QWidget* widget() override { return this; }

protected:
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        if (!applying() && e->reason() == Qt::MouseFocusReason) postUserAction(focusAction);
    }

    void syncOwn(Property p) override {
        switch (p) {
        case Property::Text:
            setText(toQString(box_.Text()));
            selectionFromModel();
            break;
        case Property::Selection:
            if (!selecting_) selectionFromModel();
            break;
        case Property::Locked: setReadOnly(box_.Locked()); break;
        case Property::PasswordChar: setEchoMode(box_.PasswordChar() ? Password : Normal); break;
        case Property::Alignment: setAlignment(alignmentOf(box_.Alignment())); break;
        case Property::BorderStyle: setFrame(box_.BorderStyle() != 0); break;
        case Property::BackColor: setWidgetColor(this, QPalette::Base, box_.BackColor(), false); break;
        case Property::ForeColor: setWidgetColor(this, QPalette::Text, box_.ForeColor(), true); break;
        default: break;
        }
    }

private:
    void selectionFromModel() {
        if (box_.SelLength() > 0)
            setSelection(box_.SelStart(), box_.SelLength());
        else
            setCursorPosition(box_.SelStart());
    }

    // A selection made with the mouse is the model's selection too; setting
    // it raises no event of the utility.
    void selectionToModel() {
        if (applying() || !control()) return;
        selecting_ = true;
        if (hasSelectedText()) {
            box_.setSelStart(selectionStart());
            box_.setSelLength(static_cast<int>(selectedText().size()));
        } else {
            box_.setSelStart(cursorPosition());
        }
        selecting_ = false;
    }

    // Text Qt changed itself (pasted with the mouse or the context menu,
    // dropped): the model decides (Locked, MaxLength), then the widget
    // shows what it decided.
    void editedByQt(const QString& text) {
        if (applying()) return;
        std::string edited = fromQString(text);
        syncAll();
        postUserAction([edited = std::move(edited)](platform::UserInput& input, platform::Control& c) {
            input.editText(static_cast<platform::TextBox&>(c), edited);
        });
    }

    platform::TextBox& box_;
    bool selecting_ = false;
};

class ComboBoxView final : public QComboBox, public ControlView {
public:
    ComboBoxView(platform::ComboBox& c, FormWindow& w, QWidget* parent)
        : QComboBox(parent), ControlView(c, w), combo_(c) {
        setFocusPolicy(Qt::ClickFocus);
        setMaxVisibleItems(12);
        connect(this, &QComboBox::activated, this, [this](int index) {
            if (applying()) return;
            postUserAction([index](platform::UserInput& input, platform::Control& c) {
                input.chooseListItem(static_cast<platform::ComboBox&>(c), index);
            });
        });
    }
    QWidget* widget() override { return this; }

    // The mouse opens the list: that is a click on the control (focus,
    // DropDown). A key opens it through the model (openedByModel).
    void showPopup() override {
        if (!control() || combo_.Locked()) return;
        postUserAction([](platform::UserInput& input, platform::Control& c) { input.click(c); });
        QComboBox::showPopup();
    }
    void openedByModel() {
        if (control() && !combo_.Locked()) QComboBox::showPopup();
    }

protected:
    void focusInEvent(QFocusEvent* e) override {
        QComboBox::focusInEvent(e);
        if (!applying() && e->reason() == Qt::MouseFocusReason) postUserAction(focusAction);
    }
    // The wheel would change the selection behind the model's back.
    void wheelEvent(QWheelEvent* e) override { e->ignore(); }

    // A focused drop-down list shows its entry selected, with the dotted
    // focus rectangle round it, as desktop lists do.
    void paintEvent(QPaintEvent* e) override {
        if (isEditable() || !hasFocus()) {
            QComboBox::paintEvent(e);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()
                                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
                                .adjusted(-1, 1, 0, -1);
        const QColor selectedText = option.palette.color(QPalette::HighlightedText);
        painter.fillRect(field, option.palette.highlight());
        option.palette.setColor(QPalette::ButtonText, selectedText);
        option.palette.setColor(QPalette::Text, selectedText);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
        drawFocusRect(painter, field, selectedText);
    }

    void syncOwn(Property p) override {
        switch (p) {
        case Property::Style: setEditable(combo_.Style() != platform::vbComboDropdownList); break;
        case Property::List: {
            // Rebuilt only when it changed: an open list keeps its highlight.
            QStringList entries;
            for (int i = 0; i < combo_.ListCount(); ++i) entries << toQString(combo_.List(i));
            if (entries != itemTexts()) {
                clear();
                addItems(entries);
            }
            setCurrentIndex(combo_.ListIndex());
            break;
        }
        case Property::ListIndex: setCurrentIndex(combo_.ListIndex()); break;
        case Property::Text:
            if (isEditable()) setEditText(toQString(combo_.Text()));
            break;
        case Property::BackColor:
            setWidgetColor(this, QPalette::Base, combo_.BackColor(), false);
            setWidgetColor(this, QPalette::Button, combo_.BackColor(), false);
            break;
        case Property::ForeColor:
            setWidgetColor(this, QPalette::Text, combo_.ForeColor(), true);
            setWidgetColor(this, QPalette::ButtonText, combo_.ForeColor(), true);
            break;
        default: break;
        }
    }

private:
    QStringList itemTexts() const {
        QStringList texts;
        for (int i = 0; i < count(); ++i) texts << itemText(i);
        return texts;
    }

    platform::ComboBox& combo_;
};

}  // namespace

ControlView* makeTextBoxView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new TextBoxView(static_cast<platform::TextBox&>(c), w, parent);
}

ControlView* makeComboBoxView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new ComboBoxView(static_cast<platform::ComboBox&>(c), w, parent);
}

void showOpenedList(QWidget* comboView) {
    if (auto* view = dynamic_cast<ComboBoxView*>(comboView)) view->openedByModel();
}

}  // namespace gui
