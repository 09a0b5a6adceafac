// The generated demo show opens like any show and plays: Event List 1 fades the house
// up, the loop moves the spots on their circle, and the stop flag halts the clock
// before the finale.

#include <gtest/gtest.h>

#include "common/dmx_frame.h"
#include "engine/manual_clock.h"
#include "show/file/show_document.h"

namespace j4 {
namespace {

using common::channelIndex;

struct Console {
    engine::ManualClock clock;
    show::CueStore cues;
    show::DeviceStore devices;
    show::EffectLibrary effects;
    engine::Engine engine{clock, cues};
    show::ShowDocument document{{engine, devices, cues, effects}, nullptr};

    Console() {
        engine.initialise();
        // The console puts the grand master at full when it starts.
        engine.mixer().setGrandMaster(common::FULL_LEVEL);
        effects.scanFolder(J4_EFFECT_LIBRARY_DIR);
    }
    // Runs the clock and the engine for `frames` frames.
    void play(int frames) {
        for (int i = 0; i < frames; ++i) {
            clock.advanceFrame();
            engine.tick();
        }
    }
    uint8_t out(int universe, int channel) const {
        return engine_output()[channelIndex(universe, channel)];
    }
    common::DmxFrame engine_output() const {
        return const_cast<engine::Engine&>(engine).mixer().outputFrame();
    }
};

TEST(DemoShow, OpensWithItsRigCuesAndEventList) {
    Console c;
    const show::ShowReadResult r = c.document.open(J4_DEMO_SHOW);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(c.devices.count(), 12);
    EXPECT_EQ(c.cues.count(), 12);
    EXPECT_EQ(c.cues.find(6)->name(), "Spots circle");
    EXPECT_EQ(c.cues.find(6)->effects().size(), 2u);
    const auto events = c.engine.eventLists().list(0)->events();
    ASSERT_EQ(events.size(), 11u);
    EXPECT_EQ(events[4].role, engine::EventRole::LoopStart);
    EXPECT_EQ(events[7].role, engine::EventRole::LoopEnd);
    EXPECT_TRUE(events[9].stop);
    EXPECT_EQ(c.engine.mixer().layerCueNumber(0), 1);
    EXPECT_EQ(c.engine.mixer().preset(1).value()[0], 12);
}

TEST(DemoShow, PlaysFadesTheLoopAndStopsAtTheFlag) {
    Console c;
    ASSERT_TRUE(c.document.open(J4_DEMO_SHOW).ok());
    ASSERT_TRUE(c.engine.eventLists().play(0));

    c.play(30 * 3);  // 3 s: one second into the 2 s fade of "House warm" (153)
    EXPECT_GT(c.out(1, 1), 40);
    EXPECT_LT(c.out(1, 1), 153);
    c.play(30 * 2);  // 5 s: the fade is complete
    EXPECT_EQ(c.out(1, 1), 153);

    c.play(30 * 11);  // 16 s: inside the loop, the circle moves the spots
    const uint8_t pan = c.out(2, 1);
    c.play(5);
    EXPECT_NE(c.out(2, 1), pan);
    EXPECT_GT(c.out(2, 11), 0);  // spot dimmer up

    c.play(30 * 45);  // well past 55 s: the stop flag halted the clock before the finale
    common::ClockReading reading;
    ASSERT_TRUE(c.clock.read(reading));
    EXPECT_EQ(reading.state, common::ClockState::Stopped);
    EXPECT_EQ(reading.time, 55'000);
    EXPECT_EQ(c.out(1, 1), 255);  // still full stage: the finale (200) was not crossed
}

}  // namespace
}  // namespace j4
