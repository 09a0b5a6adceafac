// One Event List tick while the clock runs forward at 30 frames per second through a
// list of N Events (one Event every 100 ms, a loop every 1000 Events). The cost per
// tick must not grow with N.

#include <benchmark/benchmark.h>

#include "engine/event_list.h"
#include "engine/manual_clock.h"

namespace {

using namespace j4;

struct NullLayers final : engine::LayerTarget {
    bool setLayerCue(int, common::CueNumber) override { return true; }
    bool setLayerLevel(int, common::Level) override { return true; }
};

std::vector<engine::Event> makeEvents(int count) {
    std::vector<engine::Event> events(count);
    for (int i = 1; i < count; ++i) {
        events[i].time = i * 100;
        events[i].cue = i % 1000 + 1;
        events[i].fadeIn = 300;
        events[i].fadeOut = 300;
    }
    return events;
}

void BM_EventListTick(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    engine::EngineLock lock;
    NullLayers layers;
    engine::ManualClock clock;
    engine::ShowChanges changes;
    engine::EventList list(0, lock, layers, clock, changes);
    if (!list.replaceEvents(makeEvents(count))) state.SkipWithError("events refused");
    for (int first = 10; first + 3 < count; first += 1000) list.makeLoops(first, first + 3);
    list.apply(0);
    const common::ShowTime end = (count - 1) * 100;
    common::ShowTime t = 0;
    int step = 0;
    for (auto _ : state) {
        t += step++ % 3 == 1 ? 34 : 33;
        if (t >= end) t = 0;  // a backward jump relocates, as a timecode restart would
        list.tick(t, common::NO_TIME, common::ClockMode::Internal, common::ClockState::Playing);
    }
}
BENCHMARK(BM_EventListTick)->Arg(1000)->Arg(10'000)->Arg(100'000);

}  // namespace
