#pragma once
// A clock stepped by hand, frame by frame, for tests and headless demos. It keeps the
// same fields and rules as the software clock of the driver binding: 30 frames per
// second in steps of 33/34 ms, time wraps at 24 hours, a stop time or the automation
// stop time stops it, and in Timecode mode only the fed timecode moves it.

#include <mutex>

#include "engine/clock.h"

namespace j4::engine {

class ManualClock final : public Clock {
  public:
    bool read(common::ClockReading& out) override;
    bool setTime(common::ShowTime time, common::ShowTime stopTime) override;
    bool setState(common::ClockState state) override;
    bool setMode(common::ClockMode mode) override;
    bool setAutomationStop(common::ShowTime stopTime) override;
    bool setLostTimecodeSwitch(bool on) override;
    std::optional<bool> lostTimecodeSwitch() override;
    bool setTimecodeOffset(int32_t milliseconds) override;
    std::optional<int32_t> timecodeOffset() override;

    // One frame of the clock: while playing or recording outside Timecode mode the
    // time advances by the next step of 33/34 ms and the stop times are checked.
    void advanceFrame();
    void advanceFrames(int count);
    // Timecode mode: the time the received timecode gives (status becomes receiving).
    void feedTimecode(common::ShowTime time);
    // Makes every operation fail (a lost interface) until cleared.
    void setFailing(bool failing);

    common::ShowTime stopTime() const;
    common::ShowTime automationStopTime() const;
    int setTimeCalls() const;

  private:
    mutable std::mutex lock_;
    common::ClockReading fields_;
    common::ShowTime stop_ = common::NO_TIME;
    common::ShowTime automationStop_ = common::NO_TIME;
    int frameIndex_ = 0;
    bool lostSwitch_ = false;
    int32_t offset_ = 0;
    bool failing_ = false;
    int setTimeCalls_ = 0;
};

}  // namespace j4::engine
