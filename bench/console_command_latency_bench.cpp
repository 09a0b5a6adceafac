// The console's command latency: a client queues "set submaster 1 level" through the
// automation library; the console's automation thread is woken, executes it, and the
// next engine tick hands a frame that shows it to the outputs. Measured in one
// process on the real library and the real console threads, on the software clock
// ticked by hand as soon as the command was executed, so the figure is the console's
// own latency. On a running console a command also waits for the next frame: up to
// one frame period (33 ms at 30 frames a second) more, 17 ms on average.
//
// Run with a build made with -DJ4_BUILD_BENCH=ON:
//   build-bench/engine/startup/console_command_latency_bench

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "automation/j4auto.h"
#include "common/settings_names.h"
#include "engine/startup/console_app.h"
#include "engine/startup/console_show.h"
#include "platform/settings_store.h"

namespace {

using namespace j4;

class Counts final : public engine::ConsoleObserver {
  public:
    void tick(bool) override { ticks.fetch_add(1, std::memory_order_release); }
    void command(const J4AutoCommand&, engine::CommandOutcome) override {
        commands.fetch_add(1, std::memory_order_release);
    }
    std::atomic<int64_t> ticks{0};
    std::atomic<int64_t> commands{0};
};

template <typename F>
void spinUntil(F done) {
    while (!done()) std::this_thread::yield();
}

void BM_QueuedCommandToFrame(benchmark::State& state) {
    char folder[] = "/tmp/j4-console-bench-XXXXXX";
    if (!::mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string root = folder;
    ::setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    const std::string block = "/j4auto-console-bench-" + std::to_string(::getpid());
    ::setenv("J4_AUTOMATION_BLOCK", block.c_str(), 1);
    platform::SettingsStore machine(platform::SettingsScope::Machine, root);
    machine.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH,
                        J4_TEMPLATE_LIBRARY_DIR);
    machine.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH, J4_EFFECT_LIBRARY_DIR);
    show::ShowContent content = engine::makeConsoleShow();
    content.submasterCues[0] = 1;                 // Cue 1: dimmers 1-4 at 255
    content.lists[0].events = {engine::Event{}};  // nothing else lights them
    engine::writeConsoleShow(root + "/show.j4", content, nullptr);

    common::ScriptedPrompt prompt;
    prompt.queueAnswer(common::PromptAnswer::Ok);
    engine::LibraryAutomationPort port;
    Counts counts;
    engine::ConsoleOptions options;
    options.prompt = &prompt;
    options.automation = &port;
    options.observer = &counts;
    options.settingsRoot = root;
    options.driver.library = "/nonexistent/libCorvantaJ4Drv.so";
    options.driver.manualSoftwareClock = true;
    engine::ConsoleApp app(options);
    if (!app.start(root + "/show.j4")) {
        state.SkipWithError("the console did not start");
        return;
    }
    J4AutoClient* client = j4auto_open(block.c_str());
    int32_t level = 0;
    for (auto _ : state) {
        level = level == common::FULL_LEVEL ? 0 : common::FULL_LEVEL;
        const uint8_t expected = level ? 255 : 0;
        const int64_t commands = counts.commands.load(std::memory_order_acquire);
        j4auto_set_submaster_level(client, 0, level);
        spinUntil([&] { return counts.commands.load(std::memory_order_acquire) > commands; });
        const int64_t ticks = counts.ticks.load(std::memory_order_acquire);
        app.binding().softwareClock().tick();
        spinUntil([&] { return counts.ticks.load(std::memory_order_acquire) > ticks; });
        if (app.engine().mixer().outputFrame()[0] != expected) {
            state.SkipWithError("the frame does not show the command");
            break;
        }
    }
    j4auto_close(client);
    app.shutdown();
    ::shm_unlink(block.c_str());
    (void)!::system(("rm -rf '" + root + "'").c_str());
}
BENCHMARK(BM_QueuedCommandToFrame)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
