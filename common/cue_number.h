#pragma once
// Cues are numbered 1..1 000 000; 0 stands for the none Cue (all channels 0, no
// Devices, no effects).

#include <cstdint>

namespace j4::common {

using CueNumber = int32_t;
inline constexpr CueNumber NONE_CUE = 0;
inline constexpr CueNumber FIRST_CUE = 1;
inline constexpr CueNumber LAST_CUE = 1'000'000;

constexpr bool isCueNumber(CueNumber n) { return n >= FIRST_CUE && n <= LAST_CUE; }
constexpr bool isCueOrNone(CueNumber n) { return n == NONE_CUE || isCueNumber(n); }

}  // namespace j4::common
