#include "links/artnet/frame_store.h"

#include <cstring>

#include "common/frame_sink.h"

namespace j4::links {

int FrameStore::store(int firstChannel, int length, const uint8_t* bytes) {
    if (!common::isFrameRange(firstChannel, length)) return -1;
    if (length > 0 && bytes == nullptr) return -1;
    {
        std::lock_guard lock(mutex_);
        if (length > 0) std::memcpy(frame_.data() + (firstChannel - 1), bytes, length);
    }
    frameEvent_.set();
    return 0;
}

void FrameStore::snapshot(common::DmxFrame& out) const {
    std::lock_guard lock(mutex_);
    out = frame_;
}

void FrameStore::clear() {
    std::lock_guard lock(mutex_);
    frame_.fill(0);
}

}  // namespace j4::links
