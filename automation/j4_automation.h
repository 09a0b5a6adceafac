#pragma once
// J4Automation: what an automation client uses to steer a running console. Each setter
// checks its arguments and queues one command for the console; the read-backs return the
// console's clock as it last published it.
//
// Every setter says what happened (PostResult): nothing is queued for an argument out of
// range or when no console is running, and a post that finds the queue full waits at
// most the post time-out before it drops the command. A client never blocks forever.
// One object may be used from one thread at a time; several objects (in any processes)
// may post at once.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "automation/clock_board.h"
#include "automation/command_queue.h"
#include "automation/j4auto.h"

namespace j4::automation {

class SharedBlock;

class J4AUTO_API J4Automation {
  public:
    static constexpr std::chrono::milliseconds DEFAULT_POST_TIMEOUT{1000};

    // The user's block (SharedBlock::defaultName()).
    J4Automation();
    explicit J4Automation(const std::string& blockName);
    ~J4Automation();
    J4Automation(const J4Automation&) = delete;
    J4Automation& operator=(const J4Automation&) = delete;

    // False when the shared block could not be attached; error() says why. Setters then
    // return Failed, IsConnected 0 and the clock read-backs 0.
    bool attached() const;
    const std::string& error() const { return error_; }

    void setPostTimeout(std::chrono::milliseconds timeout) { postTimeout_ = timeout; }

    // 1 while a console is running, else 0.
    int32_t IsConnected() const;

    ClockValues clock() const;
    int32_t J4Time() const { return clock().time; }
    int32_t J4Mode() const { return clock().mode; }
    int32_t J4State() const { return clock().state; }
    int32_t J4TimecodeState() const { return clock().timecode; }

    PostResult SetSubmasterLevel(int32_t sub, int32_t level);  // 0..23, 0..8192
    PostResult RecallPreset(int32_t preset);                   // 0..23
    PostResult SetGrandmasterLevel(int32_t level);             // 0..8192
    PostResult SetXLevel(int32_t xfader, int32_t level);       // 0..3, 0..8192
    PostResult SetYLevel(int32_t yfader, int32_t level);       // 0..3, 0..8192
    PostResult SetSubmasterCue(int32_t sub, int32_t cue);      // 0..23, any Cue
    PostResult SetXCue(int32_t xfader, int32_t cue);           // 0..3, any Cue
    PostResult SetYCue(int32_t yfader, int32_t cue);           // 0..3, any Cue
    PostResult SetTransportMode(int32_t mode);                 // 0..2
    PostResult Play(int32_t startTime);                        // -1 or 0..86399999
    PostResult Stop();
    PostResult Record(int32_t startTime);                      // -1 or 0..86399999
    PostResult Automate(int32_t startTime, int32_t stopTime);  // each -1 or a time
    PostResult Load(std::string_view path);                    // 1..255 characters
    PostResult SetAuxSubLevel(int32_t auxsub, int32_t level);  // 0..3, 0..8192
    PostResult SetAuxSubCue(int32_t auxsub, int32_t cue);      // 0..3, any Cue

    // Any command by code; `path` is used by Load only.
    PostResult post(int32_t code, int32_t argument1, int32_t argument2, std::string_view path = {});

  private:
    bool consoleRunning() const;

    std::unique_ptr<SharedBlock> block_;
    std::string error_;
    std::string lockPath_;
    std::chrono::milliseconds postTimeout_ = DEFAULT_POST_TIMEOUT;
};

}  // namespace j4::automation
