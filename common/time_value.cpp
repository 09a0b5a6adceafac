#include "common/time_value.h"

#include <algorithm>
#include <cstdio>

namespace j4::common {

TimeValue TimeValue::fromMilliseconds(ShowTime ms) {
    TimeValue t{ms / 1000, 0};
    // floor((ms mod 1000) * 0.03 + 0.5) in integers: (r * 3 + 50) / 100.
    const int32_t remainder = ms % 1000;
    t.frames = (remainder * 3 + 50) / 100;
    if (t.frames == FRAMES_PER_SECOND) {
        t.frames = 0;
        ++t.seconds;
    }
    return t;
}

ShowTime TimeValue::toMilliseconds() const {
    // floor(frames * 100/3 + 0.5) for any frame count, as the table does for 0..29.
    return (frames * 200 + 3) / 6 + seconds * 1000;
}

TimeValue TimeValue::nextFrame() const {
    if (frames >= FRAMES_PER_SECOND - 1) return {seconds + 1, 0};
    return {seconds, frames + 1};
}

TimeValue TimeValue::previousFrame() const {
    if (seconds == 0 && frames == 0) return *this;
    if (frames == 0) return {seconds - 1, FRAMES_PER_SECOND - 1};
    return {seconds, frames - 1};
}

TimeValue TimeValue::operator+(const TimeValue& other) const {
    TimeValue t{seconds + other.seconds, frames + other.frames};
    if (t.frames >= FRAMES_PER_SECOND) {
        t.frames -= FRAMES_PER_SECOND;
        ++t.seconds;
    }
    return t;
}

TimeValue TimeValue::operator-(const TimeValue& other) const {
    TimeValue t{seconds - other.seconds, frames - other.frames};
    if (t.frames < 0) {
        t.frames += FRAMES_PER_SECOND;
        --t.seconds;
    }
    return t;
}

std::string TimeValue::longText() const {
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", seconds / 3600,
                  (seconds % 3600) / 60, seconds % 60, frames);
    return text;
}

std::string TimeValue::shortText() const {
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", (seconds % 3600) / 60, seconds % 60,
                  frames);
    return text;
}

ShowTime fieldsToMilliseconds(int hours, int minutes, int seconds, int frames) {
    hours = std::clamp(hours, 0, 23);
    minutes = std::clamp(minutes, 0, 59);
    seconds = std::clamp(seconds, 0, 59);
    frames = std::clamp(frames, 0, FRAMES_PER_SECOND - 1);
    return hours * 3'600'000 + minutes * 60'000 + seconds * 1000 + FRAME_OFFSETS[frames];
}

}  // namespace j4::common
