// Views of the button-like controls: command buttons, check boxes and option
// buttons. Qt never changes their state by itself here: a click only asks
// the model, whose answer comes back through sync.
#include <QCheckBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "gui/ControlView.h"
#include "gui/Convert.h"
#include "gui/Painting.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/OptionButton.h"

namespace gui {

using platform::Property;

namespace {

void clickAction(platform::UserInput& input, platform::Control& c) { input.click(c); }

// The control with the keyboard focus shows it: a dotted rectangle inside
// a button's face, or round a check box's or option button's caption.
void paintFocus(QAbstractButton& b, const QRect& r) {
    if (!b.hasFocus()) return;
    QPainter p(&b);
    drawFocusRect(p, r, b.palette().color(QPalette::ButtonText));
}

template <class View>
void paintCaptionFocus(View& v, QStyle::SubElement focusRect) {
    QStyleOptionButton option;
    v.initStyleOption(&option);
    paintFocus(v, v.style()->subElementRect(focusRect, &option, &v).adjusted(-1, 0, 1, 0));
}

// The focus of these controls follows the model only: a click focuses them
// through the model's click.
void prepareButton(QAbstractButton& b) { b.setFocusPolicy(Qt::NoFocus); }

class CommandButtonView final : public QPushButton, public ControlView {
public:
    CommandButtonView(platform::CommandButton& c, FormWindow& w, QWidget* parent)
        : QPushButton(parent), ControlView(c, w), button_(c) {
        prepareButton(*this);
        setAutoDefault(false);
        connect(this, &QPushButton::clicked, this, [this] { postUserAction(clickAction); });
    }
    QWidget* widget() override { return this; }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPushButton::paintEvent(e);
        paintFocus(*this, rect().adjusted(4, 4, -4, -4));
    }
    void syncOwn(Property p) override {
        switch (p) {
        case Property::Caption: setText(captionText(button_.Caption())); break;
        case Property::Default: setDefault(button_.Default()); break;
        case Property::Picture: {
            const QImage image = toQImage(button_.Picture());
            setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
            if (!image.isNull()) setIconSize(image.size());
            break;
        }
        case Property::BackColor: setWidgetColor(this, QPalette::Button, button_.BackColor(), false); break;
        case Property::ForeColor: setWidgetColor(this, QPalette::ButtonText, button_.ForeColor(), true); break;
        default: break;
        }
    }

private:
    platform::CommandButton& button_;
};

// Caption, alignment and colours shared by check boxes and option buttons.
template <class Model>
void syncCheckable(QAbstractButton& b, const Model& m, Property p) {
    switch (p) {
    case Property::Caption: b.setText(captionText(m.Caption())); break;
    case Property::Alignment:
        // Right-justified puts the box on the right of the caption.
        b.setLayoutDirection(m.Alignment() == platform::vbRightJustify ? Qt::RightToLeft : Qt::LeftToRight);
        break;
    case Property::BackColor:
        b.setAutoFillBackground(true);
        setWidgetColor(&b, QPalette::Window, m.BackColor(), false);
        break;
    case Property::ForeColor: setWidgetColor(&b, QPalette::WindowText, m.ForeColor(), true); break;
    default: break;
    }
}

class CheckBoxView final : public QCheckBox, public ControlView {
public:
    CheckBoxView(platform::CheckBox& c, FormWindow& w, QWidget* parent)
        : QCheckBox(parent), ControlView(c, w), box_(c) {
        prepareButton(*this);
        setTristate(true);
        connect(this, &QCheckBox::clicked, this, [this] { postUserAction(clickAction); });
    }
    QWidget* widget() override { return this; }
    using QCheckBox::initStyleOption;

protected:
    void paintEvent(QPaintEvent* e) override {
        QCheckBox::paintEvent(e);
        paintCaptionFocus(*this, QStyle::SE_CheckBoxFocusRect);
    }
    void nextCheckState() override {}
    // The whole control answers a click, not only its box and caption.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void syncOwn(Property p) override {
        if (p == Property::Value) {
            static constexpr Qt::CheckState kStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
            const int v = box_.Value();
            setCheckState(v >= 0 && v <= 2 ? kStates[v] : Qt::Unchecked);
        }
        syncCheckable(*this, box_, p);
    }

private:
    platform::CheckBox& box_;
};

class OptionButtonView final : public QRadioButton, public ControlView {
public:
    OptionButtonView(platform::OptionButton& c, FormWindow& w, QWidget* parent)
        : QRadioButton(parent), ControlView(c, w), option_(c) {
        prepareButton(*this);
        // The model keeps each container's buttons exclusive.
        setAutoExclusive(false);
        connect(this, &QRadioButton::clicked, this, [this] { postUserAction(clickAction); });
    }
    QWidget* widget() override { return this; }
    using QRadioButton::initStyleOption;

protected:
    void paintEvent(QPaintEvent* e) override {
        QRadioButton::paintEvent(e);
        paintCaptionFocus(*this, QStyle::SE_RadioButtonFocusRect);
    }
    void nextCheckState() override {}
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void syncOwn(Property p) override {
        if (p == Property::Value) setChecked(option_.Value());
        syncCheckable(*this, option_, p);
    }

private:
    platform::OptionButton& option_;
};

}  // namespace

ControlView* makeCommandButtonView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new CommandButtonView(static_cast<platform::CommandButton&>(c), w, parent);
}

ControlView* makeCheckBoxView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new CheckBoxView(static_cast<platform::CheckBox&>(c), w, parent);
}

ControlView* makeOptionButtonView(platform::Control& c, FormWindow& w, QWidget* parent) {
    return new OptionButtonView(static_cast<platform::OptionButton&>(c), w, parent);
}

}  // namespace gui
