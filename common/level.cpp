#include "common/level.h"

#include <cstdlib>

namespace j4::common {

int32_t mulDivRound(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t product = int64_t{a} * int64_t{b};
    const bool negative = (product < 0) != (c < 0);
    const uint64_t magnitude = static_cast<uint64_t>(product < 0 ? -product : product);
    const uint64_t divisor = static_cast<uint64_t>(c < 0 ? -int64_t{c} : int64_t{c});
    const uint64_t rounded = (magnitude + divisor / 2) / divisor;
    if (rounded > uint64_t{INT32_MAX} + (negative ? 1u : 0u)) return -1;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(rounded))
                    : static_cast<int32_t>(rounded);
}

}  // namespace j4::common
