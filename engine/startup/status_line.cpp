#include "engine/startup/status_line.h"

#include "engine/engine.h"

namespace j4::engine {

namespace {

const char* modeText(common::ClockMode m) {
    switch (m) {
        case common::ClockMode::Internal:
            return "Internal";
        case common::ClockMode::Timecode:
            return "Timecode";
        case common::ClockMode::Step:
            return "Step";
    }
    return "?";
}

const char* stateText(common::ClockState s) {
    switch (s) {
        case common::ClockState::Stopped:
            return "stopped";
        case common::ClockState::Playing:
            return "playing";
        case common::ClockState::Recording:
            return "recording";
    }
    return "?";
}

const char* timecodeText(common::TimecodeStatus t) {
    switch (t) {
        case common::TimecodeStatus::None:
            return "none";
        case common::TimecodeStatus::Receiving:
            return "receiving";
        case common::TimecodeStatus::LostFreeRunning:
            return "lost, running free";
    }
    return "?";
}

}  // namespace

ConsoleStatus readConsoleStatus(Engine& engine) {
    ConsoleStatus s;
    s.clockRead = engine.clock().read(s.clock);
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k)
        if (const EventList* list = engine.eventLists().list(k))
            s.currentEvents[k] = list->markers().current;
    return s;
}

std::string statusLineText(const ConsoleStatus& s) {
    std::string line;
    if (s.clockRead) {
        const common::ShowTime t = s.clock.time >= 0 ? s.clock.time : 0;
        line = common::TimeValue::fromMilliseconds(t).longText();
        line += "  ";
        line += modeText(s.clock.mode);
        line += "  ";
        line += stateText(s.clock.state);
        line += "  timecode ";
        line += timecodeText(s.clock.timecode);
    } else {
        line = "--:--:--:--  clock unavailable";
    }
    line += "  events";
    for (const int32_t e : s.currentEvents) line += " " + std::to_string(e);
    return line;
}

}  // namespace j4::engine
