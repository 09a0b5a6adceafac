#include "platform/compound/element_name.h"

#include "common/utf16.h"

namespace j4::platform {

namespace compound_detail {

char16_t upperCaseUnit(char16_t u) {
    if (u < 0x80) return (u >= u'a' && u <= u'z') ? static_cast<char16_t>(u - 0x20) : u;
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char16_t>(u - 0x20);
    if (u == 0xFF) return 0x178;
    if (u >= 0x100 && u <= 0x17F) {
        // Pairs (upper, lower) start at even units here, except in 0x139-0x148 and
        // 0x179-0x17E where they start at odd ones; 0x138 and 0x149 have no upper case.
        const bool oddPairs = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
        if (u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) return u;
        if (oddPairs ? (u % 2 == 0) : (u % 2 == 1)) return static_cast<char16_t>(u - 1);
        return u;
    }
    if (u == 0x3C2) return 0x3A3;  // final sigma
    if (u >= 0x3B1 && u <= 0x3CB) return static_cast<char16_t>(u - 0x20);
    if (u >= 0x430 && u <= 0x44F) return static_cast<char16_t>(u - 0x20);
    if (u >= 0x450 && u <= 0x45F) return static_cast<char16_t>(u - 0x50);
    if (u >= 0xFF41 && u <= 0xFF5A) return static_cast<char16_t>(u - 0x20);
    return u;
}

int compareNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t ua = upperCaseUnit(a[i]);
        const char16_t ub = upperCaseUnit(b[i]);
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    return 0;
}

CompoundResult<std::u16string> elementName(std::string_view utf8) {
    std::u16string name = common::utf8ToUtf16(utf8);
    std::string quoted;
    quoted.reserve(utf8.size() + 2);
    quoted.append(1, '"').append(utf8).append(1, '"');
    if (name.empty()) return CompoundError{CompoundErrorCode::InvalidName, "empty element name"};
    if (name.size() > MAX_NAME_UNITS)
        return CompoundError{CompoundErrorCode::InvalidName,
                             "element name " + quoted + " is longer than 31 UTF-16 units"};
    for (char16_t u : name) {
        if (u == u'/' || u == u'\\' || u == u':' || u == u'!' || u == 0)
            return CompoundError{CompoundErrorCode::InvalidName,
                                 "element name " + quoted + " holds a character / \\ : ! or NUL"};
    }
    return name;
}

}  // namespace compound_detail

CompoundStatus checkElementName(std::string_view name) {
    auto r = compound_detail::elementName(name);
    if (!r) return r.error();
    return {};
}

}  // namespace j4::platform
