#include "engine/manual_clock.h"

namespace j4::engine {

using common::ClockMode;
using common::ClockState;
using common::NO_TIME;
using common::ShowTime;

namespace {
// Milliseconds from one frame to the next at 30 per second; 30 steps make 1000 ms.
constexpr int frameStep(int index) {
    return index % 3 == 1 ? 34 : 33;
}
}  // namespace

bool ManualClock::read(common::ClockReading& out) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    out = fields_;
    return true;
}

bool ManualClock::setTime(ShowTime time, ShowTime stopTime) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    ++setTimeCalls_;
    if (time != NO_TIME) fields_.time = time;
    stop_ = stopTime;
    return true;
}

bool ManualClock::setState(ClockState state) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    fields_.timecode = common::TimecodeStatus::None;
    fields_.state = state;
    if (state == ClockState::Stopped) {
        stop_ = NO_TIME;
        automationStop_ = NO_TIME;
    } else if (fields_.mode == ClockMode::Timecode) {
        fields_.time = 0;
    }
    return true;
}

bool ManualClock::setMode(ClockMode mode) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    fields_.mode = mode;
    return true;
}

bool ManualClock::setAutomationStop(ShowTime stopTime) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    automationStop_ = stopTime;
    return true;
}

bool ManualClock::setLostTimecodeSwitch(bool on) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    lostSwitch_ = on;
    return true;
}

std::optional<bool> ManualClock::lostTimecodeSwitch() {
    std::lock_guard guard(lock_);
    if (failing_) return std::nullopt;
    return lostSwitch_;
}

bool ManualClock::setTimecodeOffset(int32_t milliseconds) {
    std::lock_guard guard(lock_);
    if (failing_) return false;
    offset_ = milliseconds;
    return true;
}

std::optional<int32_t> ManualClock::timecodeOffset() {
    std::lock_guard guard(lock_);
    if (failing_) return std::nullopt;
    return offset_;
}

void ManualClock::advanceFrame() {
    std::lock_guard guard(lock_);
    const bool running = fields_.state != ClockState::Stopped;
    if (running && fields_.mode != ClockMode::Timecode) {
        frameIndex_ = (frameIndex_ + 1) % common::FRAMES_PER_SECOND;
        fields_.time += frameStep(frameIndex_);
        if (fields_.time >= common::MS_PER_DAY) fields_.time = 0;
        if (stop_ != NO_TIME && fields_.time >= stop_) {
            stop_ = NO_TIME;
            fields_.state = ClockState::Stopped;
        }
        if (automationStop_ != NO_TIME && fields_.time >= automationStop_) {
            automationStop_ = NO_TIME;
            fields_.state = ClockState::Stopped;
        }
    }
    fields_.timecode = fields_.mode == ClockMode::Timecode ? common::TimecodeStatus::None
                                                           : common::TimecodeStatus::Receiving;
}

void ManualClock::advanceFrames(int count) {
    for (int i = 0; i < count; ++i) advanceFrame();
}

void ManualClock::feedTimecode(ShowTime time) {
    std::lock_guard guard(lock_);
    fields_.time = time;
    fields_.timecode = common::TimecodeStatus::Receiving;
}

void ManualClock::setFailing(bool failing) {
    std::lock_guard guard(lock_);
    failing_ = failing;
}

ShowTime ManualClock::stopTime() const {
    std::lock_guard guard(lock_);
    return stop_;
}

ShowTime ManualClock::automationStopTime() const {
    std::lock_guard guard(lock_);
    return automationStop_;
}

int ManualClock::setTimeCalls() const {
    std::lock_guard guard(lock_);
    return setTimeCalls_;
}

}  // namespace j4::engine
