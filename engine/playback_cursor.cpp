#include "engine/playback_cursor.h"

#include <algorithm>

namespace j4::engine {

using common::FULL_LEVEL;
using common::ShowTime;

namespace {

// Time of a loop Event relative to its loop's start (the LoopStart itself is at 0).
ShowTime relative(const EventView& v, int32_t i) {
    return v.events[i].role == EventRole::LoopStart ? 0 : v.events[i].time;
}

}  // namespace

void PlaybackCursor::reset(const EventView& v) {
    changed = true;
    current = 0;
    next = following(v, 0);
    leaveLoop();
    relativeBase = 0;
    hasRelativeBase_ = false;
}

void PlaybackCursor::leaveLoop() {
    inLoop = false;
    segmentStart = 0;
    segmentEnd = 0;
    loopStart = -1;
    afterLoop = -1;
}

void PlaybackCursor::locate(const EventView& v, ShowTime t) {
    changed = true;
    leaveLoop();
    relativeBase = 0;
    hasRelativeBase_ = false;
    lastTime = t;
    const auto anchors = v.structure.anchors();
    const auto it =
        std::upper_bound(anchors.begin(), anchors.end(), t,
                         [&](ShowTime time, int32_t i) { return time < v.events[i].time; });
    if (it == anchors.end()) {
        const int32_t last = v.size() - 1;
        if (v.events[last].role == EventRole::LoopEnd) {
            loopLocate(v, t, v.structure.loopStartOf(last), last);
        } else {
            current = last;
            next = -1;
        }
        return;
    }
    const int32_t j = *it;
    if (j > 0 && v.events[j - 1].role == EventRole::LoopEnd) {
        loopLocate(v, t, v.structure.loopStartOf(j - 1), j - 1);
        return;
    }
    current = j > 0 ? j - 1 : 0;
    next = j > 0 ? j : following(v, 0);
}

void PlaybackCursor::loopLocate(const EventView& v, ShowTime t, int32_t start, int32_t end) {
    const ShowTime length = start >= 0 ? v.events[end].time : 0;
    const ShowTime t0 = start >= 0 ? v.events[start].time : 0;
    if (start < 0 || end - start < 2 || length <= 0 || t < t0) {
        // Not a sound loop (the list's repairs never leave one): play on past it.
        current = end;
        next = following(v, end);
        return;
    }
    inLoop = true;
    loopStart = start;
    afterLoop = following(v, end);
    segmentStart = t - (t - t0) % length;
    current = start;
    next = start + 1;
    segmentEnd = segmentStart + relative(v, next);
    // t lies within this repetition, so at most one pass over the loop's Events.
    for (int32_t guard = end - start; t >= segmentEnd && guard > 0; --guard) {
        current = next;
        next = current + 1;
        segmentStart = segmentEnd;
        segmentEnd += relative(v, next) - relative(v, current);
        if (next == end) next = start;
    }
    exitCheck(v);
}

void PlaybackCursor::enterLoop(const EventView& v) {
    const int32_t end = v.structure.loopEndOf(current);
    if (end < 0 || current + 1 >= v.size()) return;
    inLoop = true;
    loopStart = current;
    segmentStart = v.events[current].time;
    segmentEnd = segmentStart + relative(v, current + 1);
    afterLoop = following(v, end);
}

void PlaybackCursor::step(const EventView& v) {
    if (next < 0) return;
    current = next;
    relativeBase = 0;
    hasRelativeBase_ = false;
    next = following(v, current);
    if (v.events[current].role == EventRole::LoopStart) enterLoop(v);
}

void PlaybackCursor::loopStep(const EventView& v) {
    if (!inLoop || next < 0 || next + 1 >= v.size()) {
        leaveLoop();
        return;
    }
    current = next;
    next = current + 1;
    segmentStart = segmentEnd;
    segmentEnd = segmentStart - relative(v, current) + relative(v, next);
    if (v.events[next].role == EventRole::LoopEnd) next = loopStart;
    exitCheck(v);
}

void PlaybackCursor::exitCheck(const EventView& v) {
    if (afterLoop < 0) return;
    const int64_t due = v.events[afterLoop].time;
    const int64_t end = segmentEnd;
    const Event& n = v.events[next];
    if (end < due && end + n.fadeIn <= due && end + n.fadeOut <= due) return;
    const ShowTime base = segmentStart;
    next = afterLoop;
    leaveLoop();
    relativeBase = base;
    hasRelativeBase_ = true;
}

ShowTime PlaybackCursor::stepModeStep(const EventView& v) {
    if (next < 0) return common::NO_TIME;
    changed = true;
    current = next;
    next = following(v, current);
    if (next >= 0 && v.events[next].role == EventRole::LoopEnd) next = following(v, next);
    leaveLoop();
    relativeBase = 0;
    hasRelativeBase_ = false;
    const ShowTime t = v.absolute(current);
    if (v.events[current].role == EventRole::LoopMember) {
        inLoop = true;
        loopStart = v.structure.loopStartOf(current);
        segmentStart = t;
        segmentEnd = t;
    }
    return t;
}

ShowTime PlaybackCursor::fadeEnd(const EventView& v, ShowTime t) const {
    const Event& e = v.events[current];
    int64_t end = int64_t{t} + std::max(e.fadeIn, e.fadeOut);
    if (next >= 0) end = std::min<int64_t>(end, v.absolute(next));
    return static_cast<ShowTime>(std::min<int64_t>(end, MAX_EVENT_TIME));
}

ShowTime PlaybackCursor::nextDue(const EventView& v) const {
    if (inLoop) return segmentEnd;
    return next >= 0 ? v.absolute(next) : common::NO_TIME;
}

FadeLevels PlaybackCursor::fadeLevels(const EventView& v, ShowTime t) const {
    const Event& e = v.events[current];
    const ShowTime base = inLoop             ? segmentStart
                          : hasRelativeBase_ ? relativeBase
                                             : v.absolute(current);
    const int64_t elapsed = int64_t{t} - base;
    FadeLevels f;
    if (elapsed == 0) {
        f.in = e.fadeIn != 0 ? 0 : FULL_LEVEL;
        f.out = e.fadeOut != 0 ? FULL_LEVEL : 0;
    } else if (elapsed > 0) {
        const auto el = static_cast<int32_t>(std::min<int64_t>(elapsed, INT32_MAX));
        f.in = el < e.fadeIn ? common::fadePosition(el, e.fadeIn) : FULL_LEVEL;
        f.out = el < e.fadeOut ? common::fadePosition(e.fadeOut - el, e.fadeOut) : 0;
    }
    return f;
}

common::CueNumber PlaybackCursor::previousCue(const EventView& v) const {
    if (current <= 0) return common::NONE_CUE;
    int32_t p = current - 1;
    if (v.events[p].role == EventRole::LoopEnd) --p;
    return p >= 0 ? v.events[p].cue : common::NONE_CUE;
}

void PlaybackCursor::shiftForInsert(int32_t index) {
    for (int32_t* i : {&current, &next, &loopStart, &afterLoop})
        if (*i >= index) ++*i;
}

}  // namespace j4::engine
