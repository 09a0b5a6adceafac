#pragma once
// A LayerTarget that remembers the last Cue and level of every layer.

#include <array>

#include "common/layers.h"
#include "engine/layer_target.h"

namespace j4::engine::testing {

struct RecordingLayers final : LayerTarget {
    std::array<common::CueNumber, common::LAYER_COUNT> cue{};
    std::array<common::Level, common::LAYER_COUNT> level{};
    int levelCalls = 0;

    bool setLayerCue(int layer, common::CueNumber c) override {
        if (!common::isLayerIndex(layer)) return false;
        cue[layer] = c;
        return true;
    }
    bool setLayerLevel(int layer, common::Level l) override {
        if (!common::isLayerIndex(layer)) return false;
        level[layer] = l;
        ++levelCalls;
        return true;
    }
    // Level of the X or Y layer of list k holding Cue c; -1 when neither holds it.
    common::Level levelOf(common::CueNumber c, int k = 0) const {
        if (cue[common::xLayer(k)] == c) return level[common::xLayer(k)];
        if (cue[common::yLayer(k)] == c) return level[common::yLayer(k)];
        return -1;
    }
};

}  // namespace j4::engine::testing
