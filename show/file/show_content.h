#pragma once
// A whole show as plain data: what a show file holds, read completely and checked
// before it replaces the live show, and what the writer stores.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/layers.h"
#include "engine/event.h"
#include "engine/mixer.h"
#include "show/cue.h"
#include "show/device.h"

namespace j4::show {

// The versions a show file may carry; 272 and 288 read alike, 80 lacks the stop flag
// of Events and the input flags.
inline constexpr int32_t SHOW_VERSION_OLD = 80;
inline constexpr int32_t SHOW_VERSION_MIDDLE = 272;
inline constexpr int32_t SHOW_VERSION = 288;

constexpr bool isKnownShowVersion(int32_t v) {
    return v == SHOW_VERSION_OLD || v == SHOW_VERSION_MIDDLE || v == SHOW_VERSION;
}

struct EventListContent {
    bool enabled = true;
    std::string name;
    // Event 0 first; never empty once read.
    std::vector<engine::Event> events{engine::Event{}};
};

struct ShowContent {
    int32_t version = SHOW_VERSION;
    bool lostTimecodeSwitch = false;
    int32_t timecodeOffset = 0;
    std::array<EventListContent, common::EVENT_LIST_COUNT> lists;
    // Devices in store order; Cues in ascending number order, referring to these Devices.
    std::vector<std::unique_ptr<Device>> devices;
    std::vector<std::unique_ptr<Cue>> cues;
    engine::Preset submasterCues{};
    std::array<engine::Preset, common::PRESET_COUNT> presets{};
    engine::DmxInputSettings input;
};

// A read-only view of a show for the writer: the live show (taken under the engine
// lock) or a ShowContent.
struct ShowView {
    bool lostTimecodeSwitch = false;
    int32_t timecodeOffset = 0;
    std::array<EventListContent, common::EVENT_LIST_COUNT> lists;
    std::vector<const Device*> devices;
    std::vector<const Cue*> cues;
    engine::Preset submasterCues{};
    std::array<engine::Preset, common::PRESET_COUNT> presets{};
    engine::DmxInputSettings input;
};

ShowView viewOf(const ShowContent& content);

}  // namespace j4::show
