#include "engine/event_list.h"

#include <algorithm>

#include "common/layers.h"

namespace j4::engine {

using common::ClockMode;
using common::ClockState;
using common::NO_TIME;
using common::ShowTime;
using common::TimeValue;

namespace {

// Jumps larger than this (or backwards) relocate the cursor instead of crossing.
constexpr ShowTime MAX_FORWARD_STEP = 500;

TimeValue tv(ShowTime ms) {
    return TimeValue::fromMilliseconds(ms);
}

bool fieldsValid(const Event& e) {
    return e.fadeIn >= 0 && e.fadeOut >= 0 && common::isCueOrNone(e.cue);
}

}  // namespace

EventList::EventList(int index, EngineLock& engineLock, LayerTarget& layers, Clock& clock,
                     const ShowChanges& changes)
    : index_(index),
      engineLock_(engineLock),
      layers_(layers),
      clock_(clock),
      changes_(changes),
      events_(1) {
    structure_.rebuild(events_);
    cursor_.reset(view());
    cursor_.changed = false;
}

// ---------------------------------------------------------------- playback

void EventList::tick(ShowTime t, ShowTime nextStop, ClockMode mode, ClockState state) {
    if (t < 0) return;
    std::lock_guard guard(lock_);
    if (!enabled_) return;
    if (mode == ClockMode::Step && !isCurrent_) return;
    const ClockState previousState = cursor_.lastState;

    if (mode != cursor_.lastMode) {
        cursor_.lastMode = mode;
        if (mode == ClockMode::Internal) applyLocked(t);
        if (mode == ClockMode::Timecode) applyLocked(0);
    }
    if (state != cursor_.lastState) {
        cursor_.lastState = state;
        if (state != ClockState::Stopped) {
            if (mode == ClockMode::Internal) applyLocked(t);
            if (mode == ClockMode::Timecode) applyLocked(0);
            if (mode == ClockMode::Step) {
                const ShowTime fired = cursor_.stepModeStep(view());
                if (fired != NO_TIME) {
                    crossFade();
                    clock_.setTime(fired, cursor_.fadeEnd(view(), fired));
                    t = fired;
                }
            }
        }
    }
    if (mode != ClockMode::Step) progress(t, nextStop);
    if (mode != ClockMode::Step || state == ClockState::Playing ||
        (state == ClockState::Stopped && previousState != ClockState::Stopped))
        sendLevels(cursor_.fadeLevels(view(), t));
}

void EventList::progress(ShowTime t, ShowTime nextStop) {
    const EventView v = view();
    if (cursor_.lastTime <= t && t <= cursor_.lastTime + MAX_FORWARD_STEP) {
        // Ordinary forward running: at most one Event is crossed per tick, and never
        // one at or after the stop time (the clock stops there).
        const ShowTime due = cursor_.nextDue(v);
        const bool crossing = due != NO_TIME && t >= due && (nextStop == NO_TIME || due < nextStop);
        if (crossing) {
            if (cursor_.inLoop)
                cursor_.loopStep(v);
            else
                cursor_.step(v);
            crossFade();
            cursor_.changed = true;
        }
    } else {
        cursor_.locate(v, t);
        assignBoth();
    }
    cursor_.lastTime = t;
}

void EventList::apply(ShowTime t) {
    std::lock_guard guard(lock_);
    applyLocked(t);
}

void EventList::applyLocked(ShowTime t) {
    cursor_.locate(view(), t);
    lastX_ = -1;
    lastY_ = -1;
    if (enabled_) assignBoth();
    sendLevels(cursor_.fadeLevels(view(), t));
}

void EventList::crossFade() {
    xCarriesCurrent_ = !xCarriesCurrent_;
    const int layer = xCarriesCurrent_ ? common::xLayer(index_) : common::yLayer(index_);
    layers_.setLayerCue(layer, events_[cursor_.current].cue);
}

void EventList::assignBoth() {
    const common::CueNumber current = events_[cursor_.current].cue;
    const common::CueNumber previous = cursor_.previousCue(view());
    const int x = common::xLayer(index_);
    const int y = common::yLayer(index_);
    layers_.setLayerCue(xCarriesCurrent_ ? x : y, current);
    layers_.setLayerCue(xCarriesCurrent_ ? y : x, previous);
}

void EventList::sendLevels(FadeLevels levels) {
    const common::Level x = xCarriesCurrent_ ? levels.in : levels.out;
    const common::Level y = xCarriesCurrent_ ? levels.out : levels.in;
    if (x != lastX_) {
        layers_.setLayerLevel(common::xLayer(index_), x);
        lastX_ = x;
    }
    if (y != lastY_) {
        layers_.setLayerLevel(common::yLayer(index_), y);
        lastY_ = y;
    }
}

ShowTime EventList::firstStopAfter(ShowTime t) const {
    std::lock_guard guard(lock_);
    if (!enabled_) return NO_TIME;
    const EventView v = view();
    PlaybackCursor c;
    c.locate(v, t);
    // Every pass moves forward through the list or through one repetition of a loop
    // that holds a stop flag (found within that repetition), so this bound is never
    // reached by a sound list; it only guards against a damaged one.
    for (int64_t guard = 4 * int64_t{v.size()} + 16; c.next >= 0 && guard > 0; --guard) {
        const Event& n = events_[c.next];
        if (n.stop) return c.inLoop ? c.segmentEnd : v.absolute(c.next);
        if (c.inLoop) {
            if (structure_.loopHasStop(c.loopStart)) {
                c.loopStep(v);
                if (c.inLoop && c.segmentEnd >= common::MS_PER_DAY) return NO_TIME;
            } else {
                if (c.afterLoop < 0) return NO_TIME;
                const Event& after = events_[c.afterLoop];
                if (after.stop) return after.time;
                c.locate(v, after.time);
            }
        } else {
            c.step(v);
        }
    }
    return NO_TIME;
}

bool EventList::hasNextEvent() const {
    std::lock_guard guard(lock_);
    return cursor_.next >= 0;
}

// ---------------------------------------------------------------- state

bool EventList::enabled() const {
    std::lock_guard guard(lock_);
    return enabled_;
}

void EventList::setEnabled(bool enabled) {
    std::lock_guard guard(lock_);
    enabled_ = enabled;
}

bool EventList::isCurrent() const {
    std::lock_guard guard(lock_);
    return isCurrent_;
}

void EventList::setIsCurrent(bool current) {
    std::lock_guard guard(lock_);
    isCurrent_ = current;
}

std::string EventList::name() const {
    std::lock_guard guard(lock_);
    return name_;
}

void EventList::setName(std::string name) {
    std::lock_guard guard(lock_);
    name_ = std::move(name);
}

bool EventList::xCarriesCurrent() const {
    std::lock_guard guard(lock_);
    return xCarriesCurrent_;
}

PlaybackCursor EventList::cursor() const {
    std::lock_guard guard(lock_);
    return cursor_;
}

// ---------------------------------------------------------------- Events

int32_t EventList::eventCount() const {
    std::lock_guard guard(lock_);
    return static_cast<int32_t>(events_.size());
}

std::optional<Event> EventList::event(int32_t index) const {
    std::lock_guard guard(lock_);
    if (index < 0 || index >= static_cast<int32_t>(events_.size())) return std::nullopt;
    return events_[index];
}

std::vector<Event> EventList::events() const {
    std::lock_guard guard(lock_);
    return events_;
}

std::optional<ShowTime> EventList::absoluteEventTime(int32_t index) const {
    std::lock_guard guard(lock_);
    if (index < 0 || index >= static_cast<int32_t>(events_.size())) return std::nullopt;
    return absoluteTime(events_, structure_, index);
}

bool EventList::replaceEvents(std::vector<Event> events, std::string* error) {
    if (auto why = validateEvents(events)) {
        if (error) *error = *why;
        return false;
    }
    std::lock_guard guard(lock_);
    events_ = std::move(events);
    structure_.rebuild(events_);
    cursor_.reset(view());
    return true;
}

void EventList::clear() {
    std::lock_guard guard(lock_);
    events_.assign(1, Event{});
    structure_.rebuild(events_);
    cursor_.reset(view());
    enabled_ = true;
    xCarriesCurrent_ = true;
    lastX_ = 0;
    lastY_ = 0;
}

int32_t EventList::findTimeValue(TimeValue wanted, int32_t from) const {
    for (int32_t i = std::max(from, 0); i < static_cast<int32_t>(events_.size()); ++i)
        if (tv(absoluteTime(events_, structure_, i)) == wanted) return i;
    return -1;
}

int32_t EventList::insertEvent(Event event) {
    if (!fieldsValid(event) || event.time < 0 || event.time > MAX_EVENT_TIME) return EVENT_REFUSED;
    int32_t position = 0;
    {
        std::lock_guard guard(lock_);
        const TimeValue wanted = tv(event.time);
        const auto count = static_cast<int32_t>(events_.size());
        position = count;
        for (int32_t i = 0; i < count; ++i) {
            const TimeValue at = tv(absoluteTime(events_, structure_, i));
            if (at == wanted) return EVENT_TIME_TAKEN;
            if (at > wanted) {
                position = i;
                break;
            }
        }
        event.role = EventRole::Ordinary;
        if (position < count) {
            const EventRole there = events_[position].role;
            if (there == EventRole::LoopMember || there == EventRole::LoopEnd) {
                event.role = EventRole::LoopMember;
                event.time -= events_[structure_.loopStartOf(position)].time;
            }
        }
        events_.insert(events_.begin() + position, std::move(event));
        structure_.rebuild(events_);
        cursor_.shiftForInsert(position);
        cursor_.changed = true;
    }
    changes_.notify();
    return position;
}

bool EventList::updateEvent(int32_t index, const Event& fields) {
    if (!fieldsValid(fields)) return false;
    {
        std::lock_guard guard(lock_);
        if (index < 0 || index >= static_cast<int32_t>(events_.size())) return false;
        Event& e = events_[index];
        e.splitFade = fields.splitFade;
        e.stop = fields.stop;
        e.fadeIn = fields.fadeIn;
        e.fadeOut = fields.fadeOut;
        e.cue = fields.cue;
        e.comment = fields.comment;
        structure_.rebuild(events_);
    }
    changes_.notify();
    return true;
}

bool EventList::deleteEvents(int32_t first, int32_t last) {
    std::lock_guard engine(engineLock_);
    {
        std::lock_guard guard(lock_);
        first = std::max(first, 1);
        if (first > last || last >= static_cast<int32_t>(events_.size())) return false;
        ShowTime a = NO_TIME;
        for (int32_t i = first; i <= last && a == NO_TIME; ++i)
            if (events_[i].role == EventRole::LoopStart) a = events_[i].time;
        const ShowTime base = a == NO_TIME ? 0 : a;
        events_.erase(events_.begin() + first, events_.begin() + last + 1);

        const auto size = static_cast<int32_t>(events_.size());
        Event& p = events_[first - 1];
        Event* n = first < size ? &events_[first] : nullptr;
        const bool pOutside = p.role == EventRole::Ordinary || p.role == EventRole::LoopEnd;
        if (n && n->role == EventRole::LoopMember) {
            if (pOutside) {
                // The loop lost its first Event: the first remaining one starts it.
                const bool alone =
                    first + 1 < size && events_[first + 1].role == EventRole::LoopEnd;
                const ShowTime shift = n->time;
                if (alone) {
                    for (int32_t j = first; j <= first + 1; ++j) {
                        events_[j].role = EventRole::Ordinary;
                        events_[j].time += base;
                    }
                } else {
                    n->role = EventRole::LoopStart;
                    n->time += base;
                    // The rest of the loop keeps its absolute times, now relative to
                    // the new start.
                    for (int32_t j = first + 1; j < size && !hasAbsoluteTime(events_[j].role); ++j)
                        events_[j].time -= shift;
                }
            }
        } else if (n && n->role == EventRole::LoopEnd) {
            if (pOutside) {
                n->role = EventRole::Ordinary;
                n->time += base;
            } else if (p.role == EventRole::LoopStart) {
                p.role = EventRole::Ordinary;
                n->role = EventRole::Ordinary;
                n->time += p.time;
            }
        } else if (p.role == EventRole::LoopStart) {
            p.role = EventRole::Ordinary;
        } else if (p.role == EventRole::LoopMember) {
            const int32_t start = structure_.loopStartOf(first - 1);
            if (start == first - 2) {
                events_[start].role = EventRole::Ordinary;
                p.role = EventRole::Ordinary;
                p.time += events_[start].time;
            } else {
                p.role = EventRole::LoopEnd;
            }
        }
        afterEdit(true);
    }
    changes_.notify();
    return true;
}

void EventList::afterEdit(bool relocate) {
    repairLoops(events_);
    structure_.rebuild(events_);
    if (relocate) applyLocked(cursor_.lastTime);
}

bool EventList::setEventTime(int32_t index, TimeValue n) {
    {
        std::lock_guard guard(lock_);
        const auto size = static_cast<int32_t>(events_.size());
        if (index <= 0 || index >= size || n.seconds < 0 || n.frames < 0 ||
            n.frames >= common::FRAMES_PER_SECOND)
            return false;
        const Event& e = events_[index];
        const Event& prev = events_[index - 1];
        // Lower bound (exclusive), on the same scale as the Event's own time.
        TimeValue lower = tv(prev.time);
        if (prev.role == EventRole::LoopEnd)
            lower = tv(absoluteTime(events_, structure_, index - 1));
        else if (e.role == EventRole::LoopMember && prev.role == EventRole::LoopStart)
            lower = TimeValue{};
        if (n <= lower) n = lower.nextFrame();
        // Upper bound (exclusive).
        std::optional<TimeValue> upper;
        if (e.role == EventRole::LoopStart) {
            const int32_t end = structure_.loopEndOf(index);
            if (end >= 0 && end + 1 < size) {
                const TimeValue length = tv(events_[end].time);
                upper = tv(events_[end + 1].time) - length;  // start + length < next
            }
        } else if (index + 1 < size) {
            const int32_t start = structure_.loopStartOf(index);
            if (e.role == EventRole::LoopEnd && start >= 0)
                upper = tv(events_[index + 1].time) - tv(events_[start].time);
            else
                upper = tv(events_[index + 1].time);
        }
        if (upper && n >= *upper) n = upper->previousFrame();
        // Neighbours one frame apart leave no room: the time stays.
        if (n <= lower || (upper && n >= *upper)) return false;
        ShowTime ms = n.toMilliseconds();
        const int32_t start = structure_.loopStartOf(index);
        const ShowTime offset = hasAbsoluteTime(e.role) || start < 0 ? 0 : events_[start].time;
        if (int64_t{ms} + offset > MAX_EVENT_TIME) return false;
        if (ms == e.time) return false;
        events_[index].time = ms;
        structure_.rebuild(events_);
    }
    changes_.notify();
    return true;
}

bool EventList::makeLoops(int32_t first, int32_t last) {
    if (first + 1 >= last) return false;
    std::lock_guard engine(engineLock_);
    {
        std::lock_guard guard(lock_);
        const auto size = static_cast<int32_t>(events_.size());
        if (first < 0 || last >= size) return false;
        bool made = false;
        int32_t i = first;
        while (i <= last) {
            if (events_[i].role != EventRole::Ordinary) {
                ++i;
                continue;
            }
            int32_t end = i;
            while (end + 1 <= last && events_[end + 1].role == EventRole::Ordinary) ++end;
            const ShowTime t0 = events_[i].time;
            // Fewer than three Events, or no length, make no loop.
            if (end - i >= 2 && events_[end].time > t0) {
                events_[i].role = EventRole::LoopStart;
                for (int32_t j = i + 1; j <= end; ++j) {
                    events_[j].role = j == end ? EventRole::LoopEnd : EventRole::LoopMember;
                    events_[j].time -= t0;
                }
                made = true;
            }
            i = end + 1;
        }
        if (!made) return false;
        afterEdit(true);
    }
    changes_.notify();
    return true;
}

bool EventList::removeLoop(int32_t index) {
    std::lock_guard engine(engineLock_);
    {
        std::lock_guard guard(lock_);
        if (index < 0 || index >= static_cast<int32_t>(events_.size())) return false;
        const int32_t start = structure_.loopStartOf(index);
        const int32_t end = structure_.loopEndOf(index);
        if (start < 0 || end < 0) return false;
        const ShowTime t0 = events_[start].time;
        for (int32_t j = start; j <= end; ++j) {
            if (j > start) events_[j].time += t0;
            events_[j].role = EventRole::Ordinary;
        }
        afterEdit(true);
    }
    changes_.notify();
    return true;
}

// ---------------------------------------------------------------- markers

bool EventList::setNextMarker(int32_t index) {
    std::lock_guard guard(lock_);
    if (index < 0 || index >= static_cast<int32_t>(events_.size())) return false;
    if (events_[index].role == EventRole::LoopEnd) return false;
    if (cursor_.lastMode != ClockMode::Step || cursor_.lastState != ClockState::Stopped ||
        index == cursor_.current || !isCurrent_)
        return false;
    cursor_.next = index;
    cursor_.changed = true;
    return true;
}

bool EventList::setCurrentMarker(int32_t index) {
    std::lock_guard guard(lock_);
    if (index < 0 || index >= static_cast<int32_t>(events_.size())) return false;
    if (events_[index].role == EventRole::LoopEnd) return false;
    if (cursor_.lastMode != ClockMode::Internal || cursor_.lastState != ClockState::Stopped)
        return false;
    return clock_.setTime(absoluteTime(events_, structure_, index), NO_TIME);
}

std::optional<Markers> EventList::readMarkers() {
    std::lock_guard guard(lock_);
    if (!cursor_.changed) return std::nullopt;
    cursor_.changed = false;
    return Markers{cursor_.current, cursor_.next};
}

Markers EventList::markers() const {
    std::lock_guard guard(lock_);
    return {cursor_.current, cursor_.next};
}

bool EventList::eventAtTime(ShowTime t, int32_t from) const {
    std::lock_guard guard(lock_);
    return findTimeValue(tv(t), from) >= 0;
}

}  // namespace j4::engine
