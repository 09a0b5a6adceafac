#pragma once
// Opening a show exactly as the console does (ShowDocument::open over a fresh set of
// the console's objects), without touching the console's settings: the last open file
// is not remembered.

#include <string>

#include "show/effect_library.h"
#include "show/file/show_reader.h"

namespace j4::show::tool {

ShowReadResult checkShow(const std::string& path, const EffectLibrary& effects);

}  // namespace j4::show::tool
