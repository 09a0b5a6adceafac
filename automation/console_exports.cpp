#include "automation/console_exports.h"

#include "automation/console_side.h"

namespace {

// Created on first use (which may be the engine thread's first AutoDllSetTime) and
// kept until exit; a failed attach is not retried on every frame.
j4::automation::ConsoleSide& consoleSide() {
    static j4::automation::ConsoleSide side;
    return side;
}

}  // namespace

extern "C" {

int AutoDllSetEvent(j4::platform::Event* event) {
    return consoleSide().registerConsole(event);
}

int AutoDllGetCommand(J4AutoCommand* command) {
    if (command == nullptr) return J4AUTO_FAILED;
    return consoleSide().take(*command);
}

int AutoDllSetTime(int32_t time, int32_t mode, int32_t state, int32_t timecode) {
    consoleSide().publishClock({time, mode, state, timecode});
    return J4AUTO_OK;
}
}
