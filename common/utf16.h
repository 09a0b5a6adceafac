#pragma once
// Conversions between the UTF-16 text stored in files and the UTF-8 text used in
// memory. Characters outside the Basic Multilingual Plane travel as surrogate pairs;
// an unpaired surrogate or a malformed UTF-8 sequence becomes U+FFFD.

#include <string>
#include <string_view>

namespace j4::common {

std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace j4::common
