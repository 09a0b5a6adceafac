#include "automation/commands.h"

#include <cstring>

#include "common/layers.h"
#include "common/level.h"
#include "common/time_value.h"

namespace j4::automation {

namespace {

bool inRange(int32_t v, int32_t low, int32_t high) {
    return v >= low && v <= high;
}
bool isLevel(int32_t v) {
    return inRange(v, 0, common::FULL_LEVEL);
}
bool isSubmaster(int32_t v) {
    return inRange(v, 0, common::SUBMASTER_COUNT - 1);
}
bool isFader(int32_t v) {
    return common::isEventListIndex(v);
}
bool isAuxSubmaster(int32_t v) {
    return inRange(v, 0, common::AUX_SUBMASTER_COUNT - 1);
}

bool argumentsInRange(CommandCode code, int32_t a1, int32_t a2) {
    switch (code) {
        case CommandCode::SetSubmasterLevel:
            return isSubmaster(a1) && isLevel(a2);
        case CommandCode::RecallPreset:
            return inRange(a1, 0, common::PRESET_COUNT - 1);
        case CommandCode::SetGrandmasterLevel:
            return isLevel(a1);
        case CommandCode::SetXLevel:
        case CommandCode::SetYLevel:
            return isFader(a1) && isLevel(a2);
        // Any Cue number may be assigned: the console resolves it against its Cues.
        case CommandCode::SetSubmasterCue:
            return isSubmaster(a1);
        case CommandCode::SetXCue:
        case CommandCode::SetYCue:
            return isFader(a1);
        case CommandCode::SetTransportMode:
            return inRange(a1, 0, 2);
        case CommandCode::Play:
        case CommandCode::Record:
            return isCommandTime(a1);
        case CommandCode::Automate:
            return isCommandTime(a1) && isCommandTime(a2);
        case CommandCode::Stop:
        case CommandCode::Load:
            return true;
        case CommandCode::SetAuxSubLevel:
            return isAuxSubmaster(a1) && isLevel(a2);
        case CommandCode::SetAuxSubCue:
            return isAuxSubmaster(a1);
    }
    return false;
}

}  // namespace

bool isCommandTime(int32_t ms) {
    return ms == common::NO_TIME || inRange(ms, 0, common::MS_PER_DAY - 1);
}

bool isValidLoadPath(std::string_view path) {
    if (path.empty() || path.size() > static_cast<size_t>(PATH_FIELD_BYTES - 1)) return false;
    int characters = 0;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0) return false;
        if ((byte & 0xC0) != 0x80) ++characters;
    }
    return characters <= PATH_MAX_CHARACTERS;
}

bool isValidPathField(const char* field, int fieldBytes) {
    if (field == nullptr || fieldBytes <= 0) return false;
    const void* end = std::memchr(field, 0, static_cast<size_t>(fieldBytes));
    if (end == nullptr) return false;
    return isValidLoadPath(std::string_view(field, static_cast<const char*>(end) - field));
}

CommandCheck checkCommand(int32_t code, int32_t argument1, int32_t argument2,
                          std::string_view path) {
    if (code < FIRST_COMMAND_CODE || code > LAST_COMMAND_CODE) return CommandCheck::UnknownCode;
    const auto c = static_cast<CommandCode>(code);
    if (!argumentsInRange(c, argument1, argument2)) return CommandCheck::ArgumentOutOfRange;
    if (c == CommandCode::Load && !isValidLoadPath(path)) return CommandCheck::BadPath;
    return CommandCheck::Valid;
}

const char* commandCheckText(CommandCheck check) {
    switch (check) {
        case CommandCheck::Valid:
            return "valid";
        case CommandCheck::UnknownCode:
            return "unknown command code";
        case CommandCheck::ArgumentOutOfRange:
            return "argument out of range";
        case CommandCheck::BadPath:
            return "show path empty, too long or not terminated";
    }
    return "?";
}

}  // namespace j4::automation
