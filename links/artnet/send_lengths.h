#pragma once
// The per-universe send lengths of a network output: how many bytes of each universe
// go on the wire. Written by the patch code, read whole by a sender thread.

#include <array>
#include <atomic>

#include "common/dmx_frame.h"
#include "common/frame_sink.h"

namespace j4::links {

class SendLengths {
  public:
    SendLengths() { reset(); }

    // Stores ceil(channel / 32) * 32 for universe 1..16 (0 = do not send). Refuses a
    // universe outside 1..16 and a channel outside 0..512, keeping the stored value.
    bool set(int universe, int highestChannel);
    // Bytes to send of console universe k (0-based); 32 before the first notice.
    int bytes(int universeIndex) const {
        return lengths_[universeIndex].load(std::memory_order_relaxed);
    }
    void reset();

  private:
    std::array<std::atomic<int>, common::UNIVERSES> lengths_;
};

}  // namespace j4::links
