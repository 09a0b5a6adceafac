#pragma once
// An effect shape of the effect library: one closed path of 3000 points that a
// movement effect traces around a head's rendered pan/tilt position. Displacements
// are in 16-bit pan/tilt units at gain 1024 and full level.

#include <array>
#include <cstdint>
#include <string>

#include "common/identity.h"

namespace j4::show {

inline constexpr int EFFECT_POINTS = 3000;

struct EffectPoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const EffectPoint&) const = default;
};

class EffectShape {
  public:
    common::Identity identity;  // how Cues refer to the shape in show files
    std::string name;           // listed by the Cue Editor after "<No Effect>"
    std::array<EffectPoint, EFFECT_POINTS> points{};
};

// 1024 x sin(angle) for angle = i tenths of a degree, i = 0..4509, truncated toward
// zero. The cosine of angle a is entry a + 900.
inline constexpr int SINE_ENTRIES = 4510;
const std::array<int16_t, SINE_ENTRIES>& sineTable();

}  // namespace j4::show
