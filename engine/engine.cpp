#include "engine/engine.h"

namespace j4::engine {

Engine::Engine(Clock& clock, show::CueStore& cues)
    : clock_(clock),
      mixer_(cues, lock_),
      lists_(lock_, mixer_, clock, changes_),
      live_(mixer_, lists_, clock) {
    mixer_.setRecordHook(&live_);
}

bool Engine::initialise() {
    std::lock_guard guard(lock_);
    const bool mixer = mixer_.initialise();
    const bool lists = lists_.initialise();
    return mixer && lists;
}

void Engine::setTimePublisher(std::function<void(const common::ClockReading&)> publisher) {
    std::lock_guard guard(lock_);
    publish_ = std::move(publisher);
}

bool Engine::tick() {
    std::lock_guard guard(lock_);
    common::ClockReading reading;
    if (!clock_.read(reading)) return false;
    if (publish_) publish_(reading);
    lists_.tick(reading);
    mixer_.run();
    return true;
}

void Engine::clearShow() {
    std::lock_guard guard(lock_);
    mixer_.clear();
    lists_.clearAll();
}

}  // namespace j4::engine
