#include "automation/clock_board.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace j4::automation {

namespace {

template <typename T>
std::atomic_ref<T> at(const T& v) {
    return std::atomic_ref<T>(const_cast<T&>(v));
}

ClockValues loadFields(const BlockLayout& b) {
    return ClockValues{at(b.clock[0]).load(std::memory_order_acquire),
                       at(b.clock[1]).load(std::memory_order_acquire),
                       at(b.clock[2]).load(std::memory_order_acquire),
                       at(b.clock[3]).load(std::memory_order_acquire)};
}

}  // namespace

void publishClock(BlockLayout& b, const ClockValues& v) {
    auto sequence = at(b.clockSequence);
    // An odd count marks the write in progress (a count left odd by a console that died
    // mid-write stays odd). The field stores are releases, so a reader that sees a new
    // field value also sees the odd count after it and retries; no fences needed.
    const uint32_t writing = sequence.load(std::memory_order_relaxed) | 1u;
    sequence.store(writing, std::memory_order_relaxed);
    at(b.clock[0]).store(v.time, std::memory_order_release);
    at(b.clock[1]).store(v.mode, std::memory_order_release);
    at(b.clock[2]).store(v.state, std::memory_order_release);
    at(b.clock[3]).store(v.timecode, std::memory_order_release);
    sequence.store(writing + 1u, std::memory_order_release);
}

ClockValues readClock(const BlockLayout& b) {
    using Clock = std::chrono::steady_clock;
    ClockValues v;
    Clock::time_point giveUp{};
    for (int attempt = 0;; ++attempt) {
        const uint32_t before = at(b.clockSequence).load(std::memory_order_acquire);
        v = loadFields(b);  // acquire loads: the second count read stays after them
        const uint32_t after = at(b.clockSequence).load(std::memory_order_relaxed);
        if (before == after && (before & 1u) == 0) return v;
        // A write takes nanoseconds: spin briefly, then let the writer run. A count left
        // odd by a dead console must not hang the reader: after 10 ms take what is there.
        if (attempt < 100) continue;
        if (attempt == 100) giveUp = Clock::now() + std::chrono::milliseconds(10);
        if (Clock::now() >= giveUp) return v;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
}

}  // namespace j4::automation
