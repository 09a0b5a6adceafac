#include "engine/event_structure.h"

#include <algorithm>

namespace j4::engine {

using common::ShowTime;

void EventStructure::rebuild(std::span<const Event> events) {
    const size_t n = events.size();
    loopStart_.assign(n, -1);
    loopEnd_.assign(n, -1);
    loopStop_.assign(n, 0);
    anchors_.clear();
    int32_t start = -1;
    for (size_t i = 0; i < n; ++i) {
        const auto idx = static_cast<int32_t>(i);
        switch (events[i].role) {
            case EventRole::Ordinary:
                start = -1;
                anchors_.push_back(idx);
                break;
            case EventRole::LoopStart:
                start = idx;
                anchors_.push_back(idx);
                loopStart_[i] = idx;
                loopStop_[i] = events[i].stop;
                break;
            case EventRole::LoopMember:
                loopStart_[i] = start;
                if (start >= 0 && events[i].stop) loopStop_[start] = 1;
                break;
            case EventRole::LoopEnd:
                loopStart_[i] = start;
                if (start >= 0)
                    for (int32_t j = start; j <= idx; ++j) loopEnd_[j] = idx;
                start = -1;
                break;
        }
    }
}

ShowTime absoluteTime(std::span<const Event> events, const EventStructure& s, int32_t i) {
    if (hasAbsoluteTime(events[i].role)) return events[i].time;
    const int32_t start = s.loopStartOf(i);
    return events[i].time + (start >= 0 ? events[start].time : 0);
}

std::optional<std::string> validateEvents(std::span<const Event> events) {
    if (events.empty()) return "the list has no Event 0";
    ShowTime lastAbsolute = 0;
    int32_t loopStart = -1;  // inside a loop: its LoopStart
    ShowTime lastRelative = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        const std::string at = "Event " + std::to_string(i) + ": ";
        if (!isEventRole(static_cast<int32_t>(e.role))) return at + "unknown role";
        if (e.fadeIn < 0 || e.fadeOut < 0) return at + "negative fade time";
        if (!common::isCueOrNone(e.cue)) return at + "Cue number out of range";
        switch (e.role) {
            case EventRole::Ordinary:
            case EventRole::LoopStart:
                if (loopStart >= 0) return at + "loop without its end row";
                if (e.time < lastAbsolute || e.time > MAX_EVENT_TIME)
                    return at + "time out of order or range";
                lastAbsolute = e.time;
                if (e.role == EventRole::LoopStart) {
                    loopStart = static_cast<int32_t>(i);
                    lastRelative = 0;
                }
                break;
            case EventRole::LoopMember:
            case EventRole::LoopEnd:
                if (loopStart < 0) return at + "loop Event outside a loop";
                if (e.time < lastRelative) return at + "loop times decrease";
                lastRelative = e.time;
                if (e.role == EventRole::LoopEnd) {
                    if (static_cast<int32_t>(i) - loopStart < 2) return at + "loop too short";
                    if (e.time <= 0) return at + "loop of length 0";
                    if (events[loopStart].time + e.time > MAX_EVENT_TIME)
                        return at + "loop ends out of range";
                    loopStart = -1;
                }
                break;
        }
    }
    if (loopStart >= 0) return "the last loop has no end row";
    return std::nullopt;
}

namespace {

// Turns the Events first..last (a damaged loop) into ordinary Events at absolute times.
bool dissolve(std::vector<Event>& events, size_t first, size_t last) {
    const ShowTime base = events[first].role == EventRole::LoopStart ? events[first].time : 0;
    for (size_t j = first; j <= last; ++j) {
        if (events[j].role == EventRole::LoopMember || events[j].role == EventRole::LoopEnd)
            events[j].time += base;
        events[j].role = EventRole::Ordinary;
    }
    return true;
}

}  // namespace

bool clampAbsoluteTimes(std::vector<Event>& events) {
    bool changed = false;
    ShowTime ceiling = MAX_EVENT_TIME;
    for (size_t i = events.size(); i-- > 0;) {
        if (!hasAbsoluteTime(events[i].role)) continue;
        if (events[i].time > ceiling) {
            events[i].time = ceiling;
            changed = true;
        }
        if (events[i].time < 0) {
            events[i].time = 0;
            changed = true;
        }
        ceiling = events[i].time;
    }
    return changed;
}

bool repairLoops(std::vector<Event>& events) {
    bool changed = false;
    size_t i = 0;
    while (i < events.size()) {
        const EventRole role = events[i].role;
        if (role == EventRole::LoopMember || role == EventRole::LoopEnd) {
            // A loop Event without a LoopStart before it.
            changed |= dissolve(events, i, i);
            ++i;
            continue;
        }
        if (role != EventRole::LoopStart) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < events.size() && events[end].role == EventRole::LoopMember) ++end;
        if (end >= events.size() || events[end].role != EventRole::LoopEnd) {
            changed |= dissolve(events, i, end - 1);
            i = end;
            continue;
        }
        ShowTime last = 0;
        for (size_t j = i + 1; j <= end; ++j) {
            if (events[j].time < last) {
                events[j].time = last;
                changed = true;
            }
            last = events[j].time;
        }
        if (end - i < 2 || events[end].time <= 0) changed |= dissolve(events, i, end);
        i = end + 1;
    }
    changed |= clampAbsoluteTimes(events);
    return changed;
}

}  // namespace j4::engine
