#pragma once
// Bounded polling for a condition another thread brings about. Never a timing
// assertion: the limit only keeps a broken build from hanging.

#include <chrono>
#include <thread>

namespace j4::links::test {

template <class Pred>
bool waitUntil(Pred pred, int timeoutMs = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace j4::links::test
