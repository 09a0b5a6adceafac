#include "driver/driver_clock.h"

#include "common/time_value.h"
#include "driver/packets.h"

namespace j4::driver {

using common::MS_PER_DAY;

void DriverClock::changeState(int32_t newState) {
    locked = false;
    freeRunCount = 0;
    state = newState;
    timecodeStatus = 0;
    if (newState == 0) {
        stopTime = -1;
        automationStopTime = -1;
    } else if (mode == 1) {
        time = 0;
    }
}

void DriverClock::addToTime(int32_t ms) {
    // The clock is a day long: it wraps at midnight instead of leaving the range
    // every reader of show time relies on.
    time += ms;
    if (time >= MS_PER_DAY) time -= MS_PER_DAY;
}

void DriverClock::advanceFreeRunning() {
    switch (lastTimecodeFlags & FLAG_RATE_MASK) {
        case FLAG_RATE_24:
            if (++frameIndex > 23) frameIndex = 0;
            addToTime(INC24[frameIndex]);
            break;
        case FLAG_RATE_25:
            if (++frameIndex > 24) frameIndex = 0;
            addToTime(40);
            break;
        default:
            if (++frameIndex > 29) frameIndex = 0;
            addToTime(INC30[frameIndex]);
            break;
    }
}

bool DriverClock::onStatusPacket(const Packet& status, bool keepRunningWhenLost) {
    const auto timecode = decodeTimecode(status);
    // A packet whose digits are out of range carries no usable timecode.
    const bool present =
        (status[0] & FLAG_TIMECODE) && (timecode || (status[1] & STATUS_SKIP_TIMECODE));
    if (timecodeStatus != 2) timecodeStatus = present ? 1 : 0;
    if (state != 1 && state != 2) return false;

    if (mode == 2) {
        if (++frameIndex > 29) frameIndex = 0;
        addToTime(INC30[frameIndex]);
    } else if (timecodeStatus == 2) {
        advanceFreeRunning();
    } else if (timecode) {
        lastTimecodeFlags = timecode->flags;
        locked = true;
        freeRunCount = 0;
        frameIndex = timecode->frameIndex;
        int64_t t = int64_t{1000} * timecode->seconds +
                    frameMilliseconds(timecode->flags, timecode->frameIndex);
        if (timecode->flags & FLAG_ADD_OFFSET) {
            t += offset;
            if (t < 0) t = 0;
        }
        time = static_cast<int32_t>(t % MS_PER_DAY);
    } else if (locked) {
        advanceFreeRunning();
        if (++freeRunCount > 3) {
            if (keepRunningWhenLost) {
                timecodeStatus = 2;
            } else {
                locked = false;
                freeRunCount = 0;
            }
        }
    }

    bool stopped = false;
    if (stopTime != -1 && time >= stopTime) {
        stopTime = -1;
        changeState(0);
        stopped = true;
    }
    if (automationStopTime != -1 && time >= automationStopTime) {
        automationStopTime = -1;
        if (state != 0) {
            changeState(0);
            stopped = true;
        }
    }
    return stopped;
}

int32_t DriverClock::reportedFrameRate() const {
    if (!locked) return frameRateCode;
    switch (lastTimecodeFlags & FLAG_RATE_MASK) {
        case FLAG_RATE_30_DROP:
            return 2;
        case FLAG_RATE_25:
            return 3;
        case FLAG_RATE_24:
            return 4;
        default:
            return 1;
    }
}

}  // namespace j4::driver
