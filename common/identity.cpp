#include "common/identity.h"

#include <cstdio>

namespace j4::common {

namespace {
// Byte order of the text form: three little-endian groups, then eight bytes as stored.
constexpr int TEXT_ORDER[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr int DASH_AFTER[4] = {3, 5, 7, 9};  // positions in TEXT_ORDER followed by '-'

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

bool Identity::isNull() const {
    for (uint8_t b : bytes)
        if (b != 0) return false;
    return true;
}

std::string Identity::text() const {
    std::string out = "{";
    for (int i = 0; i < 16; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", bytes[TEXT_ORDER[i]]);
        out += hex;
        for (int d : DASH_AFTER)
            if (d == i) out += '-';
    }
    out += '}';
    return out;
}

std::optional<Identity> Identity::fromText(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    Identity id;
    size_t pos = 1;
    for (int i = 0; i < 16; ++i) {
        const int hi = hexDigit(text[pos]);
        const int lo = hexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        id.bytes[TEXT_ORDER[i]] = static_cast<uint8_t>(hi * 16 + lo);
        pos += 2;
        for (int d : DASH_AFTER)
            if (d == i) {
                if (text[pos] != '-') return std::nullopt;
                ++pos;
            }
    }
    return id;
}

}  // namespace j4::common
