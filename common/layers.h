#pragma once
// The fixed roles of the Mixer's 37 layers.

namespace j4::common {

inline constexpr int LAYER_COUNT = 37;
inline constexpr int SUBMASTER_COUNT = 24;
inline constexpr int AUX_SUBMASTER_COUNT = 4;
inline constexpr int EVENT_LIST_COUNT = 4;
inline constexpr int PRESET_COUNT = 24;

inline constexpr int FIRST_SUBMASTER_LAYER = 0;       // submasters 1..24 -> 0..23
inline constexpr int FIRST_AUX_SUBMASTER_LAYER = 24;  // auxiliary submasters 1..4 -> 24..27
inline constexpr int FIRST_X_LAYER = 28;              // X layer of Event List k -> 28 + k
inline constexpr int FIRST_Y_LAYER = 32;              // Y layer of Event List k -> 32 + k
inline constexpr int SPARE_LAYER = 36;                // keeps the none Cue at level 0

constexpr int submasterLayer(int index0) { return FIRST_SUBMASTER_LAYER + index0; }
constexpr int auxSubmasterLayer(int index0) { return FIRST_AUX_SUBMASTER_LAYER + index0; }
constexpr int xLayer(int list) { return FIRST_X_LAYER + list; }
constexpr int yLayer(int list) { return FIRST_Y_LAYER + list; }

constexpr bool isLayerIndex(int layer) { return layer >= 0 && layer < LAYER_COUNT; }
constexpr bool isEventListIndex(int list) { return list >= 0 && list < EVENT_LIST_COUNT; }

}  // namespace j4::common
