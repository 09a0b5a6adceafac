// The driver's per-frame costs without a device: handing over a frame, the clock
// update for one status packet, and the console's software-clock tick.

#include <benchmark/benchmark.h>

#include <vector>

#include "driver/driver.h"
#include "driver/driver_clock.h"
#include "driver/packets.h"
#include "driver/tests/passive_bus.h"
#include "driver/tests/private_folders.h"
#include "links/binding/software_clock.h"

namespace {

using namespace j4::driver;

void BM_SetChannels(benchmark::State& state) {
    testing::usePrivateFolders();
    testing::PassiveBus bus;
    DriverEnvironment env;
    env.bus = &bus;
    env.lockFolder = j4::platform::LockFile::runtimeFolder();
    Driver d(std::move(env));
    int32_t version = 0;
    if (d.initialize(&version) != 0) {
        state.SkipWithError("initialize failed");
        return;
    }
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES, 1);
    for (auto _ : state) benchmark::DoNotOptimize(d.setChannels(1, 8192, frame.data()));
    d.cleanup();
}
BENCHMARK(BM_SetChannels);

void BM_StatusPacketTimecode(benchmark::State& state) {
    DriverClock clock;
    clock.mode = 1;
    clock.changeState(1);
    Packet packet{};
    packet[0] = FLAG_TIMECODE | FLAG_ADD_OFFSET;
    encodeTimecodeDigits(packet, 1, 2, 3, 4);
    for (auto _ : state) benchmark::DoNotOptimize(clock.onStatusPacket(packet, false));
}
BENCHMARK(BM_StatusPacketTimecode);

void BM_SoftwareClockTick(benchmark::State& state) {
    j4::links::SoftwareClock clock;
    clock.setState(1);
    for (auto _ : state) clock.tick();
}
BENCHMARK(BM_SoftwareClockTick);

}  // namespace
