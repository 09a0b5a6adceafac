// Mixer runs at the worst case: 37 layers at distinct non-zero levels, each holding a
// Cue whose Devices cover all 16 universes (8192 channels) with a mix of faders, 16-bit
// faders, selects, paged modes and four-channel position controls that all play
// movement effects. Reports ns per run for a full render and for a steady tick (nothing
// changed: the copy plus effects), and counts allocations per run.

#include <benchmark/benchmark.h>

#include "engine/mixer.h"
#include "engine/tests/allocation_counter.h"
#include "engine/tests/show_rig.h"

namespace {

using namespace j4;
using engine::testing::ShowRig;

// One 16-channel fixture: mode channel + paged fader (2), four faders, a 16-bit fader
// (2), two selects, a four-channel position (4), two grand-master-free faders.
void addFixture(ShowRig& rig, std::vector<show::Device*>& out, int32_t base) {
    out.push_back(rig.mode(base));
    for (int i = 0; i < 4; ++i) out.push_back(rig.fader(base + 2 + i));
    out.push_back(rig.fader(base + 6, 0, 65535, false, true, true));
    out.push_back(rig.select(base + 8));
    out.push_back(rig.select(base + 9));
    out.push_back(rig.position(base + 10, true));
    out.push_back(rig.fader(base + 14, 0, 255, false, false));
    out.push_back(rig.fader(base + 15, 0, 255, true));
}

struct WorstCase {
    ShowRig rig;
    engine::EngineLock lock;
    engine::Mixer mixer{rig.cues, lock};

    WorstCase() {
        std::vector<show::Device*> devices;
        for (int32_t base = 0; base < common::FRAME_CHANNELS; base += 16)
            addFixture(rig, devices, base);
        const auto* shape = rig.ramp();
        mixer.initialise();
        mixer.setGrandMaster(7000);
        for (int n = 1; n <= common::LAYER_COUNT; ++n) {
            show::Cue* c = rig.cues.create(n);
            for (auto* d : devices) {
                c->addDevice(d);
                if (d->controls()[0]->kind() == show::ControlKind::Position)
                    c->addEffectEntry(d->controls()[0].get(), shape);
            }
            for (int ch = 0; ch < common::FRAME_CHANNELS; ++ch)
                c->values()[ch] = static_cast<uint8_t>((ch * 7 + n * 13) % 256);
            mixer.setLayerCue(n - 1, n);
            mixer.setLayerLevel(n - 1, 8192 - n * 97);  // distinct, non-zero
        }
    }
};

void BM_FullRender(benchmark::State& state) {
    WorstCase w;
    w.mixer.run();
    long allocations = 0;
    for (auto _ : state) {
        w.mixer.markDirty();
        engine::testing::CountAllocations count;
        w.mixer.run();
        allocations += count.count();
    }
    state.counters["allocs/run"] = benchmark::Counter(static_cast<double>(allocations) /
                                                      static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FullRender)->Unit(benchmark::kMicrosecond);

void BM_SteadyTick(benchmark::State& state) {
    WorstCase w;
    w.mixer.run();
    long allocations = 0;
    for (auto _ : state) {
        engine::testing::CountAllocations count;
        w.mixer.run();
        allocations += count.count();
    }
    state.counters["allocs/run"] = benchmark::Counter(static_cast<double>(allocations) /
                                                      static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SteadyTick)->Unit(benchmark::kMicrosecond);

}  // namespace
