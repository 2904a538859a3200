// The shell's modal windows on the program's own loop: the real clock and
// the Qt front end (offscreen), as a user meets them. About real time; each
// case takes a fraction of a second.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <QtTest/QTest>

#include "gui/Application.h"
#include "gui/FormWindow.h"
#include "gui/Renderer.h"
#include "platform/Application.h"
#include "platform/forms/Forms.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/ModelessMsgBox.h"
#include "shell/TypeDefinition.h"

namespace {

struct Main : platform::Form {
    Main() : Form("Main") { setClientSize(6000, 4000); }
};

// A box raised while a timed notice is up stays shown and answers the user
// after the notice closed itself under it.
TEST(ShellOnQt, MessageBoxOutlivesTheNoticeItWasRaisedOver) {
    int argc = 1;
    char name[] = "gui_shell_test";
    char* argv[] = {name, nullptr};
    gui::Application ui(argc, argv);
    gui::Renderer& renderer = *gui::Renderer::current();
    Main main;
    main.Show();

    bool boxShownAfterNotice = false, boxActive = false, boxIsDialog = false;
    long answer = 0;
    platform::Timer raise(ui.loop()), answerIt(ui.loop()), giveUp(ui.loop());
    raise.setInterval(20);
    raise.onTimer = [&] {
        raise.setEnabled(false);
        answer = shell::ShowMessage("Flash Write failed.", shell::vbOKOnly, shell::vbCritical);
    };
    answerIt.setInterval(400);  // the notice closes at 150 ms
    answerIt.onTimer = [&] {
        answerIt.setEnabled(false);
        auto* box = dynamic_cast<shell::ModalMessageBox*>(platform::Forms::topModal());
        ASSERT_NE(box, nullptr);
        gui::FormWindow* window = renderer.windowOf(*box);
        ASSERT_NE(window, nullptr);
        boxShownAfterNotice = window->isVisible();
        boxActive = QApplication::activeModalWidget() == window;
        // Transient for the window below, so a window manager keeps it above.
        boxIsDialog = window->windowType() == Qt::Dialog && window->parentWidget() == renderer.windowOf(main);
        QTest::mouseClick(renderer.widgetOf(box->OKButton), Qt::LeftButton);
    };
    giveUp.setInterval(10000);  // generous: a loaded machine may hold the timers up
    giveUp.onTimer = [&] { platform::Forms::discardAll(); };

    shell::ShowTimedNotice("Checking the printer connection....", 150);
    ui.loop().runUntil([&] { return answer != 0 || !main.isLoaded(); });

    EXPECT_TRUE(boxShownAfterNotice);
    EXPECT_TRUE(boxActive) << "the box is the window that takes input";
    EXPECT_TRUE(boxIsDialog) << "the box is a dialog of the window it moved over";
    EXPECT_EQ(renderer.windowOf(main)->windowType(), Qt::Window);
    EXPECT_EQ(answer, shell::vbOK) << "the user's click answered the box";
    EXPECT_TRUE(main.isLoaded());
    platform::Forms::discardAll();
}

}  // namespace
