#include "engine/startup/transport_actions.h"

namespace j4::engine {

bool automateSection(Engine& engine, common::ShowTime start, common::ShowTime stop) {
    // Stopping clears both stop times, so the automation stop time is set after it.
    bool ok = engine.eventLists().stop();
    ok = engine.clock().setMode(common::ClockMode::Internal) && ok;
    ok = engine.clock().setAutomationStop(stop) && ok;
    return engine.eventLists().play(start) && ok;
}

}  // namespace j4::engine
