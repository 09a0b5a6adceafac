#pragma once
// The order in which the Mixer visits its layers: by descending level. The list is
// built by insertion (each layer goes before the first listed layer whose level is
// less than or equal to its own), so among equal levels the higher layer index comes
// first and wins the "first writer" channels (selects, active modes). It lives on the
// stack: no allocation per run.

#include <array>
#include <cstdint>

#include "common/layers.h"
#include "common/level.h"

namespace j4::engine {

struct PriorityList {
    std::array<int8_t, common::LAYER_COUNT> layers{};
    int count = 0;  // layers with a level above 0, in visiting order

    // `levels` holds the level of each of the 37 layers.
    static PriorityList build(const std::array<common::Level, common::LAYER_COUNT>& levels) {
        std::array<int8_t, common::LAYER_COUNT> order{};
        int n = 0;
        for (int layer = 0; layer < common::LAYER_COUNT; ++layer) {
            int at = 0;
            while (at < n && levels[order[at]] > levels[layer]) ++at;
            for (int j = n; j > at; --j) order[j] = order[j - 1];
            order[at] = static_cast<int8_t>(layer);
            ++n;
        }
        PriorityList list;
        // Traversals stop at the first layer at level 0 or below.
        while (list.count < n && levels[order[list.count]] > 0) {
            list.layers[list.count] = order[list.count];
            ++list.count;
        }
        return list;
    }
};

}  // namespace j4::engine
