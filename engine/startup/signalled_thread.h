#pragma once
// A console worker thread: it waits for its trigger (the frame semaphore, the input
// event or the automation event) or its own stop event, runs its handler once per
// trigger and returns on the stop event. The engine, DMX input and automation threads
// are three of these.

#include <atomic>
#include <functional>
#include <thread>

#include "platform/event.h"
#include "platform/waitable.h"

namespace j4::engine {

enum class ThreadPriority { Normal, TimeCritical };

class SignalledThread {
  public:
    SignalledThread() = default;
    ~SignalledThread();
    SignalledThread(const SignalledThread&) = delete;
    SignalledThread& operator=(const SignalledThread&) = delete;

    // Starts the thread. `trigger` and `handler` must outlive it. False when the stop
    // event is unusable, the thread already runs, or it cannot be created.
    bool start(platform::Waitable& trigger, std::function<void()> handler,
               ThreadPriority priority = ThreadPriority::Normal);
    // Sets the stop event and waits for the thread without time-out; a handler that is
    // running finishes first. Nothing happens when the thread never started.
    void stop();
    bool running() const { return thread_.joinable(); }
    // Whether the time-critical priority was granted (real-time scheduling needs a
    // privilege; without it the thread runs at normal priority).
    bool raisedPriority() const { return raised_.load(); }

  private:
    void run(platform::Waitable& trigger);

    platform::Event stop_{platform::Event::Reset::Auto};
    std::function<void()> handler_;
    std::thread thread_;
    std::atomic<bool> raised_{false};
};

}  // namespace j4::engine
