// What a yield costs under the program's loop: the real clock and the Qt
// backend, with a shown window of buttons and a watched descriptor, as the
// main window waits after a button. Run it from the release build on a quiet
// machine:
//     QT_QPA_PLATFORM=offscreen build/release/tests/gui/yield_benchmark
// The figure of interest is the time of the 10000 yields after a button.
// A yield should cost its quantum (0.1 ms) and little more; a run that costs
// more than 1.3 quanta a yield, or a quantum wait that takes one of Qt's
// milliseconds, is marked as an error. These are bounds of real time, kept
// here and not in the tests, which a loaded machine must not fail.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

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
    platform::Micros best = platform::kForever;
    for (auto _ : state) {
        const platform::Micros before = clock.now();
        for (int64_t i = 0; i < yields; ++i) loop.doEvents();
        best = std::min(best, clock.now() - before);
    }
    state.counters["us_per_yield"] = benchmark::Counter(
        static_cast<double>(yields) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    if (best > yields * platform::kYieldQuantum * 13 / 10)
        state.SkipWithError("the yields cost more than 1.3 quanta each, even in the best run");
    platform::Forms::discardAll();
    renderer.reset();
    platform::EventLoop::setCurrent(nullptr);
    close(fds[0]);
    close(fds[1]);
}
BENCHMARK(BM_YieldsAfterAButton)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// One wait of a quantum in the Qt backend: a tenth of a millisecond, not
// one of Qt's timer milliseconds. The best of the runs counts.
void BM_QuantumWaitUnderQt(benchmark::State& state) {
    gui::ensureQtApplication();
    platform::RealClock clock;
    gui::QtLoopBackend backend;
    std::vector<platform::IoReady> ready;
    platform::Micros best = platform::kForever;
    for (auto _ : state) {
        const platform::Micros before = clock.now();
        backend.wait({}, platform::kYieldQuantum, ready);
        best = std::min(best, clock.now() - before);
    }
    state.counters["best_us"] = static_cast<double>(best);
    if (best >= 1000) state.SkipWithError("a quantum wait took a whole millisecond");
}
BENCHMARK(BM_QuantumWaitUnderQt)->UseRealTime()->Iterations(20);

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
