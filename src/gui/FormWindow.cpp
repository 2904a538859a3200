#include "gui/FormWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>

#include "gui/ControlView.h"
#include "gui/Convert.h"
#include "gui/Renderer.h"
#include "platform/forms/Control.h"
#include "platform/forms/Forms.h"

namespace gui {

using platform::Property;

namespace {

struct Guard {
    explicit Guard(int& n) : count(n) { ++count; }
    ~Guard() { --count; }
    int& count;
};

// The offscreen platform has no stacking order and says so on every raise.
void raiseWindow(QWidget& w) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w.raise();
}

bool fixedBorder(int style) {
    return style == platform::vbBSNone || style == platform::vbFixedSingle || style == platform::vbFixedDouble ||
           style == platform::vbFixedToolWindow;
}

// Lightweight controls lie below the windowed ones on the desktop the
// windows were designed for.
bool drawnBelow(const platform::Control& c) {
    return c.kind() == platform::ControlKind::Label || c.kind() == platform::ControlKind::Image;
}

}  // namespace

FormWindow::FormWindow(platform::Form& form, Renderer& renderer)
    : QWidget(nullptr), form_(&form), renderer_(renderer), alive_(std::make_shared<bool>(true)) {
    setPalette(classicPalette());
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    build();
}

FormWindow::~FormWindow() {
    *alive_ = false;
    handOverWindowsShownOver();
}

// Windows of other forms shown over this one are children in Qt's sense;
// they belong to their own forms and must outlive it: each moves over the
// nearest live window below this one (or stands alone) and stays as its
// model shows it. A modal window that vanished with the window it was
// opened over would leave every other window blocked.
void FormWindow::handOverWindowsShownOver() {
    FormWindow* heir = nullptr;
    for (QWidget* w = parentWidget(); w && !heir; w = w->parentWidget())
        if (auto* f = dynamic_cast<FormWindow*>(w); f && f->form_ && f->isVisible()) heir = f;
    const QObjectList kids = children();  // setParent changes the list
    for (QObject* child : kids)
        if (auto* w = dynamic_cast<FormWindow*>(child)) w->moveOver(heir);
}

// A window shown over another is a dialog of it for the window manager
// (transient for it): it stays above its owner, so a modal window can never
// sink behind the window it blocks and leave the user facing a window that
// takes no input. A window over none is an ordinary top-level window.
void FormWindow::setParentWindow(FormWindow* over) {
    Qt::WindowFlags flags = windowFlags();
    const Qt::WindowType type = windowType();
    if (type == Qt::Window || type == Qt::Dialog) flags = (flags & ~Qt::WindowType_Mask) | (over ? Qt::Dialog : Qt::Window);
    setParent(over, flags);  // hides the window
}

void FormWindow::moveOver(FormWindow* over) {
    Guard guard(applying_);
    const Qt::WindowModality modality = windowModality();
    setParentWindow(over);
    if (modality != Qt::NonModal) setWindowModality(over ? Qt::WindowModal : Qt::ApplicationModal);
    if (!form_ || !form_->Visible()) return;
    applyGeometry();
    show();
    raiseWindow(*this);
    if (platform::Forms::activeForm() == form_) {
        renderer_.activationRequested(*this);
        activateWindow();
    }
    syncFocus();
}

void FormWindow::detach() {
    *alive_ = false;
    for (auto& [control, view] : views_) view->detach();
    views_.clear();
    form_ = nullptr;
}

// --- Controls -----------------------------------------------------------------

void FormWindow::build() {
    Guard guard(applying_);
    for (platform::Control* c : form_->controls())
        if (ControlView* v = makeView(*c, *this, this)) views_[c] = v;
    // Containers exist now, wherever they come in the design order.
    for (platform::Control* c : form_->controls()) place(*c);
    for (auto& [c, view] : views_) view->syncAll();
    for (auto& [c, view] : views_)
        if (drawnBelow(*c)) view->widget()->lower();
    for (Property p : {Property::Caption, Property::Icon, Property::BackColor, Property::Enabled, Property::BorderStyle})
        syncForm(p);
    applyGeometry();
}

ControlView* FormWindow::viewOf(const platform::Control& c) const {
    auto it = views_.find(&c);
    return it == views_.end() ? nullptr : it->second;
}

QWidget* FormWindow::widgetOf(const platform::Control& c) const {
    ControlView* v = viewOf(c);
    return v ? v->widget() : nullptr;
}

QWidget* FormWindow::parentFor(const platform::Control& c) const {
    if (platform::Control* container = c.Container())
        if (QWidget* w = widgetOf(*container)) return w;
    return const_cast<FormWindow*>(this);
}

QPoint FormWindow::childOffset(const platform::Control& c) const {
    platform::Control* container = c.Container();
    ControlView* v = container ? viewOf(*container) : nullptr;
    return v ? v->childOffset() : QPoint();
}

void FormWindow::place(platform::Control& c) {
    ControlView* v = viewOf(c);
    if (!v) return;
    QWidget* parent = parentFor(c);
    if (v->widget()->parentWidget() != parent) v->widget()->setParent(parent);
    v->sync(Property::Geometry);
    v->sync(Property::Visible);
}

void FormWindow::syncChildGeometry(const platform::Control& container) {
    for (platform::Control* c : container.children())
        if (ControlView* v = viewOf(*c)) v->sync(Property::Geometry);
}

void FormWindow::addControl(platform::Control& c) {
    if (viewOf(c)) return;
    ControlView* v = makeView(c, *this, parentFor(c));
    if (!v) return;
    views_[&c] = v;
    v->syncAll();
    if (drawnBelow(c)) v->widget()->lower();
}

void FormWindow::removeControl(platform::Control& c) {
    auto it = views_.find(&c);
    if (it == views_.end()) return;
    ControlView* v = it->second;
    views_.erase(it);
    QWidget* gone = v->widget();
    // Children of a removed container stay on the form.
    for (auto& [child, view] : views_)
        if (view->widget()->parentWidget() == gone) {
            view->widget()->setParent(this);
            view->sync(Property::Geometry);
            view->sync(Property::Visible);
        }
    v->detach();
    gone->hide();
    gone->deleteLater();
}

void FormWindow::syncControl(platform::Control& c, Property p) {
    if (p == Property::Container) {
        place(c);
        return;
    }
    if (ControlView* v = viewOf(c)) v->sync(p);
}

void FormWindow::syncFocus() {
    if (!form_) return;
    Guard guard(applying_);
    platform::Control* focused = form_->ActiveControl();
    if (QWidget* w = focused ? widgetOf(*focused) : nullptr)
        w->setFocus(Qt::OtherFocusReason);
    else if (QWidget* f = focusWidget())
        f->clearFocus();
}

// --- The window itself ---------------------------------------------------------

void FormWindow::syncForm(Property p) {
    if (!form_) return;
    Guard guard(applying_);
    switch (p) {
    case Property::Caption: setWindowTitle(toQString(form_->Caption())); break;
    case Property::Icon: {
        const QImage icon = toQImage(form_->Icon());
        setWindowIcon(icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(icon)));
        break;
    }
    case Property::Geometry: applyGeometry(); break;
    case Property::Enabled: setEnabled(form_->Enabled()); break;
    case Property::BackColor: {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, toQColor(form_->BackColor()));
        setPalette(pal);
        break;
    }
    case Property::BorderStyle:
    case Property::ControlBox: applyFlags(); break;
    default: break;
    }
}

void FormWindow::applyFlags() {
    Qt::WindowFlags flags = parentWidget() ? Qt::Dialog : Qt::Window;
    const int style = form_->BorderStyle();
    if (style == platform::vbBSNone) {
        flags |= Qt::FramelessWindowHint;
    } else {
        if (style == platform::vbFixedToolWindow || style == platform::vbSizableToolWindow) flags = Qt::Tool;
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (form_->ControlBox()) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (style == platform::vbSizable) flags |= Qt::WindowMinMaxButtonsHint;
        }
    }
    if (flags == windowFlags()) return;
    const bool shown = isVisible();
    setWindowFlags(flags);  // hides the window
    applyGeometry();
    if (shown) show();
}

void FormWindow::applyGeometry() {
    Guard guard(applying_);
    const QSize client(px(form_->ScaleWidth()), px(form_->ScaleHeight()));
    if (fixedBorder(form_->BorderStyle())) {
        setFixedSize(client);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(client);
    }
    move(px(form_->Left()), px(form_->Top()));
}

void FormWindow::showFromModel(bool modal) {
    if (!form_) return;
    Guard guard(applying_);
    // A modal window blocks the window it was opened over: its owner, or
    // the form that was active when it opened.
    FormWindow* over = form_->owner() ? renderer_.windowOf(*form_->owner()) : nullptr;
    if (!over && modal && platform::Forms::activeForm())
        over = renderer_.windowOf(*platform::Forms::activeForm());
    for (QWidget* w = over; w; w = w->parentWidget())
        if (w == this) over = nullptr;  // never a parent cycle
    if (over && !over->isVisible()) over = nullptr;
    if (parentWidget() != over) setParentWindow(over);
    if (isVisible()) hide();
    setWindowModality(modal ? (over ? Qt::WindowModal : Qt::ApplicationModal) : Qt::NonModal);
    applyGeometry();
    show();
    raiseWindow(*this);
    syncFocus();
}

void FormWindow::hideFromModel() {
    Guard guard(applying_);
    hide();
    setWindowModality(Qt::NonModal);
}

void FormWindow::activateFromModel() {
    if (!isVisible()) return;
    renderer_.activationRequested(*this);
    raiseWindow(*this);
    activateWindow();
}

// --- What Qt reports -----------------------------------------------------------

void FormWindow::postFormAction(std::function<void(platform::UserInput&, platform::Form&)> action) {
    if (!form_) return;
    std::weak_ptr<bool> alive = alive_;
    postToLoop([this, alive, action = std::move(action)] {
        auto token = alive.lock();
        if (!token || !*token || !form_) return;
        platform::UserInput input;
        action(input, *form_);
        if (*token && form_) syncFocus();
    });
}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The model decides: QueryUnload with the close box as the reason, and
    // an unload hides and drops this window.
    e->ignore();
    postFormAction([](platform::UserInput& input, platform::Form& f) { input.closeBox(f); });
}

void FormWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && form_ && !applying_)
        renderer_.activatedByQt(*this);
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    QWidget::mousePressEvent(e);
    postFormAction([](platform::UserInput& input, platform::Form& f) { input.activate(f); });
}

void FormWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (e->spontaneous() && !applying_) geometryFromQt();
}

void FormWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (e->spontaneous() && !applying_) geometryFromQt();
}

// The user moved or resized the window: the model's geometry follows (a
// new size raises Resize), unless it already agrees to the pixel.
void FormWindow::geometryFromQt() {
    if (!form_) return;
    const QPoint at = pos();
    const QSize client = size();
    if (at.x() == px(form_->Left()) && at.y() == px(form_->Top()) && client.width() == px(form_->ScaleWidth()) &&
        client.height() == px(form_->ScaleHeight()))
        return;
    postFormAction([at, client](platform::UserInput&, platform::Form& f) {
        f.Move(twips(at.x()), twips(at.y()), twips(client.width()) + f.frameWidth(),
               twips(client.height()) + f.frameHeight());
    });
}

}  // namespace gui
