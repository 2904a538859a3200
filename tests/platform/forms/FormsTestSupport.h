// Shared set-up of the window-model tests: a virtual clock with its loop made
// current, a test driver, and a clean form registry afterwards.
#pragma once

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/TestDriver.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"

namespace platform::test {

class FormsTest : public ::testing::Test {
protected:
    FormsTest() { EventLoop::setCurrent(&loop); }
    ~FormsTest() override {
        Forms::discardAll();
        EventLoop::setCurrent(nullptr);
    }

    VirtualClock clock;
    EventLoop loop{clock};
    TestDriver driver;
};

}  // namespace platform::test
