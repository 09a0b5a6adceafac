#pragma once
// A periodic timer thread on timerfd with absolute CLOCK_MONOTONIC deadlines: tick n
// is due at start + n * period, so the rate never drifts however long a callback takes
// (late ticks are delivered at once, one per missed period).

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "platform/event.h"

namespace j4::platform {

class PeriodicTimer {
  public:
    PeriodicTimer() = default;
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Calls `tick` on the timer's own thread every periodNs nanoseconds. False when
    // already running or when the timer could not be created.
    bool start(int64_t periodNs, std::function<void()> tick);
    // Returns after the thread has ended; no tick runs after stop() returns.
    void stop();
    bool running() const { return thread_.joinable(); }

  private:
    void run(int timerFd, int64_t periodNs);

    std::thread thread_;
    Event stop_{Event::Reset::Manual};
    std::function<void()> tick_;
};

}  // namespace j4::platform
