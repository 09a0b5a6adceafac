#pragma once
// Element names: the rule for what a name may hold and the order the directory tree
// keeps siblings in (shorter name first, then a code-unit compare after upper-casing),
// which also makes lookups ignore letter case.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/compound/compound_file.h"

namespace j4::platform::compound_detail {

inline constexpr size_t MAX_NAME_UNITS = 31;

// Upper case of one UTF-16 unit as the directory order uses it: ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic and full-width Latin; other units are unchanged.
char16_t upperCaseUnit(char16_t unit);

// <0, 0, >0 in the directory's sibling order.
int compareNames(std::u16string_view a, std::u16string_view b);

struct NameLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const {
        return compareNames(a, b) < 0;
    }
};

// The UTF-16 form of a name given by a caller, or InvalidName.
CompoundResult<std::u16string> elementName(std::string_view utf8);

}  // namespace j4::platform::compound_detail
