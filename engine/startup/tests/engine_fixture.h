#pragma once
// An engine on a clock stepped by hand with Cues 1..9 in the store, for the tests of
// the DMX input and the automation commands.

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/manual_clock.h"
#include "show/cue_store.h"

namespace j4::engine::testing {

class EngineFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(engine.initialise());
        engine.showChanges().setListener([this] { ++showChanges; });
        for (int n = 1; n <= 9; ++n) ASSERT_NE(cues.create(n), nullptr);
    }
    common::Level level(int layer) { return engine.mixer().layerLevel(layer).value_or(-1); }
    common::CueNumber cueOn(int layer) { return engine.mixer().layerCueNumber(layer).value_or(-1); }
    common::ClockReading reading() {
        common::ClockReading r;
        EXPECT_TRUE(clock.read(r));
        return r;
    }

    show::CueStore cues;
    ManualClock clock;
    Engine engine{clock, cues};
    int showChanges = 0;
};

}  // namespace j4::engine::testing
