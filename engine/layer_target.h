#pragma once
// What Event List playback needs of the Mixer: put a Cue on a layer and set a
// layer's level. The Mixer implements it; tests may record the calls instead.

#include "common/cue_number.h"
#include "common/level.h"

namespace j4::engine {

class LayerTarget {
  public:
    virtual ~LayerTarget() = default;
    // Both return false (and change nothing) for a layer outside 0..36.
    virtual bool setLayerCue(int layer, common::CueNumber cue) = 0;
    virtual bool setLayerLevel(int layer, common::Level level) = 0;
};

}  // namespace j4::engine
