// Spacing of the console's ArtDmx frames on the wire while it plays the demo show:
// CorvantaJ4 --headless --artnet on the simulated interface paced in real time (a frame
// every 1/30 s), OLA's olad as the node that answers the poll, and a tshark capture of
// a fixed stretch of the show. Reports the median, 99th percentile and largest gap
// between consecutive ArtDmx of universe 1, the frames per second seen on the wire, and
// whether every frame carried universe 2 as well.
//
// Needs root (it makes its own network namespace), tshark and olad.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/wire_spacing.h"
#include "driver/driver_settings.h"
#include "engine/startup/console_show.h"
#include "engine/startup/tests/console_process.h"
#include "links/artnet/tests/child_process.h"
#include "links/artnet/tests/olad_node.h"
#include "links/artnet/tests/private_network.h"
#include "platform/settings_store.h"

namespace {

using namespace j4::links::test;
using j4::engine::testing::ConsoleProcess;

constexpr int CAPTURE_SECONDS = 10;

void BM_ConsoleArtDmxSpacing(benchmark::State& state) {
    if (!inPrivateNetwork()) {
        state.SkipWithError(("no private network namespace: " + privateNetworkError()).c_str());
        return;
    }
    for (auto _ : state) {
        OladNode olad;
        std::string why;
        if (!olad.ready(&why) || !olad.patchInput(0, 0) || !olad.patchInput(1, 1)) {
            state.SkipWithError(("olad did not come up: " + why).c_str());
            return;
        }
        ConsoleProcess console(j4::engine::makeConsoleShow(0));
        std::filesystem::copy_file(J4_DEMO_SHOW, console.showPath(),
                                   std::filesystem::copy_options::overwrite_existing);
        // The interface paces frames by its own clock, as a real one does.
        j4::platform::SettingsStore(j4::platform::SettingsScope::Machine,
                                    console.folder() + "/settings")
            .writeString(j4::driver::SETTINGS_KEY, j4::driver::SETTING_SIMULATION_PACING,
                         "RealTime");
        if (!console.start({"--artnet", "--interface", "127.0.0.1"}) || !console.waitConnected() ||
            console.j4ctl({"play", "00:00:00:00"}) != 0) {
            state.SkipWithError(("the console did not play: " + console.errors()).c_str());
            return;
        }

        TempDir dir("j4-console-spacing");
        const std::string pcap = dir.path() + "/spacing.pcap", log = dir.path() + "/tshark.log";
        ChildProcess tshark({"tshark", "-i", "any", "-f", "udp port 6454", "-a",
                             "duration:" + std::to_string(CAPTURE_SECONDS), "-w", pcap},
                            log);
        if (!waitForText(log, "Capture started", 20000) ||
            !tshark.waitExit((CAPTURE_SECONDS + 20) * 1000)) {
            state.SkipWithError("tshark did not capture");
            return;
        }
        console.stop();

        std::string text;
        runCommand({"tshark", "-r", pcap, "-Y", "artnet.header.opcode == 0x5000", "-T", "fields",
                    "-e", "frame.time_epoch", "-e", "artnet.output.universe"},
                   &text);
        std::vector<double> firsts;
        int second = 0;
        std::istringstream in(text);
        double t;
        int universe;
        while (in >> t >> universe) {
            if (universe == 0) firsts.push_back(t);
            if (universe == 1) ++second;
        }
        std::vector<double> gaps;
        for (size_t i = 1; i < firsts.size(); ++i)
            gaps.push_back((firsts[i] - firsts[i - 1]) * 1e3);
        if (gaps.empty()) {
            state.SkipWithError("no ArtDmx in the capture");
            return;
        }
        state.counters["frames"] = static_cast<double>(firsts.size());
        state.counters["frames_per_s"] = (firsts.size() - 1) / (firsts.back() - firsts.front());
        state.counters["universe2_minus_1"] = second - static_cast<double>(firsts.size());
        j4::bench::reportGaps(state, gaps);
    }
}
BENCHMARK(BM_ConsoleArtDmxSpacing)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    return j4::bench::runInPrivateNetwork(argc, argv);
}
