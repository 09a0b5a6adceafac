#pragma once
// The console's own show clock when no interface is attached: the driver's clock
// fields, emulated, advanced 30 times a second by a timer thread that releases the
// frame semaphore. Ticks fall due at absolute deadlines n * 1000/30 ms from the start,
// so the clock keeps real time however late a tick runs (a fixed 33 ms period would
// run 1% fast, 36 s an hour). In Timecode mode it stands still: there is no timecode.
//
// The emulation lock guards the fields; it is a leaf. The semaphore is released
// outside it. Tests call tick() by hand instead of starting the timer.

#include <cstdint>
#include <mutex>

#include "common/clock_fields.h"
#include "platform/periodic_timer.h"
#include "platform/semaphore.h"

namespace j4::links {

class SoftwareClock {
  public:
    SoftwareClock() = default;
    ~SoftwareClock();
    SoftwareClock(const SoftwareClock&) = delete;
    SoftwareClock& operator=(const SoftwareClock&) = delete;

    // Stops a running timer, keeps the semaphore and starts ticking (unless `manual`:
    // then only tick() advances). False when the timer cannot be started.
    bool start(platform::Semaphore& frames, bool manual = false);
    // No tick runs after it returns; the semaphore is forgotten.
    void stop();
    // One frame: advances the clock and releases the semaphore by one.
    void tick();

    common::ClockReading read() const;
    // `time` below 0 keeps the time; false (nothing changes) for a time beyond the day.
    bool setTime(int32_t time, int32_t stopTime);
    bool setAutomationStop(int32_t stopTime);
    bool setState(int32_t state);
    bool setMode(int32_t mode);
    void setTimecodeOffset(int32_t offset);
    int32_t timecodeOffset() const;
    void setLostTimecodeSwitch(uint8_t value);
    uint8_t lostTimecodeSwitch() const;
    bool setInputBase(int32_t channel);
    int32_t inputBase() const;

  private:
    mutable std::mutex lock_;
    int32_t time_ = 0;
    int32_t mode_ = 0;
    int32_t state_ = 0;
    int32_t timecodeStatus_ = 0;
    int32_t stopTime_ = -1;
    int32_t automationStopTime_ = -1;
    int32_t offset_ = 0;
    uint8_t lostSwitch_ = 0;
    int32_t inputBase_ = 1;
    int32_t frameIndex_ = 0;

    std::mutex timerLock_;  // start/stop
    platform::PeriodicTimer timer_;
    platform::Semaphore* frames_ = nullptr;
};

}  // namespace j4::links
