// Cue rendering alone: one Cue whose Devices cover all 16 universes with a mix of
// control kinds, rendered as one layer and as the Mixer's 37 layers of one frame.
// Reports ns per render and allocations per frame (must be 0).
#include <benchmark/benchmark.h>

#include "common/testing/allocation_counter.h"
#include "show/cue.h"
#include "show/device_store.h"
#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"
#include "show/template.h"

namespace {

using namespace j4;

// 16 channels: position 16-bit (0..3), 16-bit dimmer (4, 5), colour select (6), an
// active mode (7) with a fader page (8), five faders (9..13), a reverse fader (14) and a
// fader free of the grand master (15).
show::Template fixture() {
    show::ControlList c;
    auto position = std::make_unique<show::PositionControl>();
    position->setFourChannels(true);
    position->setOffsets(0, 1, 2, 3);
    c.push_back(std::move(position));
    auto dimmer = std::make_unique<show::FaderControl>();
    dimmer->setTwoChannels(true);
    dimmer->setHighChannelOffset(4);
    dimmer->setChannelOffset(5);
    dimmer->setRange(0, 65535);
    c.push_back(std::move(dimmer));
    auto select = std::make_unique<show::SelectControl>();
    select->setChannelOffset(6);
    c.push_back(std::move(select));
    auto mode = std::make_unique<show::PagedModeControl>();
    mode->setChannelOffset(7);
    std::vector<show::ModePage> pages(1);
    pages[0].modeValue = 100;
    auto paged = std::make_unique<show::FaderControl>();
    paged->setChannelOffset(8);
    pages[0].controls.push_back(std::move(paged));
    mode->setPages(std::move(pages));
    c.push_back(std::move(mode));
    for (int i = 9; i <= 15; ++i) {
        auto f = std::make_unique<show::FaderControl>();
        f->setChannelOffset(i);
        f->setReverse(i == 14);
        f->setGrandMasterControlled(i != 15);
        c.push_back(std::move(f));
    }
    show::Template tpl;
    tpl.setControls(std::move(c));
    return tpl;
}

struct Rig {
    show::DeviceStore devices;
    show::Cue cue{1};
    Rig() {
        const show::Template tpl = fixture();
        for (int base = 0; base < common::FRAME_CHANNELS; base += 16) {
            const int index = devices.create(tpl, "F", base);
            cue.addDevice(devices.at(index));
        }
        for (int i = 0; i < common::FRAME_CHANNELS; ++i)
            cue.values()[i] = static_cast<uint8_t>(i * 7 + 100);
    }
};

void BM_CueRenderOneLayer(benchmark::State& state) {
    Rig rig;
    common::RenderBuffer buffer;
    for (auto _ : state) {
        buffer.clear();
        rig.cue.render(buffer, 6000, 5000);
        benchmark::DoNotOptimize(buffer);
    }
    state.counters["devices"] = rig.cue.devices().size();
}
BENCHMARK(BM_CueRenderOneLayer);

void BM_CueRenderFrameOf37Layers(benchmark::State& state) {
    Rig rig;
    common::RenderBuffer buffer;
    common::testing::CountAllocations count;
    for (auto _ : state) {
        buffer.clear();
        for (int layer = 0; layer < 37; ++layer) rig.cue.render(buffer, 8192 - layer * 100, 4000);
        benchmark::DoNotOptimize(buffer);
    }
    state.counters["allocs_per_frame"] =
        static_cast<double>(count.count()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CueRenderFrameOf37Layers);

}  // namespace
