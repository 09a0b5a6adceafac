#pragma once
// The driver's show clock: the fields guarded by the clock lock and the rules that
// change them (state change, one update per status packet). Plain data and logic; the
// Driver holds the lock and sends the transport packet when asked to.

#include <cstdint>

#include "driver/device_io.h"

namespace j4::driver {

class DriverClock {
  public:
    int32_t time = 0;  // 0 <= time < 86 400 000 at all times
    int32_t mode = 0;
    int32_t state = 0;
    int32_t timecodeStatus = 0;
    int32_t offset = 0;
    int32_t stopTime = -1;
    int32_t automationStopTime = -1;
    int32_t frameRateCode = 1;
    bool locked = false;
    int32_t freeRunCount = 0;
    int32_t frameIndex = 0;
    uint8_t lastTimecodeFlags = 0;

    // Steps 1-2 of a state change (the caller then sends the transport packet).
    void changeState(int32_t newState);

    // One status packet. `keepRunningWhenLost` is the lost-timecode switch. Returns
    // true when a stop time ended playback (the state changed to 0 and the caller must
    // send the transport packet).
    bool onStatusPacket(const Packet& status, bool keepRunningWhenLost);

    // DMXDllGetFrameRate: the stored code until timecode is locked, then the rate of
    // the last decoded timecode.
    int32_t reportedFrameRate() const;

  private:
    void advanceFreeRunning();
    void addToTime(int32_t ms);
};

}  // namespace j4::driver
