#include "engine/event_lists.h"

#include "common/layers.h"

namespace j4::engine {

using common::ClockMode;
using common::ClockState;
using common::NO_TIME;
using common::ShowTime;

namespace {
bool isPlayTime(ShowTime t) {
    return t == NO_TIME || (t >= 0 && t < common::MS_PER_DAY);
}
}  // namespace

EventLists::EventLists(EngineLock& engineLock, LayerTarget& layers, Clock& clock,
                       const ShowChanges& changes)
    : clock_(clock), changes_(changes) {
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k)
        lists_[k] = std::make_unique<EventList>(k, engineLock, layers, clock, changes);
    lists_[0]->setIsCurrent(true);
}

EventList* EventLists::list(int k) {
    return common::isEventListIndex(k) ? lists_[k].get() : nullptr;
}

const EventList* EventLists::list(int k) const {
    return common::isEventListIndex(k) ? lists_[k].get() : nullptr;
}

bool EventLists::initialise() {
    setCurrentList(0);
    const bool a = clock_.setLostTimecodeSwitch(false);
    const bool b = clock_.setTimecodeOffset(0);
    return a && b;
}

void EventLists::tick(const common::ClockReading& r) {
    const ShowTime stopAt = nextStop_.load();
    for (auto& l : lists_) l->tick(r.time, stopAt, r.mode, r.state);
}

bool EventLists::play(ShowTime time) {
    return start(time, ClockState::Playing);
}

bool EventLists::record(ShowTime time) {
    return start(time, ClockState::Recording);
}

bool EventLists::start(ShowTime time, ClockState state) {
    if (!isPlayTime(time)) return false;
    common::ClockReading r;
    if (!clock_.read(r)) return false;
    const ShowTime t = time == NO_TIME ? r.time : time;
    switch (r.mode) {
        case ClockMode::Internal:
            clock_.setTime(t, nextStop(t));
            break;
        case ClockMode::Timecode:
            // Timecode runs without stop times; an older stop time must not hold the
            // lists back either.
            nextStop_ = NO_TIME;
            clock_.setTime(0, NO_TIME);
            break;
        case ClockMode::Step: {
            // Recording is not available in Step mode.
            if (state == ClockState::Recording) return false;
            EventList& l = *lists_[current_.load()];
            if (!l.enabled() || !l.hasNextEvent()) return false;
            nextStop_ = NO_TIME;
            clock_.setTime(t, NO_TIME);
            break;
        }
    }
    return clock_.setState(state);
}

bool EventLists::stop() {
    return clock_.setState(ClockState::Stopped);
}

bool EventLists::reevaluateStop() {
    common::ClockReading r;
    if (!clock_.read(r)) return false;
    if (r.mode != ClockMode::Internal || r.state == ClockState::Stopped) return false;
    return clock_.setTime(NO_TIME, nextStop(r.time));
}

bool EventLists::setModeWhenStopped(ClockMode mode) {
    if (!common::isClockMode(static_cast<int32_t>(mode))) return false;
    common::ClockReading r;
    if (!clock_.read(r) || r.state != ClockState::Stopped) return false;
    return clock_.setMode(mode);
}

ShowTime EventLists::nextStop(ShowTime t) {
    ShowTime best = NO_TIME;
    for (auto& l : lists_) {
        const ShowTime s = l->firstStopAfter(t);
        if (s != NO_TIME && (best == NO_TIME || s < best)) best = s;
    }
    nextStop_ = best;
    return best;
}

bool EventLists::setCurrentList(int k) {
    if (!common::isEventListIndex(k)) return false;
    current_ = k;
    for (int i = 0; i < common::EVENT_LIST_COUNT; ++i) lists_[i]->setIsCurrent(i == k);
    return true;
}

bool EventLists::applyAtClockTime(int k) {
    if (!common::isEventListIndex(k)) return false;
    common::ClockReading r;
    if (!clock_.read(r)) return false;
    lists_[k]->apply(r.time);
    return true;
}

bool EventLists::resetPlayback() {
    common::ClockReading r;
    if (!clock_.read(r)) return false;
    for (auto& l : lists_) l->apply(r.time);
    return true;
}

void EventLists::clearAll() {
    for (auto& l : lists_) l->clear();
    clock_.setLostTimecodeSwitch(false);
    clock_.setTimecodeOffset(0);
}

bool EventLists::setLostTimecodeSwitch(bool on) {
    const auto old = clock_.lostTimecodeSwitch();
    if (!old) return false;
    if (*old == on) return true;
    if (!clock_.setLostTimecodeSwitch(on)) return false;
    changes_.notify();
    return true;
}

bool EventLists::setTimecodeOffset(int32_t milliseconds) {
    const auto old = clock_.timecodeOffset();
    if (!old) return false;
    if (*old == milliseconds) return true;
    if (!clock_.setTimecodeOffset(milliseconds)) return false;
    changes_.notify();
    return true;
}

}  // namespace j4::engine
