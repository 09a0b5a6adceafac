// The console's frame path allocates nothing: software clock, engine tick, clock
// publication to the automation library, Event Lists and Mixer, the driver binding's
// frame hand-over, with a show playing.

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/settings_names.h"
#include "common/testing/allocation_counter.h"
#include "driver/tests/private_folders.h"
#include "engine/startup/console_app.h"
#include "engine/startup/console_show.h"

namespace j4::engine {
namespace {

TEST(ConsoleFramePath, AllocatesNothingWhilePlaying) {
    const std::string root = driver::testing::usePrivateFolders();
    const std::string block = "/j4auto-console-alloc-" + std::to_string(::getpid());
    ::setenv("J4_AUTOMATION_BLOCK", block.c_str(), 1);
    platform::SettingsStore machine(platform::SettingsScope::Machine, root + "/settings");
    machine.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH,
                        J4_TEMPLATE_LIBRARY_DIR);
    machine.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH, J4_EFFECT_LIBRARY_DIR);
    ASSERT_TRUE(writeConsoleShow(root + "/show.j4", makeConsoleShow(), nullptr));

    common::ScriptedPrompt prompt;
    prompt.queueAnswer(common::PromptAnswer::Ok);
    LibraryAutomationPort port;
    ConsoleOptions options;
    options.prompt = &prompt;
    options.automation = &port;
    options.settingsRoot = root + "/settings";
    options.driver.library = "/nonexistent/libCorvantaJ4Drv.so";
    options.driver.manualSoftwareClock = true;
    ConsoleApp app(options);
    ASSERT_TRUE(app.start(root + "/show.j4"));
    ASSERT_TRUE(app.engine().eventLists().play(1500));  // through the 2 s cross-fade

    const auto ticked = [&](int64_t n) {
        for (int i = 0; i < 10'000 && app.ticks() < n; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return app.ticks() >= n;
    };
    for (int i = 0; i < 5; ++i) app.binding().softwareClock().tick();  // first-use work
    ASSERT_TRUE(ticked(5));
    long allocations = 0;
    {
        common::testing::CountAllocations count;
        for (int i = 0; i < 90; ++i) {
            app.binding().softwareClock().tick();
            ticked(6 + i);
        }
        allocations = count.count();
    }
    EXPECT_TRUE(ticked(95));
    EXPECT_EQ(allocations, 0);
    common::ClockReading r;
    ASSERT_TRUE(app.binding().read(r));
    EXPECT_GT(r.time, 4500);  // the frames went through two cross-fades
    app.shutdown();
    ::shm_unlink(block.c_str());
}

}  // namespace
}  // namespace j4::engine
