// Automation costs: the console's per-frame clock publication, a client's clock read,
// the connected probe, a post taken by the console in the same thread, and the round
// trip from a post to a console thread woken through its event.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "automation/console_exports.h"
#include "automation/console_side.h"
#include "automation/j4_automation.h"
#include "automation/shared_block.h"

namespace {

using namespace j4::automation;

struct BenchBlock {
    std::string name = "/j4auto-bench-" + std::to_string(getpid());
    ~BenchBlock() {
        std::string error;
        if (auto b = SharedBlock::attach(name, &error)) std::remove(b->consoleLockPath().c_str());
        SharedBlock::remove(name);
    }
};

void BM_PublishClock(benchmark::State& state) {
    BenchBlock b;
    ConsoleSide console(b.name);
    int32_t t = 0;
    for (auto _ : state) console.publishClock({t++, 0, 1, 0});
}
BENCHMARK(BM_PublishClock);

void BM_ReadClock(benchmark::State& state) {
    BenchBlock b;
    J4Automation client(b.name);
    for (auto _ : state) benchmark::DoNotOptimize(client.clock());
}
BENCHMARK(BM_ReadClock);

void BM_IsConnected(benchmark::State& state) {
    BenchBlock b;
    j4::platform::Event wakeUp;
    ConsoleSide console(b.name);
    console.registerConsole(&wakeUp);
    J4Automation client(b.name);
    for (auto _ : state) benchmark::DoNotOptimize(client.IsConnected());
}
BENCHMARK(BM_IsConnected);

void BM_PostAndTake(benchmark::State& state) {
    BenchBlock b;
    j4::platform::Event wakeUp;
    ConsoleSide console(b.name);
    console.registerConsole(&wakeUp);
    J4Automation client(b.name);
    J4AutoCommand c{};
    for (auto _ : state) {
        client.SetSubmasterLevel(3, 4096);
        console.take(c);
    }
}
BENCHMARK(BM_PostAndTake);

// A console thread that waits on its event, takes the command and answers.
void BM_PostToConsoleThreadRoundTrip(benchmark::State& state) {
    BenchBlock b;
    j4::platform::Event wakeUp, answered;
    ConsoleSide console(b.name);
    console.registerConsole(&wakeUp);
    std::atomic<bool> stop{false};
    std::thread consoleThread([&] {
        J4AutoCommand c{};
        while (!stop.load()) {
            if (!wakeUp.wait(100)) continue;
            while (console.take(c) == J4AUTO_OK) answered.set();
        }
    });
    J4Automation client(b.name);
    for (auto _ : state) {
        client.SetGrandmasterLevel(8192);
        answered.wait(j4::platform::WAIT_FOREVER);
    }
    stop = true;
    consoleThread.join();
}
BENCHMARK(BM_PostToConsoleThreadRoundTrip)->UseRealTime();

}  // namespace
