#include "driver/sim/timecode_label.h"

#include <algorithm>

#include "driver/packets.h"

namespace j4::driver::sim {

namespace {
constexpr int64_t DROP_FRAMES_PER_10_MIN = 17982;
constexpr int64_t DROP_FRAMES_PER_MIN = 1798;
bool isDrop(uint8_t flags) {
    return (flags & FLAG_RATE_MASK) == FLAG_RATE_30_DROP;
}
}  // namespace

int64_t framesPerDay(uint8_t rateFlags) {
    if (isDrop(rateFlags)) return 144 * DROP_FRAMES_PER_10_MIN;
    return int64_t{86400} * framesPerSecond(rateFlags);
}

int64_t labelToCount(uint8_t rateFlags, TimecodeLabel l) {
    const int fps = framesPerSecond(rateFlags);
    l.hours = std::clamp(l.hours, 0, 23);
    l.minutes = std::clamp(l.minutes, 0, 59);
    l.seconds = std::clamp(l.seconds, 0, 59);
    l.frames = std::clamp(l.frames, 0, fps - 1);
    int64_t count = (int64_t{3600} * l.hours + 60 * l.minutes + l.seconds) * fps + l.frames;
    if (isDrop(rateFlags)) {
        // Two labels are skipped at every minute except each tenth.
        const int64_t totalMinutes = 60 * l.hours + l.minutes;
        count -= 2 * (totalMinutes - totalMinutes / 10);
        if (l.minutes % 10 != 0 && l.seconds == 0 && l.frames < 2) count += 2 - l.frames;
    }
    return count;
}

TimecodeLabel countToLabel(uint8_t rateFlags, int64_t count) {
    const int64_t day = framesPerDay(rateFlags);
    count %= day;
    if (count < 0) count += day;
    const int fps = framesPerSecond(rateFlags);
    if (isDrop(rateFlags)) {
        const int64_t tens = count / DROP_FRAMES_PER_10_MIN;
        const int64_t rest = count % DROP_FRAMES_PER_10_MIN;
        count += 18 * tens + (rest < 2 ? 0 : 2 * ((rest - 2) / DROP_FRAMES_PER_MIN));
    }
    TimecodeLabel l;
    l.frames = static_cast<int>(count % fps);
    l.seconds = static_cast<int>(count / fps % 60);
    l.minutes = static_cast<int>(count / (60 * fps) % 60);
    l.hours = static_cast<int>(count / (3600 * fps) % 24);
    return l;
}

}  // namespace j4::driver::sim
