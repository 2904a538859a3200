// Shared set-up of the front-end tests: the process's QApplication, a
// virtual-clock loop made current, a renderer showing every form, a test
// driver, and a clean form registry afterwards. User input given to widgets
// is posted to the loop; pump() runs it.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "gui/QtApplicationHolder.h"
#include "gui/Renderer.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"

namespace gui::test {

class GuiTest : public ::testing::Test {
protected:
    GuiTest() {
        ensureQtApplication();
        platform::EventLoop::setCurrent(&loop);
        renderer = std::make_unique<Renderer>();
    }
    ~GuiTest() override {
        platform::Forms::discardAll();
        renderer.reset();
        platform::EventLoop::setCurrent(nullptr);
    }

    // Runs what Qt and the widgets posted until nothing is left.
    void pump() {
        QCoreApplication::processEvents();
        for (int i = 0; i < 100 && loop.hasPendingPosts(); ++i) loop.doEvents();
    }

    template <class W>
    W* widget(const platform::Control& c) {
        return dynamic_cast<W*>(renderer->widgetOf(c));
    }

    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    platform::TestDriver driver;
    std::unique_ptr<Renderer> renderer;
};

}  // namespace gui::test
