#pragma once
// Levels: signed 32-bit integers on a 13-bit fixed-point scale (0 off, 8192 full).
// Layer levels, the grand master and fade positions all use this scale.

#include <cstdint>

namespace j4::common {

using Level = int32_t;

inline constexpr Level FULL_LEVEL = 8192;
inline constexpr int LEVEL_SHIFT = 13;

// x scaled by a level: (x * level) >> 13 in 32-bit signed arithmetic. The shift is
// arithmetic, so a negative product rounds toward minus infinity.
constexpr int32_t scaleByLevel(int32_t x, Level level) {
    return static_cast<int32_t>(static_cast<uint32_t>(x) * static_cast<uint32_t>(level)) >>
           LEVEL_SHIFT;
}

// The level a "grand master controlled" fader uses for a layer at `layer`.
constexpr Level grandMasterLevel(Level grandMaster, Level layer) {
    return scaleByLevel(grandMaster, layer);
}

// An 8-bit input value (DMX input) as a level: 0 -> 0, 128 -> 4112, 255 -> 8192.
constexpr Level inputValueToLevel(uint8_t value) { return (int32_t{value} * FULL_LEVEL) / 255; }

// a * b / c with an exact 64-bit product, rounded to nearest with halves away from
// zero; -1 when c is 0. This is the rounding every fade position relies on.
int32_t mulDivRound(int32_t a, int32_t b, int32_t c);

// Position of a fade of `duration` ms after `elapsed` ms on the level scale
// (elapsed * 8192 / duration, rounded). Callers handle elapsed <= 0 and
// elapsed >= duration themselves; this is only the in-between value.
inline Level fadePosition(int32_t elapsed, int32_t duration) {
    return mulDivRound(elapsed, FULL_LEVEL, duration);
}

}  // namespace j4::common
