#include "engine/startup/automation_commands.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/startup/tests/engine_fixture.h"

namespace j4::engine {
namespace {

using common::ClockMode;
using common::ClockState;

J4AutoCommand command(int32_t code, int32_t a1 = 0, int32_t a2 = 0, const char* path = "") {
    J4AutoCommand c{};
    c.code = code;
    c.argument1 = a1;
    c.argument2 = a2;
    std::strncpy(c.path, path, sizeof c.path - 1);
    return c;
}

class AutomationCommandsTest : public testing::EngineFixture {
  protected:
    std::vector<std::string> loads;
    AutomationCommands commands{engine, [this](std::string p) { loads.push_back(std::move(p)); }};
};

TEST_F(AutomationCommandsTest, LayerCommandsReachTheirLayers) {
    engine.eventLists().setCurrentList(2);  // X/Y commands ignore the current list
    struct Row {
        J4AutoCommand c;
        int layer;
        common::Level level;  // -1: look at the Cue instead
        common::CueNumber cue;
    };
    const Row rows[] = {
        {command(1, 23, 8192), 23, 8192, 0},    {command(6, 23, 5), 23, -1, 5},
        {command(4, 1, 100), 29, 100, 0},       {command(7, 1, 6), 29, -1, 6},
        {command(5, 3, 200), 35, 200, 0},       {command(8, 3, 7), 35, -1, 7},
        {command(15, 0, 300), 24, 300, 0},      {command(16, 3, 8), 27, -1, 8},
        {command(6, 0, 999999), 0, -1, 999999},  // no such Cue: the none Cue plays
    };
    for (const Row& r : rows) {
        EXPECT_EQ(commands.execute(r.c), CommandOutcome::Done) << r.c.code;
        if (r.level >= 0)
            EXPECT_EQ(level(r.layer), r.level) << r.c.code;
        else
            EXPECT_EQ(cueOn(r.layer), r.cue == 999999 ? 0 : r.cue) << r.c.code;
    }
    EXPECT_EQ(commands.execute(command(3, 4096)), CommandOutcome::Done);
    EXPECT_EQ(engine.mixer().grandMaster(), 4096);

    Preset preset{};
    preset[4] = 9;
    ASSERT_TRUE(engine.mixer().setPreset(23, preset));
    EXPECT_EQ(commands.execute(command(2, 23)), CommandOutcome::Done);
    EXPECT_EQ(cueOn(4), 9);
    EXPECT_EQ(showChanges, 0);  // a recall from automation is not an edit
}

TEST_F(AutomationCommandsTest, TransportCommands) {
    EXPECT_EQ(commands.execute(command(9, 2)), CommandOutcome::Done);
    EXPECT_EQ(reading().mode, ClockMode::Step);
    EXPECT_EQ(commands.execute(command(9, 0)), CommandOutcome::Done);

    EXPECT_EQ(commands.execute(command(10, 5000)), CommandOutcome::Done);
    EXPECT_EQ(reading().state, ClockState::Playing);
    EXPECT_EQ(reading().time, 5000);
    // A mode change while the show runs is ignored.
    EXPECT_EQ(commands.execute(command(9, 1)), CommandOutcome::Ignored);
    EXPECT_EQ(reading().mode, ClockMode::Internal);

    EXPECT_EQ(commands.execute(command(11)), CommandOutcome::Done);
    EXPECT_EQ(reading().state, ClockState::Stopped);
    EXPECT_EQ(commands.execute(command(12, -1)), CommandOutcome::Done);
    EXPECT_EQ(reading().state, ClockState::Recording);
    EXPECT_EQ(reading().time, 5000);

    ASSERT_TRUE(clock.setState(ClockState::Stopped));
    ASSERT_TRUE(clock.setMode(ClockMode::Step));
    EXPECT_EQ(commands.execute(command(13, 1000, 3000)), CommandOutcome::Done);
    EXPECT_EQ(reading().mode, ClockMode::Internal);
    EXPECT_EQ(reading().state, ClockState::Playing);
    EXPECT_EQ(reading().time, 1000);
    EXPECT_EQ(clock.automationStopTime(), 3000);
    clock.advanceFrames(70);  // past 3000 ms
    EXPECT_EQ(reading().state, ClockState::Stopped);
}

TEST_F(AutomationCommandsTest, LoadHandsItsPathToTheMainThread) {
    EXPECT_EQ(commands.execute(command(14, 0, 0, "/shows/a.j4")), CommandOutcome::Done);
    EXPECT_EQ(commands.execute(command(14, 0, 0, "/shows/b.j4")), CommandOutcome::Done);
    EXPECT_EQ(loads, (std::vector<std::string>{"/shows/a.j4", "/shows/b.j4"}));
}

TEST_F(AutomationCommandsTest, MalformedCommandsChangeNothing) {
    J4AutoCommand unterminated = command(14);
    std::memset(unterminated.path, 'a', sizeof unterminated.path);
    const std::string longPath(256, 'p');
    const J4AutoCommand rows[] = {
        command(0),
        command(17, 1, 1),
        command(-5),
        command(1, 24, 100),
        command(1, -1, 100),
        command(1, 0, 8193),
        command(2, 24),
        command(3, -1),
        command(4, 4, 0),
        command(5, 0, -1),
        command(9, 3),
        command(10, -2),
        command(13, 0, -7),
        command(15, 4, 1),
        command(16, -1, 1),
        command(14, 0, 0, ""),
        command(14, 0, 0, longPath.c_str()),
        unterminated,
    };
    for (const J4AutoCommand& c : rows)
        EXPECT_EQ(commands.execute(c), CommandOutcome::Refused) << c.code << " " << c.argument1;
    EXPECT_TRUE(loads.empty());
    for (int layer = 0; layer < common::LAYER_COUNT; ++layer) {
        EXPECT_EQ(cueOn(layer), 0);
        EXPECT_EQ(level(layer), layer >= 28 && layer < 32 ? common::FULL_LEVEL : 0) << layer;
    }
    EXPECT_EQ(reading().state, ClockState::Stopped);
}

}  // namespace
}  // namespace j4::engine
