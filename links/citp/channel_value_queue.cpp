#include "links/citp/channel_value_queue.h"

namespace j4::links {

void ChannelValueQueue::push(int firstIndex, const uint8_t* levels, int count) {
    if (count <= 0 || firstIndex < 0 || firstIndex > common::FRAME_CHANNELS - count) return;
    {
        std::lock_guard lock(mutex_);
        for (int i = 0; i < count; ++i) {
            int c = firstIndex + i;
            levels_[c] = levels[i];
            if (!pending_[c]) {
                pending_[c] = true;
                order_[count_++] = static_cast<uint16_t>(c);
            }
        }
    }
    ready_.set();
}

size_t ChannelValueQueue::drain(std::vector<ChannelValue>& out) {
    std::lock_guard lock(mutex_);
    size_t n = count_;
    for (size_t i = 0; i < n; ++i) {
        uint16_t c = order_[i];
        out.push_back({c, levels_[c]});
        pending_[c] = false;
    }
    count_ = 0;
    ready_.reset();
    return n;
}

void ChannelValueQueue::clear() {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < count_; ++i) pending_[order_[i]] = false;
    count_ = 0;
    ready_.reset();
}

}  // namespace j4::links
