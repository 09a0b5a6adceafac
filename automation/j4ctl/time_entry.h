#pragma once
// A typed time, read the way the console's time fields read it: from the end, frames,
// seconds, minutes and hours in turn, each one or two digits, one separator skipped
// after each; fields without digits are 0 and every field is clamped (hours 0..23,
// minutes and seconds 0..59, frames 0..29). "5" is frame 5, "1:02:03:04" is 1 h 2 min
// 3 s frame 4, "123" is 1 s frame 23. An empty text is not a time.

#include <optional>
#include <string_view>

#include "common/time_value.h"

namespace j4::automation {

std::optional<common::TimeValue> parseTimeEntry(std::string_view text);

}  // namespace j4::automation
