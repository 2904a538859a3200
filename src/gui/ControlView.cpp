#include "gui/ControlView.h"

#include "gui/Convert.h"
#include "gui/FormWindow.h"
#include "platform/loop/EventLoop.h"

namespace gui {

using platform::Property;

void postToLoop(std::function<void()> fn) {
    if (platform::EventLoop* loop = platform::EventLoop::currentOrNull())
        loop->post(std::move(fn));
    else
        fn();
}

void setWidgetColor(QWidget* widget, QPalette::ColorRole role, platform::Color color, bool foreground) {
    QPalette pal = widget->palette();
    const QColor c = toQColor(color);
    if (foreground) {
        pal.setColor(QPalette::Active, role, c);
        pal.setColor(QPalette::Inactive, role, c);
    } else {
        pal.setColor(role, c);
    }
    widget->setPalette(pal);
}

ControlView::ControlView(platform::Control& control, FormWindow& window)
    : control_(&control), window_(window), alive_(std::make_shared<bool>(true)) {}

ControlView::~ControlView() { *alive_ = false; }

void ControlView::detach() {
    *alive_ = false;
    control_ = nullptr;
}

void ControlView::postUserAction(std::function<void(platform::UserInput&, platform::Control&)> action) {
    if (!control_) return;
    std::weak_ptr<bool> alive = alive_;
    postToLoop([this, alive, action = std::move(action)] {
        auto token = alive.lock();
        if (!token || !*token || !control_) return;
        platform::UserInput input;
        action(input, *control_);
        // The action may have unloaded the form and detached this view.
        if (*token && control_) {
            syncAll();
            window_.syncFocus();
        }
    });
}

void ControlView::syncGeometry() {
    const platform::Control& c = *control_;
    const QPoint offset = window_.childOffset(c);
    widget()->setGeometry(offset.x() + px(c.Left()), offset.y() + px(c.Top()), px(c.Width()),
                          px(c.Height()));
}

void ControlView::sync(Property p) {
    if (!control_) return;
    Applying guard(*this);
    QWidget* w = widget();
    switch (p) {
    case Property::Geometry: syncGeometry(); break;
    case Property::Enabled: w->setEnabled(control_->Enabled()); break;
    case Property::Visible: w->setVisible(control_->Visible()); break;
    case Property::Font:
        w->setFont(toQFont(control_->Font()));
        syncOwn(p);
        break;
    case Property::ToolTipText: w->setToolTip(toQString(control_->ToolTipText())); break;
    default: syncOwn(p); break;
    }
}

void ControlView::syncAll() {
    // Visible comes last, so a widget appears complete.
    static constexpr Property kAll[] = {
        Property::Geometry,  Property::Font,       Property::ForeColor, Property::BackColor,
        Property::BackStyle, Property::BorderStyle, Property::Caption,  Property::Text,
        Property::List,      Property::ListIndex,  Property::Value,     Property::Picture,
        Property::Default,   Property::Locked,     Property::Alignment, Property::WordWrap,
        Property::Style,     Property::PasswordChar, Property::Multiline, Property::Stretch,
        Property::Selection, Property::ToolTipText, Property::Enabled,  Property::Visible,
    };
    for (Property p : kAll) sync(p);
}

ControlView* makeView(platform::Control& control, FormWindow& window, QWidget* parent) {
    using platform::ControlKind;
    switch (control.kind()) {
    case ControlKind::CommandButton: return makeCommandButtonView(control, window, parent);
    case ControlKind::CheckBox: return makeCheckBoxView(control, window, parent);
    case ControlKind::OptionButton: return makeOptionButtonView(control, window, parent);
    case ControlKind::ComboBox: return makeComboBoxView(control, window, parent);
    case ControlKind::TextBox: return makeTextBoxView(control, window, parent);
    case ControlKind::Label: return makeLabelView(control, window, parent);
    case ControlKind::Frame: return makeFrameView(control, window, parent);
    case ControlKind::PictureBox: return makePictureBoxView(control, window, parent);
    case ControlKind::Image: return makeImageView(control, window, parent);
    case ControlKind::Timer:
    case ControlKind::ImageList: return nullptr;
    }
    return nullptr;
}

}  // namespace gui
