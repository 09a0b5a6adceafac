#include "automation/clock_board.h"

#include <atomic>

namespace j4::automation {

namespace {

template <typename T>
std::atomic_ref<T> at(const T& v) {
    return std::atomic_ref<T>(const_cast<T&>(v));
}

ClockValues loadFields(const BlockLayout& b) {
    return ClockValues{at(b.clock[0]).load(std::memory_order_relaxed),
                       at(b.clock[1]).load(std::memory_order_relaxed),
                       at(b.clock[2]).load(std::memory_order_relaxed),
                       at(b.clock[3]).load(std::memory_order_relaxed)};
}

}  // namespace

void publishClock(BlockLayout& b, const ClockValues& v) {
    auto sequence = at(b.clockSequence);
    // An odd count marks the write in progress (a count left odd by a console that died
    // mid-write stays odd); the fence keeps the field stores after it.
    const uint32_t writing = sequence.load(std::memory_order_relaxed) | 1u;
    sequence.store(writing, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    at(b.clock[0]).store(v.time, std::memory_order_relaxed);
    at(b.clock[1]).store(v.mode, std::memory_order_relaxed);
    at(b.clock[2]).store(v.state, std::memory_order_relaxed);
    at(b.clock[3]).store(v.timecode, std::memory_order_relaxed);
    sequence.store(writing + 1u, std::memory_order_release);
}

ClockValues readClock(const BlockLayout& b) {
    ClockValues v;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const uint32_t before = at(b.clockSequence).load(std::memory_order_acquire);
        v = loadFields(b);
        std::atomic_thread_fence(std::memory_order_acquire);
        const uint32_t after = at(b.clockSequence).load(std::memory_order_relaxed);
        if (before == after && (before & 1u) == 0) return v;
    }
    return v;
}

}  // namespace j4::automation
