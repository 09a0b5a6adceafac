#pragma once
// Waiting for a condition another thread brings about, without asserting on time: the
// guard only ends a wait that a fault would make endless.

#include <chrono>
#include <thread>

namespace j4::platform::testing {

inline constexpr int GUARD_MS = 10'000;

// Spins until `done()` holds or the guard passes; returns whether it held.
template <typename F>
bool eventually(F done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(GUARD_MS);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::yield();
    }
    return true;
}

}  // namespace j4::platform::testing
