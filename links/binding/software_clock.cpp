#include "links/binding/software_clock.h"

#include "common/time_value.h"
#include "driver/packets.h"

namespace j4::links {

namespace {
// 1000/30 ms; the third of a nanosecond it lacks adds up to 36 microseconds an hour.
constexpr int64_t FRAME_NS = 1'000'000'000 / 30;
}  // namespace

SoftwareClock::~SoftwareClock() {
    stop();
}

bool SoftwareClock::start(platform::Semaphore& frames, bool manual) {
    std::lock_guard g(timerLock_);
    timer_.stop();
    frames_ = &frames;
    if (manual) return true;
    return timer_.start(FRAME_NS, [this] { tick(); });
}

void SoftwareClock::stop() {
    std::lock_guard g(timerLock_);
    timer_.stop();
    frames_ = nullptr;
}

void SoftwareClock::tick() {
    {
        std::lock_guard g(lock_);
        if ((state_ == 1 || state_ == 2) && mode_ != 1) {
            if (++frameIndex_ > 29) frameIndex_ = 0;
            time_ += driver::INC30[frameIndex_];
            if (time_ >= common::MS_PER_DAY) time_ = 0;
            // Reaching either stop time stops the clock as the driver does: both stop
            // times go, so a stale one cannot end a later run.
            if ((stopTime_ != -1 && time_ >= stopTime_) ||
                (automationStopTime_ != -1 && time_ >= automationStopTime_)) {
                stopTime_ = -1;
                automationStopTime_ = -1;
                state_ = 0;
            }
        }
        timecodeStatus_ = mode_ == 1 ? 0 : 1;
    }
    // Only the timer thread or a test calls tick(); stop() joins the timer first.
    if (frames_) frames_->release(1);
}

common::ClockReading SoftwareClock::read() const {
    std::lock_guard g(lock_);
    common::ClockReading r;
    r.time = time_;
    r.mode = static_cast<common::ClockMode>(mode_);
    r.state = static_cast<common::ClockState>(state_);
    r.timecode = static_cast<common::TimecodeStatus>(timecodeStatus_);
    return r;
}

bool SoftwareClock::setTime(int32_t time, int32_t stopTime) {
    if (time >= common::MS_PER_DAY) return false;
    std::lock_guard g(lock_);
    if (time >= 0) time_ = time;
    stopTime_ = stopTime < 0 ? -1 : stopTime;
    return true;
}

bool SoftwareClock::setAutomationStop(int32_t stopTime) {
    std::lock_guard g(lock_);
    automationStopTime_ = stopTime < 0 ? -1 : stopTime;
    return true;
}

bool SoftwareClock::setState(int32_t state) {
    if (!common::isClockState(state)) return false;
    std::lock_guard g(lock_);
    timecodeStatus_ = 0;
    state_ = state;
    if (state == 0) {
        stopTime_ = -1;
        automationStopTime_ = -1;
    } else if (mode_ == 1) {
        time_ = 0;
    }
    return true;
}

bool SoftwareClock::setMode(int32_t mode) {
    if (!common::isClockMode(mode)) return false;
    std::lock_guard g(lock_);
    mode_ = mode;
    return true;
}

void SoftwareClock::setTimecodeOffset(int32_t offset) {
    std::lock_guard g(lock_);
    offset_ = offset;
}

int32_t SoftwareClock::timecodeOffset() const {
    std::lock_guard g(lock_);
    return offset_;
}

void SoftwareClock::setLostTimecodeSwitch(uint8_t value) {
    std::lock_guard g(lock_);
    lostSwitch_ = value;
}

uint8_t SoftwareClock::lostTimecodeSwitch() const {
    std::lock_guard g(lock_);
    return lostSwitch_;
}

bool SoftwareClock::setInputBase(int32_t channel) {
    if (channel < 1 || channel > 512) return false;
    std::lock_guard g(lock_);
    inputBase_ = channel;
    return true;
}

int32_t SoftwareClock::inputBase() const {
    std::lock_guard g(lock_);
    return inputBase_;
}

}  // namespace j4::links
