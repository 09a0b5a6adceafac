#include "show/file/tool/show_to_json.h"

#include "show/effect_shape.h"
#include "show/fader_control.h"
#include "show/file/tool/channel_text.h"
#include "show/file/tool/json_keys.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::show::tool {

namespace {

Json presetToJson(const engine::Preset& preset) {
    Json list = Json::array();
    for (common::CueNumber n : preset) list.push_back(n);
    return list;
}

Json eventToJson(const engine::Event& e) {
    Json j;
    j[key::TIME] = e.time;
    j[key::FADE_IN] = e.fadeIn;
    j[key::FADE_OUT] = e.fadeOut;
    j[key::CUE] = e.cue;
    j[key::STOP] = e.stop;
    j[key::SPLIT_FADE] = e.splitFade;
    j[key::ROLE] = roleName(e.role);
    j[key::COMMENT] = e.comment;
    return j;
}

Json controlsToJson(const ControlList& controls) {
    Json list = Json::array();
    for (const auto& c : controls) list.push_back(controlToJson(*c));
    return list;
}

Json cueToJson(const Cue& cue, const ShowContent& show) {
    auto deviceIndex = [&show](const Device* d) -> int {
        for (size_t i = 0; i < show.devices.size(); ++i)
            if (show.devices[i].get() == d) return static_cast<int>(i);
        return -1;
    };
    Json j;
    j[key::NUMBER] = cue.number();
    j[key::NAME] = cue.name();
    j[key::DESCRIPTION] = cue.description();
    Json devices = Json::array();
    for (const Device* d : cue.devices()) devices.push_back(deviceIndex(d));
    j[key::DEVICES] = std::move(devices);
    Json effects = Json::array();
    for (const EffectEntry& entry : cue.effects()) {
        Json e;
        // The entry's control belongs to one of the Cue's Devices (the reader checks it).
        for (const Device* d : cue.devices())
            if (const int c = d->controlIndex(entry.control); c >= 0) {
                e[key::DEVICE] = deviceIndex(d);
                e[key::CONTROL] = c;
                break;
            }
        e[key::SHAPE] = entry.shape ? entry.shape->identity.text() : common::Identity{}.text();
        e[key::GAIN] = entry.settings.gain;
        e[key::SPEED] = entry.settings.speed;
        e[key::ROTATION] = entry.settings.rotation;
        e[key::REVERSE] = entry.settings.reverse;
        effects.push_back(std::move(e));
    }
    j[key::EFFECTS] = std::move(effects);
    Json values = Json::object();
    // Appended without the object's own insert, which would compare each new key with
    // every earlier one; the channel addresses are unique anyway.
    auto& members = static_cast<Json::object_t::Container&>(values.get_ref<Json::object_t&>());
    for (int32_t ch = 0; ch < common::FRAME_CHANNELS; ++ch)
        if (cue.values()[ch] != 0) members.emplace_back(addressText(ch), cue.values()[ch]);
    j[key::VALUES] = std::move(values);
    return j;
}

}  // namespace

Json controlToJson(const Control& control) {
    Json j;
    j[key::KIND] = kindName(control.kind());
    j[key::NAME] = control.name();
    const LayoutRect& r = control.layout();
    j[key::LAYOUT] = Json::array({r.left, r.top, r.right, r.bottom});
    switch (control.kind()) {
        case ControlKind::Select: {
            const auto& s = static_cast<const SelectControl&>(control);
            j[key::CHANNEL_OFFSET] = s.channelOffset();
            Json items = Json::array();
            for (const SelectItem& item : s.items())
                items.push_back(
                    Json{{key::VALUE, item.value}, {key::DESCRIPTION, item.description}});
            j[key::ITEMS] = std::move(items);
            break;
        }
        case ControlKind::Fader: {
            const auto& f = static_cast<const FaderControl&>(control);
            j[key::TWO_CHANNELS] = f.twoChannels();
            j[key::HIGH_CHANNEL_OFFSET] = f.highChannelOffset();
            j[key::CHANNEL_OFFSET] = f.channelOffset();
            j[key::MAXIMUM] = f.maximum();
            j[key::MINIMUM] = f.minimum();
            j[key::REVERSE] = f.reverse();
            j[key::GRAND_MASTER] = f.grandMasterControlled();
            break;
        }
        case ControlKind::Mode: {
            const auto& m = static_cast<const PagedModeControl&>(control);
            j[key::CHANNEL_OFFSET] = m.channelOffset();
            j[key::ACTIVE] = m.active();
            Json pages = Json::array();
            for (const ModePage& page : m.pages()) {
                Json p;
                p[key::MODE_VALUE] = page.modeValue;
                p[key::RANGE_LOW] = page.rangeLow;
                p[key::RANGE_HIGH] = page.rangeHigh;
                p[key::TAB] = page.tabText;
                p[key::CONTROLS] = controlsToJson(page.controls);
                pages.push_back(std::move(p));
            }
            j[key::PAGES] = std::move(pages);
            break;
        }
        case ControlKind::Position: {
            const auto& p = static_cast<const PositionControl&>(control);
            j[key::FOUR_CHANNELS] = p.fourChannels();
            j[key::PAN_OFFSET] = p.panOffset();
            j[key::PAN_FINE_OFFSET] = p.panFineOffset();
            j[key::TILT_OFFSET] = p.tiltOffset();
            j[key::TILT_FINE_OFFSET] = p.tiltFineOffset();
            j[key::PAD_STYLE] = p.padStyle();
            break;
        }
    }
    return j;
}

Json showToJson(const ShowContent& show) {
    Json j;
    j[key::FORMAT] = JSON_FORMAT;
    j[key::FORMAT_VERSION] = JSON_FORMAT_VERSION;
    j[key::TIMECODE] = Json{{key::LOST_TIMECODE_SWITCH, show.lostTimecodeSwitch},
                            {key::OFFSET, show.timecodeOffset}};
    Json lists = Json::array();
    for (const EventListContent& list : show.lists) {
        Json l;
        l[key::NAME] = list.name;
        l[key::ENABLED] = list.enabled;
        Json events = Json::array();
        for (const engine::Event& e : list.events) events.push_back(eventToJson(e));
        l[key::EVENTS] = std::move(events);
        lists.push_back(std::move(l));
    }
    j[key::EVENT_LISTS] = std::move(lists);
    Json devices = Json::array();
    for (const auto& d : show.devices) {
        Json dj;
        dj[key::NAME] = d->name();
        dj[key::TEMPLATE] = d->identity().text();
        dj[key::ADDRESS] = addressText(d->baseAddress());
        dj[key::CONTROLS] = controlsToJson(d->controls());
        devices.push_back(std::move(dj));
    }
    j[key::DEVICES] = std::move(devices);
    Json cues = Json::array();
    for (const auto& c : show.cues) cues.push_back(cueToJson(*c, show));
    j[key::CUES] = std::move(cues);
    j[key::SUBMASTERS] = presetToJson(show.submasterCues);
    Json presets = Json::array();
    for (const engine::Preset& p : show.presets) presets.push_back(presetToJson(p));
    j[key::PRESETS] = std::move(presets);
    j[key::DMX_INPUT] = Json{{key::BASE, show.input.base}, {key::FLAGS, show.input.flags}};
    return j;
}

}  // namespace j4::show::tool
