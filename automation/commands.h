#pragma once
// The automation commands: their codes, the range of each argument and the one check
// that both ends apply. A client checks before it queues; the console checks again every
// command it takes, because the shared block is writable by any process of the user.

#include <cstdint>
#include <string_view>

#include "automation/j4auto.h"

namespace j4::automation {

enum class CommandCode : int32_t {
    SetSubmasterLevel = 1,    // submaster 0..23, level 0..8192
    RecallPreset = 2,         // preset 0..23
    SetGrandmasterLevel = 3,  // level 0..8192
    SetXLevel = 4,            // X fader (Event List) 0..3, level 0..8192
    SetYLevel = 5,            // Y fader (Event List) 0..3, level 0..8192
    SetSubmasterCue = 6,      // submaster 0..23, any Cue number
    SetXCue = 7,              // X fader 0..3, any Cue number
    SetYCue = 8,              // Y fader 0..3, any Cue number
    SetTransportMode = 9,     // mode 0..2
    Play = 10,                // start time (-1 = the current time)
    Stop = 11,
    Record = 12,          // start time (-1 = the current time)
    Automate = 13,        // start time, stop time (-1 = none)
    Load = 14,            // the show path travels with the command
    SetAuxSubLevel = 15,  // aux submaster 0..3, level 0..8192
    SetAuxSubCue = 16,    // aux submaster 0..3, any Cue number
};

inline constexpr int32_t FIRST_COMMAND_CODE = 1;
inline constexpr int32_t LAST_COMMAND_CODE = 16;

// A show path: 1..255 characters of UTF-8 without zero bytes, so that it always fits
// the queue's 1024-byte field with its terminator.
inline constexpr int PATH_MAX_CHARACTERS = 255;
inline constexpr int PATH_FIELD_BYTES = 1024;

enum class CommandCheck {
    Valid,
    UnknownCode,
    ArgumentOutOfRange,
    BadPath,  // empty, too long, or not terminated inside its field
};

// Arguments a command does not use are ignored (the library always queues 0 there).
// `path` matters for Load only.
CommandCheck checkCommand(int32_t code, int32_t argument1, int32_t argument2,
                          std::string_view path);

// The path rule alone: non-empty, no zero byte, at most PATH_MAX_CHARACTERS characters
// and PATH_FIELD_BYTES - 1 bytes. Characters are counted as UTF-8 lead bytes, so a path
// whose bytes are not valid UTF-8 is still measured without reading past its end.
J4AUTO_API bool isValidLoadPath(std::string_view path);

// A path field as it lies in the queue: valid when a zero byte ends it inside the field
// and the text before it passes isValidLoadPath.
bool isValidPathField(const char* field, int fieldBytes);

// Show times a client may ask for: -1 (none / the current time) or 0..86 399 999 ms.
bool isCommandTime(int32_t ms);

const char* commandCheckText(CommandCheck check);

}  // namespace j4::automation
