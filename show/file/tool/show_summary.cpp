#include "show/file/tool/show_summary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "common/time_value.h"
#include "show/effect_shape.h"
#include "show/file/tool/channel_text.h"
#include "show/file/tool/json_keys.h"
#include "show/file/tool/json_text.h"
#include "show/position_control.h"

namespace j4::show::tool {

namespace {

std::string quoted(const std::string& text) {
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Seconds with milliseconds: "1.500".
std::string seconds(int32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03d", ms / 1000, ms % 1000);
    return text;
}

std::string eventTime(const engine::Event& e) {
    const std::string t = common::TimeValue::fromMilliseconds(e.time).longText();
    // Loop members and the loop end are timed from their loop's start.
    return engine::hasAbsoluteTime(e.role) ? t : "+" + t;
}

std::string cueText(common::CueNumber n) {
    return n == common::NONE_CUE ? "-" : std::to_string(n);
}

std::string presetText(const engine::Preset& preset) {
    std::string out;
    for (size_t i = 0; i < preset.size(); ++i)
        if (preset[i] != common::NONE_CUE) {
            if (!out.empty()) out += ", ";
            out += std::to_string(i + 1) + ": Cue " + std::to_string(preset[i]);
        }
    return out.empty() ? "empty" : out;
}

int deviceIndexOf(const ShowContent& show, const Device* d) {
    for (size_t i = 0; i < show.devices.size(); ++i)
        if (show.devices[i].get() == d) return static_cast<int>(i);
    return -1;
}

void devices(const ShowContent& show, std::ostringstream& out) {
    out << "\nDevices (" << show.devices.size() << ")\n";
    for (size_t i = 0; i < show.devices.size(); ++i) {
        const Device& d = *show.devices[i];
        out << "  " << i << ": " << quoted(d.name()) << "  Template " << d.identity().text()
            << "  address " << addressText(d.baseAddress()) << "  span " << d.span() << "\n";
    }
}

void cues(const ShowContent& show, std::ostringstream& out) {
    out << "\nCues (" << show.cues.size() << ")\n";
    for (const auto& c : show.cues) {
        out << "  Cue " << c->number() << " " << quoted(c->name());
        if (!c->description().empty()) out << " (" << quoted(c->description()) << ")";
        out << ": Devices ";
        if (c->devices().empty()) out << "none";
        for (size_t i = 0; i < c->devices().size(); ++i)
            out << (i ? ", " : "") << deviceIndexOf(show, c->devices()[i]);
        out << "\n";
        for (const EffectEntry& e : c->effects()) {
            for (const Device* d : c->devices())
                if (const int control = d->controlIndex(e.control); control >= 0) {
                    out << "    effect on Device " << deviceIndexOf(show, d) << " control "
                        << control;
                    break;
                }
            out << ": shape "
                << (e.shape ? quoted(e.shape->name) + " " + e.shape->identity.text()
                            : std::string("?"))
                << ", gain " << e.settings.gain << ", speed " << e.settings.speed << ", rotation "
                << e.settings.rotation << (e.settings.reverse ? ", reverse" : "") << "\n";
        }
    }
}

void eventLists(const ShowContent& show, std::ostringstream& out) {
    for (size_t k = 0; k < show.lists.size(); ++k) {
        const EventListContent& list = show.lists[k];
        out << "\nEvent List " << k + 1 << " " << quoted(list.name) << ": "
            << (list.enabled ? "enabled" : "disabled") << ", " << list.events.size() << " Events\n";
        char line[160];
        std::snprintf(line, sizeof line, "  %4s  %-12s  %9s  %9s  %7s  %-4s  %-10s  %s\n", "#",
                      "time", "fade-in", "fade-out", "Cue", "stop", "role", "comment");
        out << line;
        for (size_t i = 0; i < list.events.size(); ++i) {
            const engine::Event& e = list.events[i];
            std::snprintf(line, sizeof line, "  %4zu  %-12s  %9s  %9s  %7s  %-4s  %s", i,
                          eventTime(e).c_str(), seconds(e.fadeIn).c_str(),
                          seconds(e.fadeOut).c_str(), cueText(e.cue).c_str(), e.stop ? "stop" : "-",
                          roleName(e.role));
            out << line;
            if (!e.comment.empty()) {
                out << std::string(10 - std::min<size_t>(10, std::strlen(roleName(e.role))) + 2,
                                   ' ')
                    << quoted(e.comment);
            }
            out << "\n";
        }
    }
}

}  // namespace

std::string inputFunctionsText(int32_t flags) {
    static const char* const NAMES[] = {"Submasters",         "Load Presets",
                                        "Grandmaster",        "XY-Faders",
                                        "Transport Controls", "Automation Transport Controls"};
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(flags));
    std::string names;
    for (int bit = 0; bit < 6; ++bit)
        if (flags & (1 << bit)) names += (names.empty() ? "" : ", ") + std::string(NAMES[bit]);
    return std::string(hex) + " (" + (names.empty() ? "none" : names) + ")";
}

std::string showSummary(const ShowContent& show) {
    std::ostringstream out;
    out << "File version " << show.version << "\n";
    out << "Timecode: lost-timecode switch " << (show.lostTimecodeSwitch ? "on" : "off")
        << ", offset " << show.timecodeOffset << " ms\n";
    out << "DMX input: base address " << show.input.base << ", functions "
        << inputFunctionsText(show.input.flags) << "\n";
    devices(show, out);
    cues(show, out);
    eventLists(show, out);
    out << "\nSubmasters: " << presetText(show.submasterCues) << "\n";
    out << "Presets\n";
    for (size_t p = 0; p < show.presets.size(); ++p)
        out << "  Preset " << p + 1 << ": " << presetText(show.presets[p]) << "\n";
    return out.str();
}

}  // namespace j4::show::tool
