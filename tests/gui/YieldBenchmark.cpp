// What a yield costs under the program's loop: the real clock and the Qt
// backend, with a shown window of buttons and a watched descriptor, as the
// main window waits after a button. Run it from the release build:
//     QT_QPA_PLATFORM=offscreen build/release/tests/gui/yield_benchmark
// The figure of interest is the time of the 10000 yields after a button.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "gui/QtApplicationHolder.h"
#include "gui/QtLoopBackend.h"
#include "gui/Renderer.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"

namespace {

struct MainLike : platform::Form {
    MainLike() : Form("MainLike") {
        setClientSize(6000, 4000);
        for (int i = 0; i < 4; ++i) Buttons[i].Move(240, 240 + i * 700, 1800, 555);
    }
    platform::CommandButton Buttons[4]{{*this, "B0"}, {*this, "B1"}, {*this, "B2"}, {*this, "B3"}};
};

void BM_YieldsAfterAButton(benchmark::State& state) {
    gui::ensureQtApplication();
    platform::RealClock clock;
    platform::EventLoop loop(clock, std::make_unique<gui::QtLoopBackend>());
    platform::EventLoop::setCurrent(&loop);
    auto renderer = std::make_unique<gui::Renderer>();
    MainLike form;
    form.Show();
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    // The link's descriptor, watched and quiet.
    loop.watch(fds[0], platform::IoRead, [](unsigned) {});
    const auto yields = state.range(0);
    for (auto _ : state)
        for (int64_t i = 0; i < yields; ++i) loop.doEvents();
    state.counters["us_per_yield"] = benchmark::Counter(
        static_cast<double>(yields) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    platform::Forms::discardAll();
    renderer.reset();
    platform::EventLoop::setCurrent(nullptr);
    close(fds[0]);
    close(fds[1]);
}
BENCHMARK(BM_YieldsAfterAButton)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same yields on the loop without Qt (the platform's poll backend).
void BM_YieldsWithoutQt(benchmark::State& state) {
    platform::RealClock clock;
    platform::EventLoop loop(clock);
    const auto yields = state.range(0);
    for (auto _ : state)
        for (int64_t i = 0; i < yields; ++i) loop.doEvents();
}
BENCHMARK(BM_YieldsWithoutQt)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
