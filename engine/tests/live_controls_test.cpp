#include "engine/live_controls.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/manual_clock.h"
#include "engine/tests/show_rig.h"

namespace j4::engine {
namespace {

using common::ClockState;
using common::FULL_LEVEL;
using testing::ShowRig;

class LiveControlsTest : public ::testing::Test {
  protected:
    ShowRig rig;
    ManualClock clock;
    Engine engine{clock, rig.cues};
    LiveControls& live = engine.live();
    Mixer& mixer = engine.mixer();
    EventList& list0 = *engine.eventLists().list(0);
    int showChanges = 0;

    void SetUp() override {
        ASSERT_TRUE(engine.initialise());
        engine.showChanges().setListener([this] { ++showChanges; });
        show::Device* d = rig.fader(0);
        for (int n : {7, 12}) rig.cue(n, {d}, {{0, static_cast<uint8_t>(n)}});
    }
    void startRecording(common::ShowTime at) {
        ASSERT_TRUE(engine.eventLists().record(at));
        ASSERT_TRUE(engine.tick());
    }
};

TEST_F(LiveControlsTest, SubmasterToFullWhileRecordingLogsItsCue) {
    ASSERT_TRUE(live.assignSubmasterCue(5, 12));
    startRecording(4000);
    ASSERT_TRUE(live.setSubmasterLevel(5, FULL_LEVEL));
    ASSERT_EQ(list0.eventCount(), 2);
    EXPECT_EQ(list0.event(1)->cue, 12);
    EXPECT_EQ(list0.event(1)->time, 4000);
    EXPECT_EQ(list0.event(1)->fadeIn, 0);
    EXPECT_GE(showChanges, 1);
    // Down and up again within the same frame: that time is taken.
    live.setSubmasterLevel(5, 100);
    live.setSubmasterLevel(5, FULL_LEVEL);
    EXPECT_EQ(list0.eventCount(), 2);
    struct Row {
        const char* what;
        std::function<void()> act;
        int added;
    };
    const Row rows[] = {
        {"already at full", [&] { live.setSubmasterLevel(5, FULL_LEVEL); }, 0},
        {"below full", [&] { live.setSubmasterLevel(6, 8000); }, 0},
        {"Solo bump flags the pressed submaster",
         [&] {
             std::array<common::Level, 24> levels{};
             live.setSubmasterLevel(3, 0);
             live.assignSubmasterCue(3, 7);
             live.setSubmasterLevels(levels, true, 3);
         },
         1},
        {"X layer is no submaster", [&] { live.setXLevel(0), live.setXLevel(FULL_LEVEL); }, 0},
    };
    for (const auto& r : rows) {
        clock.advanceFrames(3);
        const int before = list0.eventCount();
        r.act();
        EXPECT_EQ(list0.eventCount() - before, r.added) << r.what;
    }
    // Not recording: nothing.
    engine.eventLists().stop();
    clock.advanceFrames(3);
    live.setSubmasterLevel(9, 0);
    live.setSubmasterLevel(9, FULL_LEVEL);
    EXPECT_EQ(list0.eventCount(), 3);
}

TEST_F(LiveControlsTest, PresetLoadWithDeletedCues) {
    live.assignSubmasterCue(1, 7);
    live.assignSubmasterCue(2, 12);
    ASSERT_TRUE(live.savePreset(3));
    live.clearSubmasterAssignments();
    rig.cues.deleteRange(rig.cues.indexOf(7), 1);
    ASSERT_TRUE(live.loadPreset(3));
    EXPECT_EQ(*mixer.layerCueNumber(0), 0);
    EXPECT_EQ(*mixer.layerCueNumber(1), 12);
    EXPECT_EQ((*mixer.preset(2))[0], 7) << "the preset keeps the number";
    for (int bad : {0, 25, -3}) {
        EXPECT_FALSE(live.savePreset(bad));
        EXPECT_FALSE(live.loadPreset(bad));
    }
}

TEST_F(LiveControlsTest, XYFollowTheCurrentListAndClearsReachAllLists) {
    ASSERT_TRUE(engine.eventLists().setCurrentList(2));
    mixer.pollChanges();
    live.assignXCue(7);
    live.assignYCue(12);
    live.setXLevel(100);
    live.setYLevel(200);
    for (int layer = 0; layer < common::LAYER_COUNT; ++layer) {
        if (layer != 30 && layer != 34) {
            EXPECT_EQ(*mixer.layerCueNumber(layer), 0) << layer;
        }
    }
    EXPECT_EQ(*mixer.layerCueNumber(30), 7);
    EXPECT_EQ(*mixer.layerCueNumber(34), 12);
    EXPECT_EQ(*mixer.layerLevel(30), 100);
    EXPECT_EQ(*mixer.layerLevel(34), 200);
    engine.eventLists().setCurrentList(0);
    mixer.setLayerCue(29, 7);
    live.clearXYAssignments();
    for (int layer = 28; layer < 36; ++layer) EXPECT_EQ(*mixer.layerCueNumber(layer), 0) << layer;
}

TEST_F(LiveControlsTest, NumbersOutOfRangeAreRefused) {
    for (int bad : {0, 25}) {
        EXPECT_FALSE(live.setSubmasterLevel(bad, 10));
        EXPECT_FALSE(live.assignSubmasterCue(bad, 7));
    }
    for (int bad : {0, 5}) {
        EXPECT_FALSE(live.setAuxLevel(bad, 10));
        EXPECT_FALSE(live.assignAuxCue(bad, 7));
    }
    EXPECT_TRUE(live.assignAuxCue(4, 7));
    EXPECT_EQ(*mixer.layerCueNumber(27), 7);
    std::array<common::Level, 24> levels{};
    EXPECT_FALSE(live.setSubmasterLevels(levels, true, 0));
}

TEST_F(LiveControlsTest, EngineTickPlaysAnEventListThroughTheMixer) {
    struct Sink final : common::FrameSink {
        int calls = 0;
        uint8_t channel0 = 0;
        int sendFrame(int, int, const uint8_t* bytes) override {
            ++calls;
            channel0 = bytes[0];
            return 0;
        }
    } sink;
    ASSERT_TRUE(mixer.addOutput(&sink));
    mixer.setGrandMaster(FULL_LEVEL);
    std::vector<common::ClockReading> published;
    engine.setTimePublisher([&](const common::ClockReading& r) { published.push_back(r); });
    Event e;
    e.time = 1000;
    e.cue = 12;
    e.fadeIn = 1000;
    ASSERT_EQ(list0.insertEvent(e), 1);
    ASSERT_TRUE(engine.eventLists().play(0));
    for (int i = 0; i < 45; ++i) {  // 1.5 s
        clock.advanceFrame();
        ASSERT_TRUE(engine.tick());
    }
    EXPECT_EQ(sink.calls, 45);
    EXPECT_EQ(published.size(), 45u);
    EXPECT_EQ(published.back().state, ClockState::Playing);
    EXPECT_NEAR(sink.channel0, 6, 1) << "Cue 12 half-way through its fade";
    clock.setFailing(true);
    EXPECT_FALSE(engine.tick());
    EXPECT_EQ(sink.calls, 45);
    clock.setFailing(false);
    engine.clearShow();
    EXPECT_EQ(list0.eventCount(), 1);
    EXPECT_EQ(*mixer.layerCueNumber(28), 0);
}

}  // namespace
}  // namespace j4::engine
