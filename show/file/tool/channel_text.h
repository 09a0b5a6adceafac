#pragma once
// Channel addresses as people write them: "U.C", universe 1..16 and channel 1..512.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace j4::show::tool {

// "U.C" of an absolute channel index 0..8191.
std::string addressText(int32_t index);
// The channel index of "U.C"; nothing unless the text is exactly that form (no signs,
// spaces or leading zeros, so one channel has one spelling) with both parts in range.
std::optional<int32_t> addressFromText(std::string_view text);

}  // namespace j4::show::tool
