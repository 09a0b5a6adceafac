#pragma once
// The three exports the console links: registration of its wake-up event, taking the
// queued commands and publishing its clock. They work on the user's block
// (SharedBlock::defaultName(), attached on first use). A console that wants another
// block, or tests, use ConsoleSide directly.

#include <cstdint>

#include "automation/j4auto.h"

namespace j4::platform {
class Event;
}

extern "C" {

// `event` (owned by the console, kept alive until it calls AutoDllSetEvent(nullptr)) is
// set whenever a client queues a command; the console's automation thread waits on it
// and then takes commands until the queue is empty. Registering marks the console as
// connected for clients until AutoDllSetEvent(nullptr) or the process ends.
// J4AUTO_OK, J4AUTO_IN_USE (another console runs) or J4AUTO_FAILED.
J4AUTO_API int AutoDllSetEvent(j4::platform::Event* event);

// J4AUTO_OK: `command` holds a valid command (argument ranges checked; a Load's path
// checked and terminated). J4AUTO_EMPTY (-1): nothing queued, `command` untouched.
// J4AUTO_INVALID_COMMAND: a malformed command was taken and discarded; `command` holds
// its code and arguments for a log and must not be executed.
J4AUTO_API int AutoDllGetCommand(J4AutoCommand* command);

// Called by the engine thread every frame; allocation-free after the first call.
J4AUTO_API int AutoDllSetTime(int32_t time, int32_t mode, int32_t state, int32_t timecode);
}
