#pragma once
// One Event of an Event List and the roles that build loops.

#include <cstdint>
#include <string>

#include "common/cue_number.h"
#include "common/time_value.h"

namespace j4::engine {

// A loop is one LoopStart (absolute time), any number of LoopMember Events and one
// LoopEnd row, the later ones timed relative to the LoopStart. The LoopEnd row's
// relative time is the loop's length; its Cue is never played.
enum class EventRole : int32_t { Ordinary = 0, LoopStart = 1, LoopMember = 2, LoopEnd = 3 };

constexpr bool isEventRole(int32_t v) {
    return v >= 0 && v <= 3;
}
// Roles whose time is absolute (the others are relative to their loop's start).
constexpr bool hasAbsoluteTime(EventRole r) {
    return r == EventRole::Ordinary || r == EventRole::LoopStart;
}

// Absolute Event times never exceed this (three days); deletions clamp to it.
inline constexpr common::ShowTime MAX_EVENT_TIME = 259'200'000;

struct Event {
    common::ShowTime time = 0;  // absolute, or relative to the loop start (roles 2, 3)
    bool splitFade = false;     // separate fade-in and fade-out times (editor behaviour)
    bool stop = false;          // the show halts just before this Event
    int32_t fadeIn = 0;         // ms for this Event's Cue to reach full
    int32_t fadeOut = 0;        // ms for the previous Cue to reach zero
    common::CueNumber cue = common::NONE_CUE;
    std::string comment;  // UTF-8
    EventRole role = EventRole::Ordinary;

    bool operator==(const Event&) const = default;
};

// An ordinary Event (shows built in code: generators, demos, tests).
inline Event makeEvent(common::ShowTime time, common::CueNumber cue, int32_t fadeIn = 0,
                       int32_t fadeOut = 0, bool stop = false, std::string comment = {}) {
    Event e;
    e.time = time;
    e.cue = cue;
    e.fadeIn = fadeIn;
    e.fadeOut = fadeOut;
    e.stop = stop;
    e.comment = std::move(comment);
    return e;
}

}  // namespace j4::engine
