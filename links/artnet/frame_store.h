#pragma once
// The copy of the latest frame a network output keeps. The engine thread stores into
// it (copy and return, no allocation); the sender thread takes a whole snapshot under
// the same short lock, so no universe is ever sent half old and half new.

#include <cstdint>
#include <mutex>

#include "common/dmx_frame.h"
#include "platform/event.h"

namespace j4::links {

class FrameStore {
  public:
    // Copies `length` bytes to channel `firstChannel` (1-based) and sets the frame
    // event. -1 (nothing copied) for a first channel below 1, a negative length, a
    // range past byte 8192 or missing bytes.
    int store(int firstChannel, int length, const uint8_t* bytes);
    // Copies the whole frame into `out`.
    void snapshot(common::DmxFrame& out) const;
    void clear();

    platform::Event& frameEvent() { return frameEvent_; }

  private:
    mutable std::mutex mutex_;
    common::DmxFrame frame_{};
    platform::Event frameEvent_{platform::Event::Reset::Auto};
};

}  // namespace j4::links
