// The console program end to end: CorvantaJ4 --headless on the simulated interface,
// frames stepped through the interface's control socket, driven by automation clients
// in this process (the library) and in others (j4ctl) and by DMX input arriving at
// the interface; the frame the interface transmits and the clock clients read are
// checked.

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "common/settings_names.h"
#include "engine/startup/console_show.h"
#include "engine/startup/tests/console_process.h"
#include "platform/settings_store.h"

namespace j4::engine {
namespace {

using testing::ConsoleProcess;
using Dimmers = std::vector<uint8_t>;

// The generated show with every input group on and Cue 1 on submaster 1.
show::ShowContent testShow() {
    show::ShowContent s = makeConsoleShow(0x3F);
    s.submasterCues[0] = 1;
    return s;
}

class ConsoleProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(console.start());
        ASSERT_TRUE(console.waitConnected()) << console.errors();
    }
    void TearDown() override {
        if (console.pid() > 0) {
            EXPECT_EQ(console.stop(), 0) << console.errors();
        }
    }
    Dimmers dimmers() {
        const std::vector<uint8_t> all = console.transmitted();
        return all.size() >= 8 ? Dimmers(all.begin(), all.begin() + 8) : Dimmers{};
    }
    // Steps frames until the interface sends these dimmer levels.
    bool sends(const Dimmers& expected) {
        return console.stepUntil([&] { return dimmers() == expected; });
    }
    bool clockShows(int32_t mode, int32_t state) {
        return console.stepUntil([&] {
            const auto c = console.clock();
            return c.mode == mode && c.state == state;
        });
    }
    int post(int32_t code, int32_t a1 = 0, int32_t a2 = 0, const char* path = nullptr) {
        return j4auto_post(console.client(), code, a1, a2, path);
    }

    ConsoleProcess console{testShow()};
};

std::string text(const Dimmers& d) {
    std::ostringstream s;
    for (uint8_t v : d) s << int(v) << ' ';
    return s.str();
}

TEST_F(ConsoleProcessTest, EveryAutomationCommandReachesTheFrameOrTheClock) {
    struct Row {
        const char* what;
        std::vector<std::array<int32_t, 3>> commands;
        Dimmers frame;
    };
    // Event 0 of Event List 1 holds Cue 1 on its X layer; that X goes down first.
    const Row rows[] = {
        {"X of list 1 down", {{4, 0, 0}}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"submaster 1 up (Cue 1)", {{1, 0, 8192}}, {255, 255, 255, 255, 0, 0, 0, 0}},
        {"grand master half", {{3, 4096, 0}}, {127, 127, 127, 127, 0, 0, 0, 0}},
        {"grand master full, Cue 2 on submaster 1",
         {{3, 8192, 0}, {6, 0, 2}},
         {0, 0, 0, 0, 128, 128, 128, 128}},
        {"preset 1: Cue 3 on submaster 1", {{2, 0, 0}}, {200, 200, 200, 200, 200, 200, 200, 200}},
        {"submaster 1 down", {{1, 0, 0}}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"Y of list 2: Cue 2 at full", {{8, 1, 2}, {5, 1, 8192}}, {0, 0, 0, 0, 128, 128, 128, 128}},
        {"Y of list 2 down, X of list 2: Cue 1",
         {{5, 1, 0}, {7, 1, 1}, {4, 1, 8192}},
         {255, 255, 255, 255, 0, 0, 0, 0}},
        {"X of list 2 down, aux 1: Cue 2",
         {{4, 1, 0}, {16, 0, 2}, {15, 0, 8192}},
         {0, 0, 0, 0, 128, 128, 128, 128}},
        {"aux 1 down", {{15, 0, 0}}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        for (const auto& c : r.commands) ASSERT_EQ(post(c[0], c[1], c[2]), J4AUTO_OK) << r.what;
        EXPECT_TRUE(sends(r.frame)) << r.what << ": " << text(dimmers());
    }

    // The transport, from another process.
    ASSERT_EQ(console.j4ctl({"mode", "step"}), 0);
    EXPECT_TRUE(clockShows(2, 0));
    ASSERT_EQ(console.j4ctl({"mode", "internal"}), 0);
    EXPECT_TRUE(clockShows(0, 0));
    ASSERT_EQ(console.j4ctl({"play", "00:00:01:00"}), 0);
    EXPECT_TRUE(clockShows(0, 1));
    EXPECT_TRUE(console.stepUntil([&] { return console.clock().time >= 1500; }));
    ASSERT_EQ(console.j4ctl({"mode", "timecode"}), 0);  // ignored while playing
    ASSERT_EQ(console.j4ctl({"stop"}), 0);
    EXPECT_TRUE(clockShows(0, 0));
    ASSERT_EQ(post(12, -1), J4AUTO_OK);
    EXPECT_TRUE(clockShows(0, 2));
    ASSERT_EQ(post(11), J4AUTO_OK);
    EXPECT_TRUE(clockShows(0, 0));

    // Automate 00:01:00:00 to 00:01:01:00: the clock stops by itself at the end.
    ASSERT_EQ(console.j4ctl({"automate", "00:01:00:00", "00:01:01:00"}), 0);
    EXPECT_TRUE(clockShows(0, 1));
    EXPECT_GE(console.clock().time, 60'000);
    EXPECT_TRUE(clockShows(0, 0));
    EXPECT_GE(console.clock().time, 61'000);
    EXPECT_LT(console.clock().time, 61'100);

    // Load: the console opens the other show and remembers it.
    const std::string other = console.folder() + "/other.j4";
    std::string error;
    ASSERT_TRUE(writeConsoleShow(other, makeConsoleShow(), &error)) << error;
    ASSERT_EQ(console.j4ctl({"load", other}), 0);
    platform::SettingsStore user(platform::SettingsScope::User, console.folder() + "/settings");
    EXPECT_TRUE(console.stepUntil([&] {
        return user.readString(common::SETTINGS_KEY, common::SETTING_LAST_OPEN_FILE) == other;
    }));
    // The new show plays at the clock's time (61 s): past its last Event, Cue 2.
    EXPECT_TRUE(sends({0, 0, 0, 0, 128, 128, 128, 128})) << text(dimmers());
}

TEST_F(ConsoleProcessTest, DmxInputDrivesLevelsPresetsAndTransport) {
    // The first read reports every channel: everything at 0 except the grand master,
    // so the X layer of list 1 goes down too.
    ASSERT_EQ(console.simulation("input 26 255"), "ok");
    EXPECT_TRUE(sends({0, 0, 0, 0, 0, 0, 0, 0}));
    struct Row {
        const char* input;  // simulation command
        Dimmers frame;
    };
    const Row rows[] = {
        {"input 1 255", {255, 255, 255, 255, 0, 0, 0, 0}},          // submaster 1: Cue 1
        {"input 26 128", {127, 127, 127, 127, 0, 0, 0, 0}},         // grand master 4112
        {"input 26 255", {255, 255, 255, 255, 0, 0, 0, 0}},         //
        {"input 25 10", {200, 200, 200, 200, 200, 200, 200, 200}},  // preset 1: Cue 3
        {"input 1 0", {0, 0, 0, 0, 0, 0, 0, 0}},                    //
        {"input 27 128 255", {127, 127, 127, 127, 0, 0, 0, 0}},     // X of list 1: 4112
        {"input 27 0", {0, 0, 0, 0, 0, 0, 0, 0}},                   //
    };
    for (const Row& r : rows) {
        ASSERT_EQ(console.simulation(r.input), "ok") << r.input;
        EXPECT_TRUE(sends(r.frame)) << r.input << ": " << text(dimmers());
    }

    struct Transport {
        const char* input;
        int32_t mode, state;
    };
    const Transport transport[] = {
        {"input 38 192", 2, 0},  // mode selector: Step
        {"input 38 64", 0, 0},   // Internal
        {"input 35 255", 0, 1},  // Play
        {"input 38 128", 0, 1},  // Timecode: remembered, not applied while playing
        {"input 36 255", 0, 0},  // Stop
        {"input 35 0", 0, 0},    // Play released
        {"input 37 255", 0, 2},  // Record
        {"input 36 0", 0, 2},    // Stop released
        {"input 36 255", 0, 0},  // Stop pressed again
    };
    for (const Transport& t : transport) {
        ASSERT_EQ(console.simulation(t.input), "ok") << t.input;
        EXPECT_TRUE(clockShows(t.mode, t.state)) << t.input;
    }
    // Automate from 00:01:00:00 without a stop time.
    ASSERT_EQ(console.simulation("input 40 0 4 0 0 0 0 0 0"), "ok");
    ASSERT_EQ(console.simulation("input 39 255"), "ok");
    EXPECT_TRUE(clockShows(0, 1));
    EXPECT_GE(console.clock().time, 60'000);
}

TEST_F(ConsoleProcessTest, ASecondConsoleFindsTheInterfaceInUse) {
    std::string errors;
    EXPECT_EQ(console.runSecondConsole(&errors), 1);
    EXPECT_NE(errors.find("(536)"), std::string::npos) << errors;
}

TEST_F(ConsoleProcessTest, ShutdownUnderLoadStopsInOrderWithNoTickAfterTheDriverIsReleased) {
    std::atomic<bool> busy{true};
    std::thread frames([&] {
        while (busy.load()) console.simulation("step 5");
    });
    std::thread commands([&] {
        for (int32_t i = 0; busy.load(); ++i) post(1, i % 24, (i * 97) % 8193);
    });
    EXPECT_TRUE(console.stepUntil([&] { return console.clock().time >= 0 && post(3, 8192) == 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the load build up
    const int status = console.stop(SIGTERM);
    busy = false;
    frames.join();
    commands.join();
    EXPECT_EQ(status, 0) << console.errors();

    // "j4: shutdown: <step> (ticks N)" for every step, in order.
    const std::string errors = console.errors();
    std::vector<std::pair<std::string, long>> steps;
    std::istringstream lines(errors);
    const std::string prefix = "j4: shutdown: ", ticks = " (ticks ";
    for (std::string l; std::getline(lines, l);) {
        const size_t at = l.rfind(ticks);
        if (!l.starts_with(prefix) || at == std::string::npos) continue;
        steps.push_back(
            {l.substr(prefix.size(), at - prefix.size()), std::stol(l.substr(at + ticks.size()))});
    }
    const std::vector<std::string> order = {
        "network outputs stopped",   "frame source unregistered", "DMX input unregistered",
        "automation thread stopped", "DMX input thread stopped",  "engine thread stopped",
        "driver released",           "automation unregistered",   "scratch folder removed"};
    ASSERT_EQ(steps.size(), order.size()) << errors;
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(steps[i].first, order[i]);
    EXPECT_GT(steps[5].second, 10) << "the engine ticked under load";
    for (size_t i = 6; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].second, steps[5].second) << "a tick after " << steps[i].first;
}

}  // namespace
}  // namespace j4::engine
