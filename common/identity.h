#pragma once
// A 16-byte identity (Template and effect identities, storage class ids), kept as the
// raw bytes in file order.

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace j4::common {

struct Identity {
    std::array<uint8_t, 16> bytes{};

    bool isNull() const;
    auto operator<=>(const Identity&) const = default;

    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with the first three groups read
    // little-endian, the usual text form of such identities.
    std::string text() const;
    static std::optional<Identity> fromText(std::string_view text);
};

}  // namespace j4::common
