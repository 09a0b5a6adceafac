#pragma once
// The show clock as the engine sees it. The clock lives outside the engine (the
// driver keeps it, or the binding's software clock); the engine reads it once per
// tick and steers it through these operations. Every operation may fail (a lost
// interface): a failed read makes the tick skip its frame and makes play, record and
// stop re-evaluation do nothing.
//
// Implementations guard their fields with their own lock, which is a leaf: callers
// may hold the engine lock, an Event List's lock or neither.

#include <cstdint>
#include <optional>

#include "common/clock_fields.h"
#include "common/time_value.h"

namespace j4::engine {

class Clock {
  public:
    virtual ~Clock() = default;

    // Time, mode, state and timecode status in one consistent read.
    virtual bool read(common::ClockReading& out) = 0;
    // `time` -1 keeps the current time; `stopTime` -1 means no stop time. The clock
    // stops by itself (state 0) when its time reaches the stop time.
    virtual bool setTime(common::ShowTime time, common::ShowTime stopTime) = 0;
    // State 0 clears both stop times.
    virtual bool setState(common::ClockState state) = 0;
    virtual bool setMode(common::ClockMode mode) = 0;
    // The second stop time, used by the automate command; -1 clears it.
    virtual bool setAutomationStop(common::ShowTime stopTime) = 0;

    // 1: keep running on the internal clock when timecode stops arriving.
    virtual bool setLostTimecodeSwitch(bool on) = 0;
    virtual std::optional<bool> lostTimecodeSwitch() = 0;
    // Added to the decoded timecode when the timecode asks for it.
    virtual bool setTimecodeOffset(int32_t milliseconds) = 0;
    virtual std::optional<int32_t> timecodeOffset() = 0;
};

}  // namespace j4::engine
