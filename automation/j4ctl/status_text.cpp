#include "automation/j4ctl/status_text.h"

#include "common/time_value.h"

namespace j4::automation {

namespace {

std::string named(int32_t value, std::initializer_list<const char*> names) {
    if (value >= 0 && static_cast<size_t>(value) < names.size()) return names.begin()[value];
    return "unknown (" + std::to_string(value) + ")";
}

const char* consoleText(bool connected) {
    return connected ? "running" : "not running";
}

}  // namespace

std::string timeText(int32_t ms) {
    if (ms == common::NO_TIME) return "--:--:--:--";
    if (ms < 0 || ms >= common::MS_PER_DAY) return "invalid (" + std::to_string(ms) + ")";
    return common::TimeValue::fromMilliseconds(ms).longText();
}

std::string modeText(int32_t mode) {
    return named(mode, {"Internal", "Timecode", "Step"});
}

std::string stateText(int32_t state) {
    return named(state, {"stopped", "playing", "recording"});
}

std::string timecodeText(int32_t status) {
    return named(status, {"none", "receiving", "lost, running free"});
}

std::string statusReport(bool connected, const ClockValues& c) {
    return std::string("console:  ") + consoleText(connected) + "\n" +
           "time:     " + timeText(c.time) + "\n" + "mode:     " + modeText(c.mode) + "\n" +
           "state:    " + stateText(c.state) + "\n" + "timecode: " + timecodeText(c.timecode) +
           "\n";
}

std::string statusLine(bool connected, const ClockValues& c) {
    return timeText(c.time) + "  " + modeText(c.mode) + "  " + stateText(c.state) + "  timecode " +
           timecodeText(c.timecode) + "  [console " + consoleText(connected) + "]";
}

}  // namespace j4::automation
