#include "engine/startup/console_app.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "common/settings_names.h"
#include "driver/tests/private_folders.h"
#include "engine/startup/console_show.h"

namespace j4::engine {
namespace {

using common::PromptAnswer;

// Waits (polling) for a condition another thread brings about; the guard only ends a
// wait a fault would make endless.
template <typename F>
bool eventually(F done) {
    for (int i = 0; i < 10'000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

// The automation library's place: a queue in this process.
class FakeAutomation final : public AutomationPort {
  public:
    int setEvent(platform::Event* event) override {
        std::lock_guard guard(lock_);
        event_ = event;
        return registerResult;
    }
    int getCommand(J4AutoCommand& out) override {
        std::lock_guard guard(lock_);
        if (queue_.empty()) return J4AUTO_EMPTY;
        out = queue_.front();
        queue_.pop_front();
        return J4AUTO_OK;
    }
    void setTime(const common::ClockReading&) override { published.fetch_add(1); }

    void post(int32_t code, int32_t a1 = 0, int32_t a2 = 0, const std::string& path = "") {
        J4AutoCommand c{};
        c.code = code;
        c.argument1 = a1;
        c.argument2 = a2;
        std::strncpy(c.path, path.c_str(), sizeof c.path - 1);
        std::lock_guard guard(lock_);
        queue_.push_back(c);
        if (event_) event_->set();
    }
    bool registered() {
        std::lock_guard guard(lock_);
        return event_ != nullptr;
    }

    int registerResult = J4AUTO_OK;
    std::atomic<int> published{0};

  private:
    std::mutex lock_;
    std::deque<J4AutoCommand> queue_;
    platform::Event* event_ = nullptr;
};

// Records what the console does, in one sequence.
class Recorder final : public ConsoleObserver {
  public:
    void tick(bool) override { lastTick.store(++sequence); }
    void command(const J4AutoCommand&, CommandOutcome outcome) override {
        if (outcome == CommandOutcome::Done) commands.fetch_add(1);
    }
    void step(ShutdownStep step) override { steps.push_back({step, ++sequence}); }

    std::atomic<int64_t> sequence{0};
    std::atomic<int64_t> lastTick{0};
    std::atomic<int> commands{0};
    std::vector<std::pair<ShutdownStep, int64_t>> steps;
};

class ConsoleAppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = driver::testing::usePrivateFolders() + "/settings";
        platform::SettingsStore machine(platform::SettingsScope::Machine, root);
        machine.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH,
                            J4_TEMPLATE_LIBRARY_DIR);
        machine.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH,
                            J4_EFFECT_LIBRARY_DIR);
        platform::SettingsStore(platform::SettingsScope::User, root)
            .deleteValue(common::SETTINGS_KEY, common::SETTING_LAST_OPEN_FILE);
    }

    ConsoleOptions options() {
        ConsoleOptions o;
        o.prompt = &prompt;
        o.automation = &automation;
        o.observer = &recorder;
        o.settingsRoot = root;
        o.driver.library = "/nonexistent/libCorvantaJ4Drv.so";  // no hardware
        o.driver.manualSoftwareClock = true;
        return o;
    }
    std::string showFile(const std::string& name) {
        const std::string path = driver::testing::usePrivateFolders() + "/" + name;
        std::string error;
        EXPECT_TRUE(writeConsoleShow(path, makeConsoleShow(), &error)) << error;
        return path;
    }

    std::string root;
    common::ScriptedPrompt prompt;
    FakeAutomation automation;
    Recorder recorder;
};

TEST_F(ConsoleAppTest, RunsOnTheSoftwareClockOnceTheUserAgrees) {
    prompt.queueAnswer(PromptAnswer::Ok);
    ConsoleApp app(options());
    ASSERT_TRUE(app.start(""));
    EXPECT_EQ(prompt.askedTextIds(), std::vector<int>{common::MSG_CONTINUE_WITHOUT_HARDWARE});
    EXPECT_TRUE(app.noHardware());
    EXPECT_TRUE(automation.registered());
    EXPECT_EQ(app.engine().mixer().grandMaster(), common::FULL_LEVEL);
    EXPECT_EQ(app.ticks(), 0);  // the frame source paces the engine, nothing else

    for (int i = 0; i < 3; ++i) app.binding().softwareClock().tick();
    ASSERT_TRUE(eventually([&] { return app.ticks() == 3; }));
    EXPECT_EQ(automation.published.load(), 3);  // every tick publishes the clock

    app.shutdown();
    EXPECT_FALSE(automation.registered());
}

TEST_F(ConsoleAppTest, StartUpFailures) {
    struct Row {
        const char* what;
        PromptAnswer answer;
        const char* setting;  // removed from the machine settings
        const char* folder;   // or pointed at a missing folder
        int registerResult;
        std::vector<int> messages;
    };
    const Row rows[] = {
        {"declined to go on without hardware", PromptAnswer::Cancel, nullptr, nullptr, 0, {506}},
        {"no Template path",
         PromptAnswer::Ok,
         common::SETTING_TEMPLATE_PATH,
         nullptr,
         0,
         {506, 513}},
        {"Template folder missing",
         PromptAnswer::Ok,
         nullptr,
         common::SETTING_TEMPLATE_PATH,
         0,
         {506, 514}},
        {"no effect path", PromptAnswer::Ok, common::SETTING_EFFECT_PATH, nullptr, 0, {506, 526}},
        {"effect folder missing",
         PromptAnswer::Ok,
         nullptr,
         common::SETTING_EFFECT_PATH,
         0,
         {506, 527}},
        {"another console is registered", PromptAnswer::Ok, nullptr, nullptr, J4AUTO_IN_USE, {506}},
    };
    for (const Row& r : rows) {
        SetUp();
        platform::SettingsStore machine(platform::SettingsScope::Machine, root);
        if (r.setting) machine.deleteValue(common::SETTINGS_KEY, r.setting);
        if (r.folder) machine.writeString(common::SETTINGS_KEY, r.folder, root + "/missing");
        common::ScriptedPrompt rowPrompt;
        rowPrompt.queueAnswer(r.answer);
        FakeAutomation rowAutomation;
        rowAutomation.registerResult = r.registerResult;
        ConsoleOptions o = options();
        o.prompt = &rowPrompt;
        o.automation = &rowAutomation;
        o.observer = nullptr;
        ConsoleApp app(o);
        EXPECT_FALSE(app.start("")) << r.what;
        EXPECT_EQ(rowPrompt.askedTextIds(), r.messages) << r.what;
        app.shutdown();
        EXPECT_EQ(app.ticks(), 0) << r.what;
    }
}

TEST_F(ConsoleAppTest, ShutdownUnderLoadStopsInOrderAndNoTickFollowsTheDriverRelease) {
    prompt.queueAnswer(PromptAnswer::Ok);
    ConsoleApp app(options());
    ASSERT_TRUE(app.start(showFile("load.j4")));
    std::atomic<bool> busy{true};
    // Frames and commands keep coming while the console shuts down.
    std::thread frames([&] {
        while (busy.load()) app.binding().softwareClock().tick();
    });
    std::thread poster([&] {
        for (int32_t i = 0; busy.load(); ++i) automation.post(1, i % 24, i % 8193);
    });
    ASSERT_TRUE(eventually([&] { return app.ticks() > 100 && recorder.commands.load() > 100; }));

    app.shutdown();
    const int64_t ticksAtEnd = app.ticks();
    for (int i = 0; i < 100; ++i) app.binding().softwareClock().tick();
    busy = false;
    frames.join();
    poster.join();

    const std::vector<ShutdownStep> order = {
        ShutdownStep::NetworkOutputsStopped, ShutdownStep::FrameSourceUnregistered,
        ShutdownStep::InputUnregistered,     ShutdownStep::AutomationThreadStopped,
        ShutdownStep::InputThreadStopped,    ShutdownStep::EngineThreadStopped,
        ShutdownStep::DriverReleased,        ShutdownStep::AutomationUnregistered,
        ShutdownStep::ScratchFolderRemoved};
    ASSERT_EQ(recorder.steps.size(), order.size());
    int64_t driverReleased = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(recorder.steps[i].first, order[i]) << i;
        if (order[i] == ShutdownStep::DriverReleased) driverReleased = recorder.steps[i].second;
    }
    EXPECT_LT(recorder.lastTick.load(), driverReleased);
    EXPECT_EQ(app.ticks(), ticksAtEnd);
}

TEST_F(ConsoleAppTest, ShowsOpenAtStartFromAutomationAndFromTheLastOpenFile) {
    const std::string first = showFile("first.j4");
    const std::string second = showFile("second.j4");
    {
        prompt.queueAnswer(PromptAnswer::Ok);
        ConsoleApp app(options());
        ASSERT_TRUE(app.start(first));
        EXPECT_EQ(app.document().path(), first);
        EXPECT_EQ(app.cues().count(), 3);
        EXPECT_EQ(app.devices().count(), CONSOLE_SHOW_DIMMERS);

        // A Load is taken by the automation thread and opened by the main thread.
        automation.post(14, 0, 0, second);
        ASSERT_TRUE(app.mainWakeUp().wait(10'000));
        app.serviceMainThread();
        EXPECT_EQ(app.document().path(), second);

        // A file that is not a show: message 503, an empty show.
        automation.post(14, 0, 0, root + "/nothing.j4");
        ASSERT_TRUE(app.mainWakeUp().wait(10'000));
        app.serviceMainThread();
        EXPECT_EQ(prompt.askedTextIds(), (std::vector<int>{common::MSG_CONTINUE_WITHOUT_HARDWARE,
                                                           common::MSG_SHOW_OPEN_FAILED}));
        EXPECT_EQ(app.cues().count(), 0);
        EXPECT_EQ(app.document().path(), "");

        ASSERT_TRUE(app.openShow(second));
    }
    // Without a show on the command line the last open show comes back.
    common::ScriptedPrompt again;
    again.queueAnswer(PromptAnswer::Ok);
    ConsoleOptions o = options();
    o.prompt = &again;
    ConsoleApp app(o);
    ASSERT_TRUE(app.start(""));
    EXPECT_EQ(app.document().path(), second);
}

TEST_F(ConsoleAppTest, AChangedShowIsSavedBeforeAnotherOpensWhenTheUserSaysYes) {
    const std::string first = showFile("edited.j4");
    const std::string second = showFile("other.j4");
    prompt.queueAnswer(PromptAnswer::Ok);
    ConsoleApp app(options());
    ASSERT_TRUE(app.start(first));
    ASSERT_TRUE(app.engine().live().assignSubmasterCue(1, 2));
    app.document().markChanged();

    prompt.queueAnswer(PromptAnswer::Cancel);  // 505: keep the show
    EXPECT_FALSE(app.openShow(second));
    EXPECT_EQ(app.document().path(), first);

    prompt.queueAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(app.openShow(second));
    EXPECT_EQ(app.document().path(), second);
    ASSERT_TRUE(app.openShow(first));                      // unchanged: no question
    EXPECT_EQ(app.engine().mixer().layerCueNumber(0), 2);  // the edit was saved
    EXPECT_EQ(prompt.askedTextIds(),
              (std::vector<int>{common::MSG_CONTINUE_WITHOUT_HARDWARE, common::MSG_SAVE_CHANGES,
                                common::MSG_SAVE_CHANGES}));
}

}  // namespace
}  // namespace j4::engine
