#include "engine/startup/dmx_input.h"

#include "engine/startup/tests/engine_fixture.h"

namespace j4::engine {
namespace {

using common::ClockMode;
using common::ClockState;

constexpr int32_t ALL_GROUPS = 0x3F;

class DmxInputTest : public testing::EngineFixture {
  protected:
    // Input where only the channels given changed, to these values; the others keep
    // what the desk last sent.
    void send(std::initializer_list<std::pair<int, uint8_t>> values, int32_t flags = ALL_GROUPS) {
        in.changedLow = in.changedHigh = 0;
        for (auto [channel, value] : values) {
            in.levels[channel] = value;
            if (channel < 32)
                in.changedLow |= 1u << channel;
            else
                in.changedHigh |= 1u << (channel - 32);
        }
        input.process(in, flags);
    }

    InputChannels in;
    DmxInput input{engine};
};

TEST_F(DmxInputTest, OnlyActiveGroupsAct) {
    engine.live().setGrandMaster(1000);
    send({{0, 255}, {INPUT_GRAND_MASTER_LEVEL, 0}, {INPUT_FIRST_XY + 1, 255}, {INPUT_PLAY, 255}},
         INPUT_SUBMASTERS);
    EXPECT_EQ(level(common::submasterLayer(0)), common::FULL_LEVEL);
    EXPECT_EQ(engine.mixer().grandMaster(), 1000);
    EXPECT_EQ(level(common::yLayer(0)), 0);
    EXPECT_EQ(reading().state, ClockState::Stopped);

    engine.live().setGrandMaster(common::FULL_LEVEL);
    send({{INPUT_GRAND_MASTER_LEVEL, 128}}, INPUT_SUBMASTERS);
    EXPECT_EQ(engine.mixer().grandMaster(), common::FULL_LEVEL);
    send({{INPUT_GRAND_MASTER_LEVEL, 128}}, INPUT_GRAND_MASTER);
    EXPECT_EQ(engine.mixer().grandMaster(), 4112);
}

TEST_F(DmxInputTest, UnchangedChannelsDoNotFightTheOperator) {
    send({{3, 200}});
    engine.live().setSubmasterLevel(4, 100);  // the operator moves it on screen
    send({{5, 10}});                          // another channel moves; channel 3 holds
    EXPECT_EQ(level(common::submasterLayer(3)), 100);
    EXPECT_EQ(level(common::submasterLayer(5)), common::inputValueToLevel(10));
}

TEST_F(DmxInputTest, PresetSelectorValues) {
    for (int p = 1; p <= 24; ++p) {
        Preset preset{};
        preset[0] = p % 9 + 1;  // preset 1 holds Cue 2, preset 24 Cue 7
        ASSERT_TRUE(engine.mixer().setPreset(p - 1, preset));
    }
    struct Row {
        uint8_t value;
        common::CueNumber cue;  // on submaster 1 afterwards
        int changes;            // show changes counted so far
    };
    // 9 selects nothing, 10 preset 1, 255 preset 24 (25 counts as 24); repeating the
    // same selection does nothing, 0 forgets it so the next 10 loads again.
    const Row rows[] = {{9, 0, 0},   {10, 2, 1}, {19, 2, 1}, {255, 7, 2},
                        {249, 7, 2}, {0, 7, 2},  {10, 2, 3}};
    for (const Row& r : rows) {
        send({{INPUT_PRESET, r.value}});
        EXPECT_EQ(cueOn(common::submasterLayer(0)), r.cue) << int(r.value);
        EXPECT_EQ(showChanges, r.changes) << int(r.value);
    }
}

TEST_F(DmxInputTest, XyFadersScaleYDownAsXRises) {
    send({{INPUT_FIRST_XY, 128}, {INPUT_FIRST_XY + 1, 255}});
    EXPECT_EQ(level(common::xLayer(0)), 4112);
    EXPECT_EQ(level(common::yLayer(0)), 4080);
    // List 4's pair, with X at full: Y is 0 whatever its input.
    send({{INPUT_FIRST_XY + 6, 255}, {INPUT_FIRST_XY + 7, 255}});
    EXPECT_EQ(level(common::xLayer(3)), common::FULL_LEVEL);
    EXPECT_EQ(level(common::yLayer(3)), 0);
    EXPECT_EQ(level(common::xLayer(0)), 4112);  // untouched
}

TEST_F(DmxInputTest, ButtonsActOnThePressOnly) {
    send({{INPUT_PLAY, 255}});
    EXPECT_EQ(reading().state, ClockState::Playing);
    ASSERT_TRUE(engine.eventLists().stop());
    send({{INPUT_PLAY, 200}});  // still held: nothing
    EXPECT_EQ(reading().state, ClockState::Stopped);
    send({{INPUT_PLAY, 0}});
    send({{INPUT_PLAY, 130}});  // pressed again
    EXPECT_EQ(reading().state, ClockState::Playing);

    send({{INPUT_STOP, 255}});
    EXPECT_EQ(reading().state, ClockState::Stopped);
    send({{INPUT_RECORD, 255}});
    EXPECT_EQ(reading().state, ClockState::Recording);
}

TEST_F(DmxInputTest, ModeSelectorWhileRunningIsRememberedNotApplied) {
    send({{INPUT_PLAY, 255}});
    send({{INPUT_MODE, 2 << 6}});  // Timecode, refused while playing
    EXPECT_EQ(reading().mode, ClockMode::Internal);
    send({{INPUT_STOP, 255}});
    send({{INPUT_MODE, (2 << 6) + 5}});  // same selection: nothing to do
    EXPECT_EQ(reading().mode, ClockMode::Internal);
    send({{INPUT_MODE, 3 << 6}});  // Step
    EXPECT_EQ(reading().mode, ClockMode::Step);
    send({{INPUT_MODE, 10}});  // 0: no choice
    EXPECT_EQ(reading().mode, ClockMode::Step);
    send({{INPUT_MODE, 1 << 6}});
    EXPECT_EQ(reading().mode, ClockMode::Internal);
}

TEST_F(DmxInputTest, AutomateFromTheStartTimeFields) {
    ASSERT_TRUE(clock.setMode(ClockMode::Step));
    // Start 00:01:00:00, no stop time: stop, Internal, play from 60 000 ms.
    send({{INPUT_START_TIME, 0}, {INPUT_START_TIME + 1, 4}, {INPUT_AUTOMATE, 255}});
    common::ClockReading r = reading();
    EXPECT_EQ(r.mode, ClockMode::Internal);
    EXPECT_EQ(r.state, ClockState::Playing);
    EXPECT_EQ(r.time, 60'000);
    EXPECT_EQ(clock.automationStopTime(), common::NO_TIME);

    // Fields carry 0..63 before clamping: 255 >> 2 = 63 seconds becomes 59.
    send({{INPUT_AUTOMATE, 0}});
    send({{INPUT_STOP_TIME + 1, 8}, {INPUT_STOP_TIME + 2, 255}, {INPUT_AUTOMATE, 128}});
    EXPECT_EQ(clock.automationStopTime(), 2 * 60'000 + 59'000);
    EXPECT_EQ(reading().time, 60'000);
}

}  // namespace
}  // namespace j4::engine
