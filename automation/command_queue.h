#pragma once
// The command queue inside the shared block: many posting clients in any process,
// serialised by the block's robust mutex, and one consumer (the console's automation
// thread) that takes without locking. A slot is complete before the write index moves
// past it, and the read index moves only after the slot was copied.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "automation/j4auto.h"
#include "automation/shared_block.h"

namespace j4::automation {

enum class PostResult {
    Posted,
    OutOfRange,    // an argument is outside its range: nothing queued
    NotConnected,  // no console is running: nothing queued
    Dropped,       // the queue stayed full (or locked) until the time-out: nothing queued
    Failed,        // no usable shared block
};

J4AUTO_API const char* postResultText(PostResult result);
// English text of a J4AutoResult code.
const char* resultText(int code);
// The flat API's J4AutoResult for a PostResult.
int toResultCode(PostResult result);

enum class TakeResult { Taken, Empty, Invalid };

class CommandQueue {
  public:
    explicit CommandQueue(BlockLayout& block) : block_(block) {}

    // Client side. Waits while the queue is full, in 1 ms steps, until `timeout` has
    // passed or `consoleAlive` (asked every few ms while waiting) says the console is
    // gone. Checks the arguments first.
    PostResult post(int32_t code, int32_t argument1, int32_t argument2, std::string_view path,
                    std::chrono::milliseconds timeout, const std::function<bool()>& consoleAlive);

    // Console side, single consumer. Invalid: a malformed command was taken and
    // discarded; `out` then holds its code and arguments (path cleared) for a log.
    TakeResult take(J4AutoCommand& out);

    // Console side: forget every queued command (a console starting up must not run
    // what was queued for one that died). Takes the post lock for at most `timeout`;
    // false when it could not.
    bool clear(std::chrono::milliseconds timeout);

    bool empty() const;

  private:
    enum class Lock { Locked, TimedOut, Failed };
    Lock lock(std::chrono::steady_clock::time_point deadline);
    void unlock();
    void wakeConsole();

    BlockLayout& block_;
};

}  // namespace j4::automation
