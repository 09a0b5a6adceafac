#pragma once
// The console's link to the automation library: registering its wake-up event, taking
// queued commands and publishing the clock. The console uses the library's three
// exports; tests put a port of their own in its place.

#include <cstdint>

#include "automation/j4auto.h"
#include "common/clock_fields.h"

namespace j4::platform {
class Event;
}

namespace j4::engine {

class AutomationPort {
  public:
    virtual ~AutomationPort() = default;
    // `event` is set whenever a client queues a command; null unregisters. 0 on success.
    virtual int setEvent(platform::Event* event) = 0;
    // J4AUTO_OK, J4AUTO_EMPTY or J4AUTO_INVALID_COMMAND (taken and discarded).
    virtual int getCommand(J4AutoCommand& command) = 0;
    // Engine thread, every frame: must not allocate or block.
    virtual void setTime(const common::ClockReading& reading) = 0;
};

// AutoDllSetEvent, AutoDllGetCommand and AutoDllSetTime of the user's shared block
// ($J4_AUTOMATION_BLOCK names another block).
class LibraryAutomationPort final : public AutomationPort {
  public:
    int setEvent(platform::Event* event) override;
    int getCommand(J4AutoCommand& command) override;
    void setTime(const common::ClockReading& reading) override;
};

}  // namespace j4::engine
