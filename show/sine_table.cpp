#include <cmath>

#include "show/effect_shape.h"

namespace j4::show {

const std::array<int16_t, SINE_ENTRIES>& sineTable() {
    static const std::array<int16_t, SINE_ENTRIES> table = [] {
        std::array<int16_t, SINE_ENTRIES> t{};
        for (int i = 0; i < SINE_ENTRIES; ++i) {
            const long double v = 1024.0L * std::sin(i * 3.14159265358979323846264338L / 1800.0L);
            // Exact values (sin 30° = 0.5, ...) must not lose one to rounding noise
            // before truncation.
            const long double nearest = std::round(v);
            const long double exact = std::fabs(v - nearest) < 1e-9L ? nearest : v;
            t[i] = static_cast<int16_t>(std::trunc(exact));
        }
        return t;
    }();
    return table;
}

}  // namespace j4::show
