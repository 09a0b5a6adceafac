#pragma once
// A process-wide count of changes to what a control renders (base address, offsets,
// width, range, reverse, grand master). Devices keep a flat copy of their controls'
// render records for the frame path and rebuild it when this count has moved, so a
// control changed after its Device was made still renders as it now stands.

#include <atomic>
#include <cstdint>

namespace j4::show {

inline std::atomic<uint32_t> renderEdits{0};

inline void noteRenderEdit() {
    renderEdits.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace j4::show
