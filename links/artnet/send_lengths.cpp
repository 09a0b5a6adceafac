#include "links/artnet/send_lengths.h"

namespace j4::links {

bool SendLengths::set(int universe, int highestChannel) {
    if (universe < 1 || universe > common::UNIVERSES) return false;
    if (highestChannel < 0 || highestChannel > common::CHANNELS_PER_UNIVERSE) return false;
    lengths_[universe - 1].store(common::sendBytesFor(highestChannel), std::memory_order_relaxed);
    return true;
}

void SendLengths::reset() {
    for (auto& l : lengths_) l.store(common::DEFAULT_SEND_BYTES, std::memory_order_relaxed);
}

}  // namespace j4::links
