#pragma once
// The headless console's one-line status: the clock (time as hh:mm:ss:ff, mode, state,
// timecode status) and the current Event of each Event List.

#include <array>
#include <string>

#include "common/clock_fields.h"
#include "common/layers.h"

namespace j4::engine {

class Engine;

struct ConsoleStatus {
    bool clockRead = false;
    common::ClockReading clock;
    std::array<int32_t, common::EVENT_LIST_COUNT> currentEvents{};
};

ConsoleStatus readConsoleStatus(Engine& engine);

// e.g. "00:01:02:15  Internal  playing  timecode none  events 3 0 0 0"
std::string statusLineText(const ConsoleStatus& status);

}  // namespace j4::engine
