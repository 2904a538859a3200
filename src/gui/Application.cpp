#include "gui/Application.h"

#include <QApplication>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>

#include "gui/Convert.h"
#include "gui/PlainMessage.h"
#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/QtLoopBackend.h"
#include "gui/Renderer.h"
#include "gui/SharedPaletteStyle.h"
#include "platform/Application.h"
#include "platform/forms/FontMetrics.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"

namespace gui {

namespace {

// The look the windows were designed for, the same on every desktop.
void styleApplication() {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(new SharedPaletteStyle(fusion));
    QApplication::setPalette(classicPalette());
    installFontSubstitutions();
    QApplication::setFont(toQFont(platform::FontSpec{}));
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The font configuration library that Qt's font database uses keeps its
// caches for the life of the process in a form the leak checker cannot
// follow; every program that draws text would report them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
#endif

void ensureQtApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "DuRudo";
    static char* argv[] = {name, nullptr};
    // Reachable for the rest of the process; never destroyed, so that no
    // static destructor runs after Qt's own have.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    styleApplication();
}

struct Application::Impl {
    std::unique_ptr<QApplication> ownApp;
    platform::RealClock clock;
    std::unique_ptr<platform::EventLoop> loop;
    std::unique_ptr<Renderer> renderer;
    platform::EventLoop* previousLoop = nullptr;
    bool quit = false;

    Impl(int& argc, char** argv) {
        if (!QCoreApplication::instance()) ownApp = std::make_unique<QApplication>(argc, argv);
        styleApplication();
        previousLoop = platform::EventLoop::currentOrNull();
        loop = std::make_unique<platform::EventLoop>(clock, std::make_unique<QtLoopBackend>());
        platform::EventLoop::setCurrent(loop.get());
        platform::setFontMetrics(std::make_shared<QtFontMetrics>());
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            platform::Forms::setScreenSize(twips(area.width()), twips(area.height()));
        }
        platform::Application& app = platform::app();
        app.setClock(&clock);
        app.beepHook = [](int) { QApplication::beep(); };
        app.alertHook = [] {
            QWidget* w = QApplication::activeWindow();
            if (!w)
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (top->isVisible()) w = top;
            if (w) QApplication::alert(w);
        };
        app.plainMessageHook = [](const std::string& text, int iconStyle, const std::string& caption) {
            showPlainMessage(caption, text, iconStyle == 16);
        };
        renderer = std::make_unique<Renderer>();
    }

    ~Impl() {
        renderer.reset();
        platform::Application& app = platform::app();
        app.beepHook = nullptr;
        app.alertHook = nullptr;
        app.plainMessageHook = nullptr;
        app.setClock(nullptr);
        platform::setFontMetrics(nullptr);
        if (platform::EventLoop::currentOrNull() == loop.get()) platform::EventLoop::setCurrent(previousLoop);
        loop.reset();
    }
};

Application::Application(int& argc, char** argv) : d_(std::make_unique<Impl>(argc, argv)) {}

Application::~Application() = default;

platform::EventLoop& Application::loop() { return *d_->loop; }

platform::Clock& Application::clock() { return d_->clock; }

void Application::run() {
    d_->quit = false;
    d_->loop->runUntil([this] { return d_->quit || platform::Forms::Count() == 0; });
    d_->quit = false;
}

void Application::quit() {
    d_->quit = true;
    d_->loop->backend().wake();
}

}  // namespace gui
