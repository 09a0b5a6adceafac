#pragma once
// Show time in milliseconds and the 30-frames-per-second TimeValue that Event times
// and displayed times use.

#include <array>
#include <compare>
#include <cstdint>
#include <string>

namespace j4::common {

// Milliseconds from the show's zero point; a day long. -1 means "none".
using ShowTime = int32_t;
inline constexpr ShowTime NO_TIME = -1;
inline constexpr ShowTime MS_PER_DAY = 86'400'000;
inline constexpr int FRAMES_PER_SECOND = 30;

// Offset in ms of frame f within its second: round(f * 100 / 3).
inline constexpr std::array<int32_t, FRAMES_PER_SECOND> FRAME_OFFSETS = {
    0,   33,  67,  100, 133, 167, 200, 233, 267, 300, 333, 367, 400, 433, 467,
    500, 533, 567, 600, 633, 667, 700, 733, 767, 800, 833, 867, 900, 933, 967};

struct TimeValue {
    int32_t seconds = 0;  // >= 0
    int32_t frames = 0;   // 0..29

    static TimeValue fromMilliseconds(ShowTime ms);
    ShowTime toMilliseconds() const;

    TimeValue nextFrame() const;
    // Stays at 0:00 instead of going negative.
    TimeValue previousFrame() const;

    TimeValue operator+(const TimeValue& other) const;
    TimeValue operator-(const TimeValue& other) const;
    auto operator<=>(const TimeValue&) const = default;

    // "hh:mm:ss:ff"
    std::string longText() const;
    // "mm:ss:ff": minutes, seconds and frames without the hours.
    std::string shortText() const;
};

// Separate timecode fields to ms, each field clamped (hours 0..23, minutes and
// seconds 0..59, frames 0..29) before conversion.
ShowTime fieldsToMilliseconds(int hours, int minutes, int seconds, int frames);

}  // namespace j4::common
