// Opening and saving a large show: 1000 Cues over 64 Devices of a rich Template (every
// control kind), each Cue holding 16 Devices and channel values, Event List 1 with 1000
// Events. Run with a build made with -DJ4_BUILD_BENCH=ON.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "show/file/tests/show_harness.h"

namespace {

using namespace j4;
namespace fs = std::filesystem;

void buildLargeShow(show::testing::ShowHarness& h) {
    std::lock_guard guard(h.engine.lock());
    for (int d = 0; d < 64; ++d)
        h.devices.append(show::Device::fromParts(show::testing::identityOf(1),
                                                 "Head " + std::to_string(d), d * 128,
                                                 show::testing::richControls()));
    for (int n = 1; n <= 1000; ++n) {
        show::Cue* cue = h.cues.create(n);
        cue->setName("Cue " + std::to_string(n));
        for (int d = 0; d < 16; ++d) cue->addDevice(h.devices.at((n + d * 4) % 64));
        for (int ch = 0; ch < common::FRAME_CHANNELS; ch += 3)
            cue->values()[ch] = static_cast<uint8_t>(n + ch);
    }
    engine::EventList& list = *h.engine.eventLists().list(0);
    for (int i = 1; i <= 1000; ++i) list.insertEvent(show::testing::event(i * 1000, i, 500, 500));
}

std::string benchFile() {
    return (fs::temp_directory_path() / ("j4-bench-" + std::to_string(getpid()) + ".j4")).string();
}

void BM_SaveLargeShow(benchmark::State& state) {
    show::testing::ShowHarness h;
    buildLargeShow(h);
    const std::string path = benchFile();
    for (auto _ : state)
        if (!h.document.save(path).ok()) state.SkipWithError("save failed");
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    fs::remove(path);
    fs::remove(path + ".bak");
}
BENCHMARK(BM_SaveLargeShow)->Unit(benchmark::kMillisecond);

void BM_OpenLargeShow(benchmark::State& state) {
    const std::string path = benchFile();
    {
        show::testing::ShowHarness h;
        buildLargeShow(h);
        if (!h.document.save(path).ok()) state.SkipWithError("save failed");
    }
    show::testing::ShowHarness target;
    for (auto _ : state)
        if (!target.document.open(path).ok()) state.SkipWithError("open failed");
    fs::remove(path);
}
BENCHMARK(BM_OpenLargeShow)->Unit(benchmark::kMillisecond);

}  // namespace
