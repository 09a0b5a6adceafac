#pragma once
// Timecode labels and frame counts at 24, 25, 30 and 29.97 drop-frame, for the
// simulated interface's generator and injected timecode.

#include <cstdint>

namespace j4::driver::sim {

struct TimecodeLabel {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    bool operator==(const TimecodeLabel&) const = default;
};

// rateFlags: FLAG_RATE_30, FLAG_RATE_30_DROP, FLAG_RATE_25 or FLAG_RATE_24.
int64_t framesPerDay(uint8_t rateFlags);
// Frames from midnight; fields out of range are clamped first.
int64_t labelToCount(uint8_t rateFlags, TimecodeLabel label);
// The label of a frame count (taken modulo one day).
TimecodeLabel countToLabel(uint8_t rateFlags, int64_t count);

}  // namespace j4::driver::sim
