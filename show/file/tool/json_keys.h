#pragma once
// The names of the show's JSON form, shared by export and import so both always agree.
//
// Layout of the JSON form (keys in this order; times and fades in milliseconds,
// channel offsets relative to the Device's first channel, addresses "U.C" with
// universe 1..16 and channel 1..512):
//   { "format": "corvanta-j4-show", "formatVersion": 1,
//     "timecode": { "lostTimecodeSwitch", "offset" },
//     "eventLists": [ 4 x { "name", "enabled", "events": [ { "time", "fadeIn", "fadeOut",
//                     "cue", "stop", "splitFade", "role", "comment" } ] } ],
//     "devices": [ { "name", "template", "address", "controls": [ control ] } ],
//     "cues": [ { "number", "name", "description", "devices": [ Device index ],
//                 "effects": [ { "device", "control", "shape", "gain", "speed",
//                                "rotation", "reverse" } ],
//                 "values": { "U.C": value, only channels that are not 0 } } ],
//     "submasters": [ 24 Cue numbers ], "presets": [ 24 x [ 24 Cue numbers ] ],
//     "dmxInput": { "base", "flags" } }
// A control: { "kind": "select" | "fader" | "mode" | "position", "name",
//   "layout": [left, top, right, bottom], then per kind:
//   select   "channelOffset", "items": [ { "value", "description" } ]
//   fader    "twoChannels", "highChannelOffset", "channelOffset", "maximum", "minimum",
//            "reverse", "grandMaster"
//   mode     "channelOffset", "active", "pages": [ { "modeValue", "rangeLow", "rangeHigh",
//            "tab", "controls": [ control ] } ]
//   position "fourChannels", "panOffset", "panFineOffset", "tiltOffset", "tiltFineOffset",
//            "padStyle" }

#include <optional>
#include <string_view>

#include "engine/event.h"
#include "show/control.h"

namespace j4::show::tool::key {

inline constexpr const char* FORMAT = "format";
inline constexpr const char* FORMAT_VERSION = "formatVersion";
inline constexpr const char* TIMECODE = "timecode";
inline constexpr const char* LOST_TIMECODE_SWITCH = "lostTimecodeSwitch";
inline constexpr const char* OFFSET = "offset";
inline constexpr const char* EVENT_LISTS = "eventLists";
inline constexpr const char* NAME = "name";
inline constexpr const char* ENABLED = "enabled";
inline constexpr const char* EVENTS = "events";
inline constexpr const char* TIME = "time";
inline constexpr const char* FADE_IN = "fadeIn";
inline constexpr const char* FADE_OUT = "fadeOut";
inline constexpr const char* CUE = "cue";
inline constexpr const char* STOP = "stop";
inline constexpr const char* SPLIT_FADE = "splitFade";
inline constexpr const char* ROLE = "role";
inline constexpr const char* COMMENT = "comment";
inline constexpr const char* DEVICES = "devices";
inline constexpr const char* TEMPLATE = "template";
inline constexpr const char* ADDRESS = "address";
inline constexpr const char* CONTROLS = "controls";
inline constexpr const char* CUES = "cues";
inline constexpr const char* NUMBER = "number";
inline constexpr const char* DESCRIPTION = "description";
inline constexpr const char* EFFECTS = "effects";
inline constexpr const char* DEVICE = "device";
inline constexpr const char* CONTROL = "control";
inline constexpr const char* SHAPE = "shape";
inline constexpr const char* GAIN = "gain";
inline constexpr const char* SPEED = "speed";
inline constexpr const char* ROTATION = "rotation";
inline constexpr const char* REVERSE = "reverse";
inline constexpr const char* VALUES = "values";
inline constexpr const char* SUBMASTERS = "submasters";
inline constexpr const char* PRESETS = "presets";
inline constexpr const char* DMX_INPUT = "dmxInput";
inline constexpr const char* BASE = "base";
inline constexpr const char* FLAGS = "flags";
// Controls.
inline constexpr const char* KIND = "kind";
inline constexpr const char* LAYOUT = "layout";
inline constexpr const char* CHANNEL_OFFSET = "channelOffset";
inline constexpr const char* ITEMS = "items";
inline constexpr const char* VALUE = "value";
inline constexpr const char* TWO_CHANNELS = "twoChannels";
inline constexpr const char* HIGH_CHANNEL_OFFSET = "highChannelOffset";
inline constexpr const char* MAXIMUM = "maximum";
inline constexpr const char* MINIMUM = "minimum";
inline constexpr const char* GRAND_MASTER = "grandMaster";
inline constexpr const char* ACTIVE = "active";
inline constexpr const char* PAGES = "pages";
inline constexpr const char* MODE_VALUE = "modeValue";
inline constexpr const char* RANGE_LOW = "rangeLow";
inline constexpr const char* RANGE_HIGH = "rangeHigh";
inline constexpr const char* TAB = "tab";
inline constexpr const char* FOUR_CHANNELS = "fourChannels";
inline constexpr const char* PAN_OFFSET = "panOffset";
inline constexpr const char* PAN_FINE_OFFSET = "panFineOffset";
inline constexpr const char* TILT_OFFSET = "tiltOffset";
inline constexpr const char* TILT_FINE_OFFSET = "tiltFineOffset";
inline constexpr const char* PAD_STYLE = "padStyle";

}  // namespace j4::show::tool::key

namespace j4::show::tool {

// The value of "format" and the version of the JSON form this tool writes and reads.
inline constexpr const char* JSON_FORMAT = "corvanta-j4-show";
inline constexpr int JSON_FORMAT_VERSION = 1;

// "ordinary", "loopStart", "loopMember", "loopEnd".
const char* roleName(engine::EventRole role);
std::optional<engine::EventRole> roleFromName(std::string_view name);

// "select", "fader", "mode", "position".
const char* kindName(ControlKind kind);
std::optional<ControlKind> kindFromName(std::string_view name);

}  // namespace j4::show::tool
