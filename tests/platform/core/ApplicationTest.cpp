#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/Application.h"
#include "platform/loop/Clock.h"

using namespace platform;

namespace {

TEST(Application, SecondInstanceOfTheSameFolderIsRefused) {
    Application first;
    first.setPath("/tmp/pos-instance-test-" + std::to_string(getpid()));
    ASSERT_FALSE(first.previousInstance());
    // flock locks belong to the open file description, so a child process
    // opening the lock file again sees the lock held, as a second program would.
    const pid_t child = fork();
    if (child == 0) {
        Application second;
        second.setPath(first.path());
        _exit(second.previousInstance() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    Application other;
    other.setPath(first.path() + "-elsewhere");
    EXPECT_FALSE(other.previousInstance());
}

TEST(Application, LocalTimeFollowsTheVirtualClock) {
    VirtualClock clock;
    Application a;
    a.setClock(&clock);
    clock.sleepFor(61'500'000);
    const LocalTime t = a.localTime();
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 2);
    EXPECT_EQ(t.hour, 3);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 6);
    EXPECT_EQ(t.millisecond, 500);
}

TEST(Application, BeepGoesThroughTheHook) {
    Application a;
    std::vector<int> beeps;
    a.beepHook = [&](int s) { beeps.push_back(s); };
    a.messageBeep(48);
    a.messageBeep(0);
    EXPECT_EQ(beeps, (std::vector<int>{48, 0}));
}

}  // namespace
