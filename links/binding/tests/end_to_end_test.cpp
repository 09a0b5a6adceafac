// The console's binding over the built driver library, running on the simulated
// interface stepped by hand through its control socket.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/prompt.h"
#include "common/string_table.h"
#include "driver/driver_settings.h"
#include "driver/sim/simulation_control.h"
#include "driver/tests/private_folders.h"
#include "links/binding/driver_binding.h"
#include "platform/lock_file.h"
#include "platform/settings_store.h"

namespace j4::links {
namespace {

constexpr int SIGNAL_TIMEOUT_MS = 5000;

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    return out;
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        driver::testing::usePrivateFolders();
        platform::SettingsStore machine(platform::SettingsScope::Machine);
        machine.writeNumber(driver::SETTINGS_KEY, driver::SETTING_SIMULATION, 1);
        machine.writeString(driver::SETTINGS_KEY, driver::SETTING_SIMULATION_PACING, "Manual");
        int32_t version = 0;
        ASSERT_EQ(binding.load(prompt, version), BIND_HARDWARE);
        ASSERT_EQ(version, DMX_DLL_VERSION);
        ASSERT_EQ(binding.registerInput(input), 0);
        ASSERT_EQ(binding.registerFrameSemaphore(frames), 0);
    }
    void TearDown() override {
        binding.unregisterFrameSemaphore();
        binding.unregisterInput();
        binding.shutdown();
    }

    std::string simulation(const std::string& command) {
        const auto reply = driver::sim::sendSimulationCommand(
            driver::sim::simulationSocketPath(platform::LockFile::runtimeFolder(), 0), command);
        return reply.value_or("no reply");
    }
    void frames_(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(simulation("step 1"), "ok");
            ASSERT_TRUE(frames.wait(SIGNAL_TIMEOUT_MS));
        }
    }
    common::ClockReading clock() {
        common::ClockReading r;
        EXPECT_TRUE(binding.read(r));
        return r;
    }

    common::ScriptedPrompt prompt;
    DriverBinding binding{{J4_DRIVER_LIBRARY_PATH, false}};
    platform::Semaphore frames{0, 1000};
    platform::Event input;
};

TEST_F(EndToEnd, InternalModeFramesOutputAndInput) {
    EXPECT_EQ(binding.universeMask(), 0x000F);
    frames_(1);
    EXPECT_EQ(clock().state, common::ClockState::Stopped);

    ASSERT_TRUE(binding.setTime(0, -1));
    ASSERT_TRUE(binding.setState(common::ClockState::Playing));
    frames_(30);
    EXPECT_EQ(clock().time, 967);
    frames_(1);
    EXPECT_EQ(clock().time, 1000);
    EXPECT_EQ(clock().timecode, common::TimecodeStatus::Receiving);

    binding.setSendLength(2, 40);  // two blocks of universe 2 go out
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES);
    for (int c = 0; c < 64; ++c) frame[512 + c] = static_cast<uint8_t>(c + 1);
    EXPECT_EQ(binding.sendFrame(1, DMX_DLL_FRAME_BYTES, frame.data()), 0);
    std::string expected = "ok";
    char hex[4];
    for (int c = 0; c < 64; ++c) {
        std::snprintf(hex, sizeof hex, " %02x", c + 1);
        expected += hex;
    }
    EXPECT_EQ(simulation("transmitted 2"), expected);

    uint32_t masks[2];
    uint8_t levels[48];
    binding.getChannels(masks, levels);  // the first call reports everything
    EXPECT_EQ(simulation("input 2 10 20"), "ok");
    ASSERT_TRUE(input.wait(SIGNAL_TIMEOUT_MS));
    ASSERT_EQ(binding.getChannels(masks, levels), 0);
    EXPECT_EQ(masks[0], 0b110u);
    EXPECT_EQ(masks[1], 0u);
    EXPECT_EQ(levels[1], 10);
    EXPECT_EQ(levels[2], 20);
}

TEST_F(EndToEnd, TimecodeModeWithOffsetAndTheLostTimecodeSwitch) {
    ASSERT_TRUE(binding.setMode(common::ClockMode::Timecode));
    ASSERT_TRUE(binding.setTimecodeOffset(2000));
    ASSERT_TRUE(binding.setState(common::ClockState::Playing));
    EXPECT_EQ(simulation("timecode 25 00:10:00:00 offset"), "ok");
    frames_(1);
    EXPECT_EQ(clock().time, 602'000);
    EXPECT_EQ(clock().timecode, common::TimecodeStatus::Receiving);

    struct Rate {
        const char* command;
        int32_t time;
    };
    for (const Rate r :
         {Rate{"timecode 24 01:00:00:12", 3'600'500}, Rate{"timecode 29.97df 00:01:00:02", 60'067},
          Rate{"timecode 30 00:00:01:15", 1'500}}) {
        EXPECT_EQ(simulation(r.command), "ok");
        frames_(1);
        EXPECT_EQ(clock().time, r.time) << r.command;
    }

    // Switch off: four frames free-running, then the clock holds.
    EXPECT_EQ(simulation("notimecode"), "ok");
    frames_(4);
    const int32_t held = clock().time;
    EXPECT_GT(held, 1'500);
    frames_(2);
    EXPECT_EQ(clock().time, held);
    EXPECT_EQ(clock().timecode, common::TimecodeStatus::None);

    // Switch on: after the loss the clock runs on by itself.
    ASSERT_TRUE(binding.setLostTimecodeSwitch(true));
    EXPECT_EQ(binding.lostTimecodeSwitch(), true);
    EXPECT_EQ(simulation("timecode 30 00:00:05:00"), "ok");
    frames_(1);
    EXPECT_EQ(clock().time, 5'000);
    EXPECT_EQ(simulation("notimecode"), "ok");
    frames_(5);
    EXPECT_EQ(clock().timecode, common::TimecodeStatus::LostFreeRunning);
    const int32_t running = clock().time;
    frames_(1);
    EXPECT_GT(clock().time, running);
}

TEST_F(EndToEnd, ASecondProcessFindsTheSlotInUse) {
    const std::string probe =
        std::string(J4_DRIVER_PROBE_PATH) + " " + J4_DRIVER_LIBRARY_PATH + " 0";
    EXPECT_EQ(run(probe), "-2 0x30000\n");
    binding.unregisterFrameSemaphore();
    binding.unregisterInput();
    binding.shutdown();
    EXPECT_EQ(run(probe), "0 0x30000\n");
}

TEST_F(EndToEnd, UnpluggingMidRunShowsMessage540OnceAndShutsDownCleanly) {
    frames_(2);
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES);
    EXPECT_EQ(binding.sendFrame(1, DMX_DLL_FRAME_BYTES, frame.data()), 0);
    EXPECT_EQ(simulation("unplug"), "ok");
    ASSERT_TRUE(frames.wait(SIGNAL_TIMEOUT_MS));  // the driver's last release
    // The engine's tick for it hands over a frame and learns of the loss.
    EXPECT_EQ(binding.sendFrame(1, DMX_DLL_FRAME_BYTES, frame.data()), -1);
    EXPECT_TRUE(prompt.asked().empty());
    binding.reportLostCommunication(prompt);
    binding.reportLostCommunication(prompt);
    EXPECT_EQ(prompt.askedTextIds(), (std::vector<int>{common::MSG_HARDWARE_LOST}));
}

TEST(DriverLibrary, RealTimeSimulationPacesTheConsole) {
    driver::testing::usePrivateFolders();
    platform::SettingsStore machine(platform::SettingsScope::Machine);
    machine.writeNumber(driver::SETTINGS_KEY, driver::SETTING_SIMULATION, 1);
    machine.writeString(driver::SETTINGS_KEY, driver::SETTING_SIMULATION_PACING, "RealTime");
    common::ScriptedPrompt prompt;
    DriverBinding binding({J4_DRIVER_LIBRARY_PATH, false});
    int32_t version = 0;
    ASSERT_EQ(binding.load(prompt, version), BIND_HARDWARE);
    platform::Semaphore frames(0, 1000);
    ASSERT_EQ(binding.registerFrameSemaphore(frames), 0);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(frames.wait(SIGNAL_TIMEOUT_MS));
    binding.unregisterFrameSemaphore();
    binding.shutdown();
}

TEST(DriverLibrary, ExportsTheDmxDllFunctionsOnly) {
    const std::string out = run(std::string("nm -D --defined-only ") + J4_DRIVER_LIBRARY_PATH);
    std::set<std::string> names;
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        const auto space = line.rfind(' ');
        if (space != std::string::npos) names.insert(line.substr(space + 1));
        start = end == std::string::npos ? out.size() : end + 1;
    }
    EXPECT_EQ(names.size(), 26u);
    for (const auto& n : names) EXPECT_TRUE(n.starts_with("DMXDll")) << n;
}

}  // namespace
}  // namespace j4::links
