#pragma once
// Channel levels the visualizer sends back, handed to the user interface. The receive
// thread records each channel's latest level and wakes the UI once; the UI thread
// drains the changed channels in the order they first changed (each a message 1542
// for the console's windows). A block of 512 levels is one lock and one wake-up, not
// 512 synchronous broadcasts, and a slow UI loses only superseded levels.

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "common/dmx_frame.h"
#include "platform/event.h"

namespace j4::links {

struct ChannelValue {
    int channelIndex;  // universe index * 512 + channel index, 0..8191
    uint8_t level;
};

class ChannelValueQueue {
  public:
    // Records levels for channels firstIndex.. (the caller has checked the range).
    void push(int firstIndex, const uint8_t* levels, int count);
    // Appends every pending change to `out` and clears them; returns how many.
    size_t drain(std::vector<ChannelValue>& out);
    // Set while changes are pending; the UI may wait on or poll it.
    platform::Event& readyEvent() { return ready_; }
    void clear();

  private:
    std::mutex mutex_;
    std::array<uint8_t, common::FRAME_CHANNELS> levels_{};
    std::array<bool, common::FRAME_CHANNELS> pending_{};
    std::array<uint16_t, common::FRAME_CHANNELS> order_{};
    size_t count_ = 0;
    platform::Event ready_{platform::Event::Reset::Manual};
};

}  // namespace j4::links
