#include "engine/startup/automation_port.h"

#include "automation/console_exports.h"

namespace j4::engine {

int LibraryAutomationPort::setEvent(platform::Event* event) {
    return AutoDllSetEvent(event);
}

int LibraryAutomationPort::getCommand(J4AutoCommand& command) {
    return AutoDllGetCommand(&command);
}

void LibraryAutomationPort::setTime(const common::ClockReading& r) {
    AutoDllSetTime(r.time, static_cast<int32_t>(r.mode), static_cast<int32_t>(r.state),
                   static_cast<int32_t>(r.timecode));
}

}  // namespace j4::engine
