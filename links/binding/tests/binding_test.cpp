// The binding against a fake driver (function table) and its software clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/prompt.h"
#include "common/string_table.h"
#include "links/binding/driver_binding.h"

namespace j4::links {
namespace {

using common::PromptAnswer;

// A driver made of plain functions that record their calls.
struct Fake {
    static inline std::vector<std::string> calls;
    static inline int32_t initResult = 0;
    static inline int32_t writeResult = 0;

    static int32_t initialize(int32_t* v) {
        calls.push_back("initialize " + std::to_string(*v));
        *v = DMX_DLL_VERSION;
        return initResult;
    }
    static int32_t cleanup() {
        calls.push_back("cleanup");
        return 0;
    }
    static int32_t reg(const DMXDllSignal*) { return 0; }
    static int32_t none() { return 0; }
    static void noneVoid() {}
    static int32_t int2(int32_t, int32_t) { return 0; }
    static int32_t int1(int32_t) { return 0; }
    static int32_t intPtr(int32_t* p) {
        *p = 0;
        return 0;
    }
    static int32_t setChannels(int32_t, int32_t length, const uint8_t*) {
        calls.push_back("setChannels " + std::to_string(length));
        return writeResult;
    }
    static int32_t setSync(const uint8_t*) {
        calls.push_back("setSync");
        return writeResult;
    }
    static int32_t getChannels(uint32_t*, uint8_t*) { return 0; }
    static int32_t getTime(int32_t* t, int32_t* m, int32_t* s, int32_t* c) {
        *t = 1234;
        *m = 0;
        *s = 1;
        *c = 1;
        return 0;
    }
    static int32_t getAuto(uint8_t* v) {
        *v = 0;
        return 0;
    }

    static DriverFunctions table() {
        calls.clear();
        initResult = 0;
        writeResult = 0;
        DriverFunctions f;
        f.initialize = initialize;
        f.cleanup = cleanup;
        f.registerFrame = reg;
        f.unregisterFrame = none;
        f.registerInput = reg;
        f.unregisterInput = noneVoid;
        f.setMaximumChannel = int2;
        f.setInputBase = int1;
        f.getInputBase = intPtr;
        f.setChannels = setChannels;
        f.getChannels = getChannels;
        f.setTime = int2;
        f.getTime = getTime;
        f.setTimecodeOffset = int1;
        f.getTimecodeOffset = intPtr;
        f.setTimecodeAuto = int1;
        f.getTimecodeAuto = getAuto;
        f.setState = int1;
        f.setMode = int1;
        f.setSync = setSync;
        f.getUniverseMask = intPtr;
        return f;
    }
};

TEST(DriverBinding, FirstFrameGoesThroughSetChannelsThenSync) {
    common::ScriptedPrompt prompt;
    DriverBinding b;
    int32_t version = 0;
    ASSERT_EQ(b.bind(Fake::table(), prompt, version), BIND_HARDWARE);
    EXPECT_EQ(version, DMX_DLL_VERSION);
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(b.sendFrame(1, 8192, frame.data()), 0);
    EXPECT_EQ(b.sendFrame(2, 8192, frame.data()), -1);  // ends beyond the frame
    EXPECT_EQ(Fake::calls, (std::vector<std::string>{"initialize -1", "setChannels 8192", "setSync",
                                                     "setSync"}));
    EXPECT_FALSE(b.takeLostMessage());
    EXPECT_TRUE(prompt.asked().empty());
    b.shutdown();
    EXPECT_EQ(Fake::calls.back(), "cleanup");
}

TEST(DriverBinding, LostCommunicationIsShownOnceByTheCaller) {
    common::ScriptedPrompt prompt;
    DriverBinding b;
    int32_t version = 0;
    ASSERT_EQ(b.bind(Fake::table(), prompt, version), BIND_HARDWARE);
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES);
    Fake::writeResult = -1;
    EXPECT_EQ(b.sendFrame(1, 8192, frame.data()), -1);
    EXPECT_EQ(b.sendFrame(1, 8192, frame.data()), -1);
    EXPECT_TRUE(prompt.asked().empty());  // never from the engine thread
    b.reportLostCommunication(prompt);
    b.reportLostCommunication(prompt);
    EXPECT_EQ(prompt.askedTextIds(), (std::vector<int>{common::MSG_HARDWARE_LOST}));
}

TEST(DriverBinding, MissingDriverAsksWhetherToGoOnWithoutHardware) {
    struct Case {
        const char* name;
        bool dropUniverseMask;
        bool dropResume;
        int32_t initResult;
        PromptAnswer answer;
        int32_t expected;
    };
    for (const Case c : {
             Case{"complete", false, false, 0, PromptAnswer::Ok, BIND_HARDWARE},
             Case{"no resume", false, true, 0, PromptAnswer::Ok, BIND_HARDWARE},
             Case{"in use", false, false, -2, PromptAnswer::Ok, BIND_IN_USE},
             Case{"no universe mask, OK", true, false, 0, PromptAnswer::Ok, BIND_NO_HARDWARE},
             Case{"no interface, Cancel", false, false, -1, PromptAnswer::Cancel, BIND_CANCELLED},
         }) {
        SCOPED_TRACE(c.name);
        auto table = Fake::table();
        Fake::initResult = c.initResult;
        if (c.dropUniverseMask) table.getUniverseMask = nullptr;
        if (c.dropResume) table.resume = nullptr;
        common::ScriptedPrompt prompt;
        prompt.queueAnswer(c.answer);
        DriverBinding b;
        int32_t version = 0;
        EXPECT_EQ(b.bind(table, prompt, version), c.expected);
        EXPECT_EQ(version, DMX_DLL_VERSION);
        const bool asked = c.expected == BIND_NO_HARDWARE || c.expected == BIND_CANCELLED;
        EXPECT_EQ(
            prompt.askedTextIds(),
            asked ? std::vector<int>{common::MSG_CONTINUE_WITHOUT_HARDWARE} : std::vector<int>{});
        EXPECT_EQ(b.resume(), 0);
    }
}

TEST(DriverBinding, AbsentLibraryRunsOnTheSoftwareClock) {
    common::ScriptedPrompt prompt;
    prompt.queueAnswer(PromptAnswer::Ok);
    DriverBinding b({"libCorvantaJ4Drv-absent.so", true});
    int32_t version = 0;
    ASSERT_EQ(b.load(prompt, version), BIND_NO_HARDWARE);
    EXPECT_TRUE(b.noHardware());
    platform::Semaphore frames(0, 1000);
    ASSERT_EQ(b.registerFrameSemaphore(frames), 0);
    ASSERT_TRUE(b.setState(common::ClockState::Playing));
    for (int i = 0; i < 30; ++i) b.softwareClock().tick();
    EXPECT_EQ(frames.count(), 30);
    common::ClockReading r;
    ASSERT_TRUE(b.read(r));
    EXPECT_EQ(r.time, 1000);
    EXPECT_EQ(r.timecode, common::TimecodeStatus::Receiving);

    // Without hardware: no input, frames discarded, settings checked and kept.
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES, 9);
    EXPECT_EQ(b.sendFrame(1, 8192, frame.data()), 0);
    EXPECT_EQ(b.setMaximumChannel(17, 1), -1);
    EXPECT_EQ(b.setMaximumChannel(16, 512), 0);
    EXPECT_EQ(b.setInputBase(200), 0);
    EXPECT_EQ(b.inputBase(), 200);
    EXPECT_EQ(b.universeMask(), 0);
    uint32_t masks[2] = {1, 1};
    uint8_t input[48] = {7};
    EXPECT_EQ(b.getChannels(masks, input), 0);
    EXPECT_EQ(masks[0] | masks[1] | input[0], 0u);
    EXPECT_EQ(b.unregisterFrameSemaphore(), 0);
}

TEST(SoftwareClock, ModesStopTimesAndTheEndOfTheDay) {
    SoftwareClock c;
    c.setState(1);
    c.setTime(86'399'990, -1);
    c.tick();
    EXPECT_EQ(c.read().time, 0);

    c.setMode(1);
    c.setState(1);
    c.setTime(5000, -1);
    c.tick();
    EXPECT_EQ(c.read().time, 5000);  // no timecode without hardware: it stands still
    EXPECT_EQ(c.read().timecode, common::TimecodeStatus::None);

    c.setMode(2);
    c.setTime(0, 100);
    c.setAutomationStop(5000);
    for (int i = 0; i < 3; ++i) c.tick();
    EXPECT_EQ(c.read().state, common::ClockState::Stopped);
    EXPECT_EQ(c.read().time, 100);
    c.setState(1);  // the stop cleared the automation stop time too
    c.setTime(4990, -1);
    c.tick();
    EXPECT_EQ(c.read().state, common::ClockState::Playing);
    c.setAutomationStop(5050);
    c.tick();
    EXPECT_EQ(c.read().state, common::ClockState::Stopped);

    EXPECT_FALSE(c.setTime(86'400'000, -1));
    EXPECT_FALSE(c.setState(3));
    EXPECT_FALSE(c.setMode(7));
    EXPECT_EQ(c.read().mode, common::ClockMode::Step);
}

TEST(SoftwareClock, TimerReleasesTheSemaphoreUntilStopped) {
    SoftwareClock c;
    platform::Semaphore frames(0, 1000);
    ASSERT_TRUE(c.start(frames));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(frames.wait(5000));
    c.stop();
    const int after = frames.count();
    c.tick();  // a tick after stop has no semaphore to release
    EXPECT_EQ(frames.count(), after);
}

}  // namespace
}  // namespace j4::links
