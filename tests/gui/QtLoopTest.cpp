// One event loop with Qt: the real clock and the Qt backend serve the
// utility's descriptors, timers and posted events and Qt's own events in
// the same wait, modal windows run their nested loop while Qt keeps
// working, and an idle loop sleeps. These tests are about real time; each
// takes a fraction of a second.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <ctime>

#include "gui/Application.h"
#include "gui/FormWindow.h"
#include "gui/PlainMessage.h"
#include "gui/QtApplicationHolder.h"
#include "gui/QtFontMetrics.h"
#include "gui/QtLoopBackend.h"
#include "gui/Renderer.h"
#include "platform/Application.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/FontMetrics.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TextBox.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"

namespace gui::test {

namespace {

using platform::kForever;
using platform::Micros;

// The backend's notifiers need Qt's dispatcher before the loop is made.
struct WithQt {
    WithQt() { ensureQtApplication(); }
};

class QtLoopTest : public ::testing::Test, private WithQt {
protected:
    QtLoopTest() {
        platform::EventLoop::setCurrent(&loop);
        renderer = std::make_unique<Renderer>();
    }
    ~QtLoopTest() override {
        platform::Forms::discardAll();
        renderer.reset();
        platform::EventLoop::setCurrent(nullptr);
    }

    // The loop runs until done() holds; a test that hangs fails instead.
    void runUntil(const std::function<bool()>& done, int limitMs = 10000) {
        bool expired = false;
        platform::Timer guard(loop);
        guard.setInterval(limitMs);
        guard.onTimer = [&] { expired = true; };
        loop.runUntil([&] { return done() || expired; });
        EXPECT_FALSE(expired) << "the loop did not get there in time";
    }

    static Micros cpuMicros() {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
    }

    platform::RealClock clock;
    platform::EventLoop loop{clock, std::make_unique<QtLoopBackend>()};
    std::unique_ptr<Renderer> renderer;
};

struct Dialog : platform::Form {
    Dialog() : Form("Dialog") { setClientSize(3000, 1500); }
    void Form_QueryUnload(int&, int mode) override { closeModes.push_back(mode); }
    std::vector<int> closeModes;
};

struct Owner : platform::Form {
    Owner() : Form("Owner") {
        setClientSize(4000, 2000);
        Open.Move(120, 120, 1500, 400);
        Open.setCaption("&Open");
        Open.Click = [this] {
            ++opens;
            auto dialog = platform::newForm<Dialog>();
            dialog->Show(platform::vbModal, this);
            closeModes = dialog->closeModes;
            returned = true;
        };
    }
    platform::CommandButton Open{*this, "Open"};
    int opens = 0;
    bool returned = false;
    std::vector<int> closeModes;
};

}  // namespace

TEST_F(QtLoopTest, ModalFormRunsItsNestedLoopWhileQtEventsFlow) {
    Owner owner;
    owner.Show();
    FormWindow* ownerWindow = renderer->windowOf(owner);
    QTest::mouseClick(renderer->widgetOf(owner.Open), Qt::LeftButton);

    bool checked = false;
    QTimer::singleShot(30, [&] {
        platform::Form* dialog = platform::Forms::topModal();
        ASSERT_NE(dialog, nullptr);
        FormWindow* w = renderer->windowOf(*dialog);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowModality(), Qt::WindowModal);
        EXPECT_EQ(w->parentWidget(), ownerWindow) << "modal over its owner";
        // The owner is blocked: its button does nothing while the dialog runs.
        QTest::mouseClick(renderer->widgetOf(owner.Open), Qt::LeftButton);
        checked = true;
        w->close();  // the title bar's close box
    });
    runUntil([&] { return owner.returned; });

    EXPECT_TRUE(checked);
    EXPECT_EQ(owner.opens, 1);
    EXPECT_EQ(owner.closeModes, std::vector<int>{platform::vbFormControlMenu});
    EXPECT_EQ(platform::Forms::topModal(), nullptr);
}

TEST_F(QtLoopTest, DescriptorsTimersAndPostsAreServedWhileQtWaits) {
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    bool readSeen = false, postSeen = false;
    Micros timerAt = -1;
    const Micros start = clock.now();
    loop.watch(fds[0], platform::IoRead, [&](unsigned) {
        char buf[8];
        readSeen = read(fds[0], buf, sizeof buf) == 1;
    });
    platform::Timer timer(loop);
    timer.setInterval(40);
    timer.onTimer = [&] {
        timerAt = clock.now() - start;
        timer.setEnabled(false);
    };
    // Qt's own timers drive the descriptor and the post, so Qt events must
    // be served by the same wait.
    QTimer::singleShot(10, [&] { [[maybe_unused]] auto n = write(fds[1], "x", 1); });
    QTimer::singleShot(20, [&] { loop.post([&] { postSeen = true; }); });

    runUntil([&] { return readSeen && postSeen && timerAt >= 0; });
    EXPECT_TRUE(readSeen);
    EXPECT_TRUE(postSeen);
    EXPECT_GE(timerAt, 40000) << "the utility's timer is not early";
    close(fds[0]);
    close(fds[1]);
}

TEST_F(QtLoopTest, IdleLoopSleepsAndYieldsKeepTheirQuantum) {
    struct Idle : platform::Form {
        Idle() : Form("Idle") {}
        platform::TextBox Entry{*this, "Entry"};
    } form;
    form.Show();  // a shown window with a focused text box, as the utility idles

    bool done = false;
    platform::Timer stop(loop);
    stop.setInterval(300);
    stop.onTimer = [&] { done = true; };
    const Micros cpuBefore = cpuMicros();
    runUntil([&] { return done; });
    const Micros cpu = cpuMicros() - cpuBefore;
    EXPECT_LT(cpu, 15000) << "an idle loop must not spin; it used " << cpu << " us of CPU in 300 ms";

    // A wait of one quantum lasts it, and a run of yields sleeps (each at
    // least half its quantum, what the loop's pacing allows): they do not
    // spin. How little more than their quanta they cost is a figure of real
    // time, which a loaded machine stretches at will; the yield benchmark
    // measures it.
    std::vector<platform::IoReady> ready;
    Micros before = clock.now();
    loop.backend().wait({}, platform::kYieldQuantum, ready);
    EXPECT_GE(clock.now() - before, platform::kYieldQuantum);
    constexpr int kYields = 1000;
    before = clock.now();
    for (int i = 0; i < kYields; ++i) loop.doEvents();
    EXPECT_GE(clock.now() - before, kYields * platform::kYieldQuantum / 2);
}

// Clicks OK on the plain message box once it is up; returns its texts.
std::function<void()> answerPlainMessage(QString& title, QString& text) {
    return [&title, &text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    };
}

TEST_F(QtLoopTest, PlainMessageBoxKeepsTheUtilitysLoopRunning) {
    QString title, text;
    int ticks = 0;
    platform::Timer timer(loop);
    timer.setInterval(10);
    // The utility's own timer runs while the box waits, and answers it.
    timer.onTimer = [&, answer = answerPlainMessage(title, text)] {
        if (++ticks == 3) answer();
    };
    showPlainMessage("DuRudo", "Flash Write failed.", false);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(text, QStringLiteral("Flash Write failed."));
}

TEST(GuiApplication, InstallsTheFrontEndAndRunsUntilTheLastFormUnloads) {
    ensureQtApplication();
    struct Main : platform::Form {
        Main() : Form("Main") {}
    } form;
    {
        int argc = 1;
        char name[] = "gui_test";
        char* argv[] = {name, nullptr};
        Application app(argc, argv);
        EXPECT_EQ(&platform::EventLoop::current(), &app.loop());
        EXPECT_NE(dynamic_cast<const QtFontMetrics*>(&platform::fontMetrics()), nullptr);
        EXPECT_TRUE(platform::app().beepHook);
        EXPECT_TRUE(platform::app().alertHook);
        ASSERT_NE(Renderer::current(), nullptr);

        form.Show();
        QTimer::singleShot(10, [&] { Renderer::current()->windowOf(form)->close(); });
        app.run();
        EXPECT_FALSE(form.isLoaded());
    }
    EXPECT_EQ(platform::EventLoop::currentOrNull(), nullptr);
    EXPECT_EQ(dynamic_cast<const QtFontMetrics*>(&platform::fontMetrics()), nullptr);
    EXPECT_FALSE(platform::app().beepHook);
    EXPECT_EQ(Renderer::current(), nullptr);
}

// Before the program's loop exists, Qt's own modal loop waits for the box.
TEST(PlainMessage, ShowsTitleTextAndWaitsForOk) {
    ensureQtApplication();
    QString title, text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, answerPlainMessage(title, text));
    poll.start(5);
    showPlainMessage("DuRudo", "Application is already running", true);
    EXPECT_EQ(title, QStringLiteral("DuRudo"));
    EXPECT_EQ(text, QStringLiteral("Application is already running"));
}

}  // namespace gui::test
