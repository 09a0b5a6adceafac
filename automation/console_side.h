#pragma once
// The console's end of the automation library: it registers the console (which makes
// clients see it as connected), wakes the console's automation thread when a command is
// queued, hands out the queued commands and publishes the clock.
//
// Threads: register/unregister from the console's main thread; take() from its
// automation thread; publishClock() from its engine thread every frame. The three may
// run at the same time.

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "automation/clock_board.h"
#include "automation/command_queue.h"
#include "automation/j4auto.h"
#include "automation/shared_block.h"
#include "platform/event.h"
#include "platform/lock_file.h"

namespace j4::automation {

class ConsoleSide {
  public:
    explicit ConsoleSide(std::string blockName = SharedBlock::defaultName());
    ~ConsoleSide();
    ConsoleSide(const ConsoleSide&) = delete;
    ConsoleSide& operator=(const ConsoleSide&) = delete;

    // Marks this process as the running console and sets `wakeUp` whenever a client
    // queues a command (and once at once if commands are already waiting). Commands left
    // over from a console that died are discarded first. `wakeUp` must outlive the
    // registration. J4AUTO_OK, J4AUTO_IN_USE when another console is running, or
    // J4AUTO_FAILED (see error()). Registering again replaces the event.
    int registerConsole(platform::Event* wakeUp);
    // Stops waking the event and clears "connected". Safe to call when not registered.
    void unregisterConsole();
    bool registered() const;

    // J4AUTO_OK with a valid command, J4AUTO_EMPTY, or J4AUTO_INVALID_COMMAND when a
    // malformed command was taken and discarded (`out` then holds its code and
    // arguments for a log). The path of a Load is checked and always terminated.
    int take(J4AutoCommand& out);

    // No allocation, no system call: safe on the per-frame path.
    void publishClock(const ClockValues& values);

    bool attached() const { return block_ != nullptr; }
    std::string error() const;

  private:
    void waitForPosts(platform::Event* wakeUp);
    void stopWaiter();

    std::string name_;
    // Attached once in the constructor and never replaced, so the engine and automation
    // threads read it without a lock.
    std::unique_ptr<SharedBlock> block_;
    std::string error_;

    mutable std::mutex registrationMutex_;
    platform::LockFile consoleLock_;
    std::thread waiter_;
    std::atomic<bool> stopWaiter_{false};
};

}  // namespace j4::automation
