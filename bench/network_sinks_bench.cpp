// Cost of handing a frame to the network outputs (the engine thread's share) and of
// building one round of ArtDmx packets (the sender thread's share). Nothing is sent.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "links/artnet/artnet_packets.h"
#include "links/artnet/artnet_sender.h"
#include "links/artnet/frame_store.h"

namespace {

using namespace j4::links;

void BM_ArtNetSenderSendFrame(benchmark::State& state) {
    ArtNetSender sender(SenderRole::AllUniverses);  // not started: the sink still copies
    std::vector<uint8_t> frame(8192, 7);
    for (auto _ : state) benchmark::DoNotOptimize(sender.sendFrame(1, 8192, frame.data()));
}
BENCHMARK(BM_ArtNetSenderSendFrame);

void BM_ArtDmxRoundOf16Universes(benchmark::State& state) {
    FrameStore store;
    std::vector<uint8_t> frame(8192, 9);
    store.store(1, 8192, frame.data());
    j4::common::DmxFrame snapshot{};
    uint8_t packet[ARTDMX_MAX_SIZE];
    for (auto _ : state) {
        store.snapshot(snapshot);
        for (int k = 0; k < 16; ++k) {
            size_t n = writeArtDmxHeader(packet, static_cast<uint8_t>(k), k, 512);
            std::memcpy(packet + ARTDMX_HEADER_SIZE, snapshot.data() + 512 * k, 512);
            benchmark::DoNotOptimize(n);
            benchmark::ClobberMemory();
        }
    }
}
BENCHMARK(BM_ArtDmxRoundOf16Universes);

}  // namespace
