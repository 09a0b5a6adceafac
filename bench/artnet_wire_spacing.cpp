// Spacing of ArtDmx rounds on the wire while a driver hands the Art-Net output a frame
// every 1/30 s (absolute-deadline timer), measured from a tshark capture's timestamps.
// Runs in a private network namespace it makes itself (as root), against a fake node on
// loopback. Reports the median and 99th percentile gap between the first packets of
// consecutive rounds, and how long a round of 16 universes takes on the wire.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/wire_spacing.h"
#include "links/artnet/artnet_sender.h"
#include "links/artnet/tests/artnet_test_packets.h"
#include "links/artnet/tests/child_process.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/udp_peer.h"
#include "links/artnet/tests/wait_until.h"
#include "platform/periodic_timer.h"

namespace {

using namespace j4::links;
using namespace j4::links::test;

constexpr int FRAMES = 300;  // 10 s at 30 fps

void BM_ArtDmxWireSpacing(benchmark::State& state) {
    if (!inPrivateNetwork()) {
        state.SkipWithError(("no private network namespace: " + privateNetworkError()).c_str());
        return;
    }
    for (auto _ : state) {
        TempDir dir("j4-artnet-spacing");
        std::string pcap = dir.path() + "/spacing.pcap", log = dir.path() + "/tshark.log";
        int packets = 2 + FRAMES * 16;
        ChildProcess tshark({"tshark", "-i", "any", "-f", "udp port 6454", "-c",
                             std::to_string(packets), "-w", pcap},
                            log);
        if (!waitForText(log, "Capture started", 20000)) {
            state.SkipWithError("tshark did not start");
            return;
        }
        UdpPeer listen("0.0.0.0", ARTNET_PORT), node("127.0.0.2", ARTNET_PORT);
        ArtNetSender out(SenderRole::AllUniverses);
        for (int u = 1; u <= 16; ++u) out.setSendLength(u, 512);
        out.start(NetworkSettings{});
        listen.receive(5000);
        node.sendTo("127.255.255.255", ARTNET_PORT, pollReply("Spacing node", 0, 0));
        waitUntil([&] { return out.status().state == SenderState::Sending; });

        std::vector<uint8_t> frame(8192, 0);
        std::atomic<int> fed{0};
        j4::platform::PeriodicTimer timer;
        timer.start(1'000'000'000 / 30, [&] {
            if (fed >= FRAMES) return;
            frame[0] = static_cast<uint8_t>(fed.load());
            out.sendFrame(1, 8192, frame.data());
            ++fed;
        });
        waitUntil([&] { return fed >= FRAMES; }, 60000);
        timer.stop();
        waitUntil([&] { return out.status().framesSent >= static_cast<uint64_t>(FRAMES); }, 5000);
        out.stop();
        if (!tshark.waitExit(20000)) tshark.stop(SIGINT);

        std::string text;
        runCommand({"tshark", "-r", pcap, "-Y", "artnet.header.opcode == 0x5000", "-T", "fields",
                    "-e", "frame.time_epoch", "-e", "artnet.output.universe"},
                   &text);
        std::vector<double> firsts, rounds;
        double roundStart = 0;
        std::istringstream in(text);
        double t;
        int universe;
        while (in >> t >> universe) {
            if (universe == 0) {
                firsts.push_back(t);
                roundStart = t;
            }
            if (universe == 15 && roundStart > 0) rounds.push_back(t - roundStart);
        }
        std::vector<double> gaps;
        for (size_t i = 1; i < firsts.size(); ++i)
            gaps.push_back((firsts[i] - firsts[i - 1]) * 1e3);
        if (gaps.empty()) {
            state.SkipWithError("no ArtDmx rounds in the capture");
            return;
        }
        state.counters["rounds"] = static_cast<double>(firsts.size());
        j4::bench::reportGaps(state, gaps);
        state.counters["round_median_us"] = j4::bench::percentile(rounds, 0.5) * 1e6;
        state.counters["round_p99_us"] = j4::bench::percentile(rounds, 0.99) * 1e6;
        state.counters["send_errors"] = static_cast<double>(out.status().sendErrors);
    }
}
BENCHMARK(BM_ArtDmxWireSpacing)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    return j4::bench::runInPrivateNetwork(argc, argv);
}
