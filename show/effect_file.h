#pragma once
// Effect files (".eff"), compound files holding:
//   stream "EffectJ4": int version, must be 256
//   stream "Info":     identity; 16-bit point count, must be 3000; string name
//   stream "Points":   point count x {int16 x, int16 y}

#include <string>

#include "show/effect_shape.h"

namespace j4::show {

inline constexpr int32_t EFFECT_FILE_VERSION = 256;

bool readEffectFile(const std::string& path, EffectShape& shape, std::string* error);
bool writeEffectFile(const std::string& path, const EffectShape& shape, std::string* error);

}  // namespace j4::show
