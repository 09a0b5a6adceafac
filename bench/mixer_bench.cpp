// Mixer runs at the worst case: 37 layers at distinct non-zero levels, each holding a
// Cue whose Devices cover all 16 universes (8192 channels) with a mix of faders, 16-bit
// faders, selects, paged modes and four-channel position controls that all play
// movement effects. Reports ns per run for a full render and for a steady tick (nothing
// changed: the copy plus effects), and counts allocations per run.
//
// Instruction counts are steadier than times on a busy machine. Each benchmark below
// calls Mixer::run() once before its loop, so with
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='j4::engine::Mixer::run()'
//            mixer_bench --benchmark_filter=BM_FullRender --benchmark_min_time=0.001
// (one loop iteration) the total is two full renders; for BM_SteadyTick it is one full
// render plus one steady tick.

#include <benchmark/benchmark.h>

#include "common/testing/allocation_counter.h"
#include "engine/mixer.h"
#include "engine/tests/show_rig.h"

namespace {

using namespace j4;
using engine::testing::ShowRig;

// One 16-channel fixture as one Device: an active mode channel with a fader on each
// page (2), four faders, a 16-bit fader (2), two selects, a four-channel position (4),
// a fader free of the grand master and a reverse fader.
show::Device* addFixture(ShowRig& rig, int32_t base) {
    show::ControlList controls;
    auto fader = [&](int32_t offset, bool gm, bool reverse) {
        auto f = std::make_unique<show::FaderControl>();
        f->setChannelOffset(offset);
        f->setGrandMasterControlled(gm);
        f->setReverse(reverse);
        return f;
    };
    auto mode = std::make_unique<show::PagedModeControl>();
    mode->setChannelOffset(0);
    std::vector<show::ModePage> pages(2);
    for (int i = 0; i < 2; ++i) {
        pages[i].modeValue = static_cast<uint8_t>(i + 1);
        pages[i].controls.push_back(fader(1, true, false));
    }
    mode->setPages(std::move(pages));
    controls.push_back(std::move(mode));
    for (int i = 0; i < 4; ++i) controls.push_back(fader(2 + i, true, false));
    auto wide = fader(7, true, false);
    wide->setTwoChannels(true);
    wide->setHighChannelOffset(6);
    wide->setRange(0, 65535);
    controls.push_back(std::move(wide));
    for (int i = 0; i < 2; ++i) {
        auto s = std::make_unique<show::SelectControl>();
        s->setChannelOffset(8 + i);
        controls.push_back(std::move(s));
    }
    auto position = std::make_unique<show::PositionControl>();
    position->setFourChannels(true);
    position->setOffsets(10, 11, 12, 13);
    controls.push_back(std::move(position));
    controls.push_back(fader(14, false, false));
    controls.push_back(fader(15, true, true));
    return rig.addDevice(base, std::move(controls));
}

struct WorstCase {
    ShowRig rig;
    engine::EngineLock lock;
    engine::Mixer mixer{rig.cues, lock};

    WorstCase() {
        std::vector<show::Device*> devices;
        for (int32_t base = 0; base < common::FRAME_CHANNELS; base += 16)
            devices.push_back(addFixture(rig, base));
        const auto* shape = rig.ramp();
        mixer.initialise();
        mixer.setGrandMaster(7000);
        for (int n = 1; n <= common::LAYER_COUNT; ++n) {
            show::Cue* c = rig.cues.create(n);
            for (auto* d : devices) {
                c->addDevice(d);
                for (const auto& control : d->controls())
                    if (control->kind() == show::ControlKind::Position)
                        c->addEffectEntry(control.get(), shape);
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
        common::testing::CountAllocations count;
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
        common::testing::CountAllocations count;
        w.mixer.run();
        allocations += count.count();
    }
    state.counters["allocs/run"] = benchmark::Counter(static_cast<double>(allocations) /
                                                      static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SteadyTick)->Unit(benchmark::kMicrosecond);

}  // namespace
