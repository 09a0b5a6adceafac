#pragma once
// The clock fields shared by the driver, the console's binding, the automation block
// and the diagnostic tool. The numeric values are part of every interface.

#include <cstdint>

#include "common/time_value.h"

namespace j4::common {

enum class ClockMode : int32_t { Internal = 0, Timecode = 1, Step = 2 };
enum class ClockState : int32_t { Stopped = 0, Playing = 1, Recording = 2 };
enum class TimecodeStatus : int32_t { None = 0, Receiving = 1, LostFreeRunning = 2 };

constexpr bool isClockMode(int32_t v) { return v >= 0 && v <= 2; }
constexpr bool isClockState(int32_t v) { return v >= 0 && v <= 2; }
constexpr bool isTimecodeStatus(int32_t v) { return v >= 0 && v <= 2; }

struct ClockReading {
    ShowTime time = 0;
    ClockMode mode = ClockMode::Internal;
    ClockState state = ClockState::Stopped;
    TimecodeStatus timecode = TimecodeStatus::None;
};

}  // namespace j4::common
