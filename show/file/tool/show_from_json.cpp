#include "show/file/tool/show_from_json.h"

#include <algorithm>
#include <limits>
#include <new>
#include <set>

#include "common/byte_reader.h"
#include "common/byte_writer.h"
#include "common/utf16.h"
#include "engine/event_structure.h"
#include "show/control_record.h"
#include "show/fader_control.h"
#include "show/file/tool/channel_text.h"
#include "show/file/tool/json_keys.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"

namespace j4::show::tool {

namespace {

// The first refusal ends the import; caught at the boundary below.
struct Refusal {
    std::string text;
};

constexpr int64_t INT32_LOW = std::numeric_limits<int32_t>::min();
constexpr int64_t INT32_HIGH = std::numeric_limits<int32_t>::max();

// A JSON value and where it sits in the document.
class Node {
  public:
    Node(const JsonInput& value, std::string path) : value_(value), path_(std::move(path)) {}

    const JsonInput& json() const { return value_; }
    const std::string& path() const { return path_; }

    [[noreturn]] void refuse(const std::string& why) const { throw Refusal{path_ + ": " + why}; }

    // An object whose keys are all in `allowed`.
    void expectObject(std::initializer_list<const char*> allowed) const {
        if (!value_.is_object()) refuse("must be an object");
        for (const auto& [k, v] : value_.items()) {
            const bool known =
                std::any_of(allowed.begin(), allowed.end(), [&k](const char* a) { return k == a; });
            if (!known) Node(v, memberPath(path_, k)).refuse("unknown key");
        }
    }

    std::optional<Node> member(const char* key) const {
        auto it = value_.find(key);
        if (it == value_.end()) return std::nullopt;
        return Node(*it, memberPath(path_, key));
    }
    Node required(const char* key) const {
        auto m = member(key);
        if (!m) refuse(std::string("\"") + key + "\" is missing");
        return *m;
    }

    // The elements of an array; `size` when it must have exactly that many.
    std::vector<Node> elements(std::optional<size_t> size = std::nullopt) const {
        if (!value_.is_array()) refuse("must be an array");
        if (size && value_.size() != *size)
            refuse("must have " + std::to_string(*size) + " elements, not " +
                   std::to_string(value_.size()));
        std::vector<Node> out;
        out.reserve(value_.size());
        for (size_t i = 0; i < value_.size(); ++i)
            out.emplace_back(value_[i], elementPath(path_, i));
        return out;
    }

    int32_t integer(int64_t low = INT32_LOW, int64_t high = INT32_HIGH) const {
        const auto range = [&] {
            return "must be an integer from " + std::to_string(low) + " to " + std::to_string(high);
        };
        int64_t v = 0;
        if (value_.is_number_unsigned()) {
            const uint64_t u = value_.get<uint64_t>();
            if (u > static_cast<uint64_t>(high)) refuse(range());
            v = static_cast<int64_t>(u);
        } else if (value_.is_number_integer()) {
            v = value_.get<int64_t>();
        } else {
            refuse(range());
        }
        if (v < low || v > high) refuse(range());
        return static_cast<int32_t>(v);
    }

    bool boolean() const {
        if (!value_.is_boolean()) refuse("must be true or false");
        return value_.get<bool>();
    }

    // Text a show file can hold: at most MAX_STRING_BYTES of UTF-16.
    std::string text() const {
        if (!value_.is_string()) refuse("must be a string");
        std::string s = value_.get<std::string>();
        if (common::utf8ToUtf16(s).size() * 2 > static_cast<size_t>(common::MAX_STRING_BYTES))
            refuse("text longer than " + std::to_string(common::MAX_STRING_BYTES / 2) +
                   " UTF-16 units");
        return s;
    }

    common::Identity identity() const {
        if (!value_.is_string()) refuse("must be an identity text");
        auto id = common::Identity::fromText(value_.get<std::string>());
        if (!id) refuse("must be an identity {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
        return *id;
    }

    // Members with a default when left out.
    int32_t integerOr(const char* key, int32_t fallback, int64_t low = INT32_LOW,
                      int64_t high = INT32_HIGH) const {
        auto m = member(key);
        return m ? m->integer(low, high) : fallback;
    }
    bool booleanOr(const char* key, bool fallback) const {
        auto m = member(key);
        return m ? m->boolean() : fallback;
    }
    std::string textOr(const char* key, std::string fallback = {}) const {
        auto m = member(key);
        return m ? m->text() : std::move(fallback);
    }

  private:
    const JsonInput& value_;
    std::string path_;
};

constexpr int32_t OFFSET_HIGH = common::FRAME_CHANNELS - 1;

class ShowBuilder {
  public:
    ShowBuilder(const EffectLibrary& effects, ShowContent& out) : effects_(effects), out_(out) {}

    void build(const Node& root) {
        root.expectObject({key::FORMAT, key::FORMAT_VERSION, key::TIMECODE, key::EVENT_LISTS,
                           key::DEVICES, key::CUES, key::SUBMASTERS, key::PRESETS, key::DMX_INPUT});
        const Node format = root.required(key::FORMAT);
        if (!format.json().is_string() || format.json().get<std::string>() != JSON_FORMAT)
            format.refuse(std::string("must be \"") + JSON_FORMAT + "\"");
        root.required(key::FORMAT_VERSION).integer(JSON_FORMAT_VERSION, JSON_FORMAT_VERSION);
        if (auto t = root.member(key::TIMECODE)) {
            t->expectObject({key::LOST_TIMECODE_SWITCH, key::OFFSET});
            out_.lostTimecodeSwitch = t->booleanOr(key::LOST_TIMECODE_SWITCH, false);
            out_.timecodeOffset = t->integerOr(key::OFFSET, 0);
        }
        if (auto lists = root.member(key::EVENT_LISTS)) {
            const auto elements = lists->elements(common::EVENT_LIST_COUNT);
            for (size_t k = 0; k < elements.size(); ++k) eventList(elements[k], out_.lists[k]);
        }
        if (auto devices = root.member(key::DEVICES))
            for (const Node& d : devices->elements()) device(d);
        if (auto cues = root.member(key::CUES)) {
            std::vector<std::pair<std::unique_ptr<Cue>, std::string>> built;
            for (const Node& c : cues->elements()) built.emplace_back(cue(c), c.path());
            std::stable_sort(built.begin(), built.end(), [](const auto& a, const auto& b) {
                return a.first->number() < b.first->number();
            });
            for (size_t i = 1; i < built.size(); ++i)
                if (built[i].first->number() == built[i - 1].first->number())
                    Node(JsonInput(), built[i].second + "." + key::NUMBER)
                        .refuse("Cue number " + std::to_string(built[i].first->number()) +
                                " is also at " + built[i - 1].second);
            for (auto& [c, path] : built) out_.cues.push_back(std::move(c));
        }
        if (auto s = root.member(key::SUBMASTERS)) preset(*s, out_.submasterCues);
        if (auto presets = root.member(key::PRESETS)) {
            const auto elements = presets->elements(common::PRESET_COUNT);
            for (size_t p = 0; p < elements.size(); ++p) preset(elements[p], out_.presets[p]);
        }
        if (auto input = root.member(key::DMX_INPUT)) {
            input->expectObject({key::BASE, key::FLAGS});
            const engine::DmxInputSettings defaults;
            out_.input.base =
                input->integerOr(key::BASE, defaults.base, 1, common::CHANNELS_PER_UNIVERSE);
            out_.input.flags = input->integerOr(key::FLAGS, defaults.flags);
        }
    }

  private:
    void eventList(const Node& n, EventListContent& list) {
        n.expectObject({key::NAME, key::ENABLED, key::EVENTS});
        list.name = n.textOr(key::NAME);
        list.enabled = n.booleanOr(key::ENABLED, true);
        if (auto events = n.member(key::EVENTS)) {
            list.events.clear();
            for (const Node& e : events->elements()) list.events.push_back(event(e));
            if (list.events.empty()) events->refuse("needs at least Event 0");
            if (auto why = engine::validateEvents(list.events)) events->refuse(*why);
        }
    }

    engine::Event event(const Node& n) {
        n.expectObject({key::TIME, key::FADE_IN, key::FADE_OUT, key::CUE, key::STOP,
                        key::SPLIT_FADE, key::ROLE, key::COMMENT});
        engine::Event e;
        e.time = n.integerOr(key::TIME, e.time, 0, engine::MAX_EVENT_TIME);
        e.fadeIn = n.integerOr(key::FADE_IN, e.fadeIn, 0);
        e.fadeOut = n.integerOr(key::FADE_OUT, e.fadeOut, 0);
        e.cue = n.integerOr(key::CUE, e.cue, common::NONE_CUE, common::LAST_CUE);
        e.stop = n.booleanOr(key::STOP, e.stop);
        e.splitFade = n.booleanOr(key::SPLIT_FADE, e.splitFade);
        if (auto role = n.member(key::ROLE)) {
            auto r = role->json().is_string() ? roleFromName(role->json().get<std::string>())
                                              : std::nullopt;
            if (!r)
                role->refuse("must be \"ordinary\", \"loopStart\", \"loopMember\" or \"loopEnd\"");
            e.role = *r;
        }
        e.comment = n.textOr(key::COMMENT);
        return e;
    }

    void device(const Node& n) {
        n.expectObject({key::NAME, key::TEMPLATE, key::ADDRESS, key::CONTROLS});
        std::string name = n.textOr(key::NAME);
        common::Identity identity;
        if (auto t = n.member(key::TEMPLATE)) identity = t->identity();
        int32_t base = 0;
        if (auto a = n.member(key::ADDRESS)) {
            auto index = a->json().is_string() ? addressFromText(a->json().get<std::string>())
                                               : std::nullopt;
            if (!index) a->refuse("must be an address \"U.C\" (universe 1..16, channel 1..512)");
            base = *index;
        }
        ControlList controls;
        if (auto list = n.member(key::CONTROLS))
            for (const Node& c : list->elements()) {
                common::ByteWriter record;
                controls.push_back(control(c, record, 0));
            }
        auto built = Device::fromParts(identity, std::move(name), base, std::move(controls));
        if (!built)
            n.refuse("its controls reach past channel 16.512 at address " + addressText(base));
        out_.devices.push_back(std::move(built));
    }

    // Writes the control's record (with its kind) to `out` and reads it back with the
    // show file's own control reader, so a control passes here exactly when a show file
    // holding it would load. `nesting`: the mode pages around it.
    std::unique_ptr<Control> control(const Node& n, common::ByteWriter& out, int nesting) {
        if (!n.json().is_object()) n.refuse("must be an object");
        const Node kindNode = n.required(key::KIND);
        auto kind = kindNode.json().is_string() ? kindFromName(kindNode.json().get<std::string>())
                                                : std::nullopt;
        if (!kind) kindNode.refuse("must be \"select\", \"fader\", \"mode\" or \"position\"");
        common::ByteWriter record;
        record.int32(static_cast<int32_t>(*kind));
        LayoutRect layout;
        if (auto l = n.member(key::LAYOUT)) {
            const auto sides = l->elements(4);
            layout = {sides[0].integer(), sides[1].integer(), sides[2].integer(),
                      sides[3].integer()};
        }
        record.int32(layout.left);
        record.int32(layout.top);
        record.int32(layout.right);
        record.int32(layout.bottom);
        record.string(n.textOr(key::NAME));
        switch (*kind) {
            case ControlKind::Select: {
                n.expectObject(
                    {key::KIND, key::NAME, key::LAYOUT, key::CHANNEL_OFFSET, key::ITEMS});
                record.int32(n.integerOr(key::CHANNEL_OFFSET, 0, 0, OFFSET_HIGH));
                std::vector<Node> items;
                if (auto i = n.member(key::ITEMS)) items = i->elements();
                record.int32(static_cast<int32_t>(items.size()));
                for (const Node& item : items) {
                    item.expectObject({key::VALUE, key::DESCRIPTION});
                    record.uint8(static_cast<uint8_t>(item.integerOr(key::VALUE, 0, 0, 255)));
                    record.string(item.textOr(key::DESCRIPTION));
                }
                break;
            }
            case ControlKind::Fader: {
                n.expectObject({key::KIND, key::NAME, key::LAYOUT, key::TWO_CHANNELS,
                                key::HIGH_CHANNEL_OFFSET, key::CHANNEL_OFFSET, key::MAXIMUM,
                                key::MINIMUM, key::REVERSE, key::GRAND_MASTER});
                const FaderControl d;
                const bool two = n.booleanOr(key::TWO_CHANNELS, d.twoChannels());
                record.boolean(two);
                // Unused by a one-channel fader, so any value a file holds is kept.
                record.int32(two ? n.integerOr(key::HIGH_CHANNEL_OFFSET, 0, 0, OFFSET_HIGH)
                                 : n.integerOr(key::HIGH_CHANNEL_OFFSET, 0));
                record.int32(n.integerOr(key::CHANNEL_OFFSET, 0, 0, OFFSET_HIGH));
                const int32_t maximum =
                    n.integerOr(key::MAXIMUM, d.maximum(), 0, FaderControl::MAX_16BIT);
                const int32_t minimum = n.integerOr(key::MINIMUM, d.minimum(), 0, maximum);
                record.int32(maximum);
                record.int32(minimum);
                record.boolean(n.booleanOr(key::REVERSE, d.reverse()));
                record.boolean(n.booleanOr(key::GRAND_MASTER, d.grandMasterControlled()));
                break;
            }
            case ControlKind::Mode: {
                n.expectObject({key::KIND, key::NAME, key::LAYOUT, key::CHANNEL_OFFSET, key::ACTIVE,
                                key::PAGES});
                record.int32(n.integerOr(key::CHANNEL_OFFSET, 0, 0, OFFSET_HIGH));
                record.boolean(n.booleanOr(key::ACTIVE, PagedModeControl().active()));
                std::vector<Node> pages;
                if (auto p = n.member(key::PAGES)) pages = p->elements();
                // Checked before going deeper, so no document can nest without bound.
                if (!pages.empty() && nesting >= MAX_MODE_NESTING)
                    n.refuse("mode pages nested deeper than " + std::to_string(MAX_MODE_NESTING) +
                             " levels");
                record.int32(static_cast<int32_t>(pages.size()));
                for (const Node& page : pages) {
                    page.expectObject({key::MODE_VALUE, key::RANGE_LOW, key::RANGE_HIGH, key::TAB,
                                       key::CONTROLS});
                    record.uint8(static_cast<uint8_t>(page.integerOr(key::MODE_VALUE, 0, 0, 255)));
                    record.uint8(static_cast<uint8_t>(page.integerOr(key::RANGE_LOW, 0, 0, 255)));
                    record.uint8(static_cast<uint8_t>(page.integerOr(key::RANGE_HIGH, 0, 0, 255)));
                    record.string(page.textOr(key::TAB));
                    std::vector<Node> subs;
                    if (auto c = page.member(key::CONTROLS)) subs = c->elements();
                    record.int32(static_cast<int32_t>(subs.size()));
                    for (const Node& sub : subs) control(sub, record, nesting + 1);
                }
                break;
            }
            case ControlKind::Position: {
                n.expectObject({key::KIND, key::NAME, key::LAYOUT, key::FOUR_CHANNELS,
                                key::PAN_OFFSET, key::PAN_FINE_OFFSET, key::TILT_OFFSET,
                                key::TILT_FINE_OFFSET, key::PAD_STYLE});
                const PositionControl d;
                const bool four = n.booleanOr(key::FOUR_CHANNELS, d.fourChannels());
                // Fine offsets are unused with two channels; any value a file holds is kept.
                const int64_t fineLow = four ? 0 : INT32_LOW;
                const int64_t fineHigh = four ? OFFSET_HIGH : INT32_HIGH;
                record.boolean(four);
                record.int32(n.integerOr(key::PAN_OFFSET, 0, 0, OFFSET_HIGH));
                record.int32(n.integerOr(key::PAN_FINE_OFFSET, 0, fineLow, fineHigh));
                record.int32(n.integerOr(key::TILT_OFFSET, 0, 0, OFFSET_HIGH));
                record.int32(n.integerOr(key::TILT_FINE_OFFSET, 0, fineLow, fineHigh));
                record.boolean(n.booleanOr(key::PAD_STYLE, d.padStyle()));
                break;
            }
        }
        common::ByteReader in(record.bytes());
        auto loaded = loadControlWithKind(in, nesting);
        if (!loaded) n.refuse(in.error());
        out.raw(record.bytes());
        return loaded;
    }

    std::unique_ptr<Cue> cue(const Node& n) {
        n.expectObject(
            {key::NUMBER, key::NAME, key::DESCRIPTION, key::DEVICES, key::EFFECTS, key::VALUES});
        auto c = std::make_unique<Cue>(
            n.required(key::NUMBER).integer(common::FIRST_CUE, common::LAST_CUE));
        c->setName(n.textOr(key::NAME));
        c->setDescription(n.textOr(key::DESCRIPTION));
        const int64_t lastDevice = static_cast<int64_t>(out_.devices.size()) - 1;
        if (auto devices = n.member(key::DEVICES))
            for (const Node& d : devices->elements()) {
                const int32_t index = deviceIndex(d, lastDevice);
                if (!c->addDevice(out_.devices[index].get()))
                    d.refuse("Device index " + std::to_string(index) + " appears twice");
            }
        if (auto effects = n.member(key::EFFECTS))
            for (const Node& e : effects->elements()) effect(e, *c, lastDevice);
        if (auto values = n.member(key::VALUES)) {
            if (!values->json().is_object()) values->refuse("must be an object");
            for (const auto& [address, value] : values->json().items()) {
                const Node v(value, memberPath(values->path(), address));
                // Key spellings are unique per channel, so a channel cannot come twice.
                auto index = addressFromText(address);
                if (!index)
                    v.refuse("not a channel address \"U.C\" (universe 1..16, channel 1..512)");
                c->values()[*index] = static_cast<uint8_t>(v.integer(0, 255));
            }
        }
        return c;
    }

    int32_t deviceIndex(const Node& n, int64_t lastDevice) {
        if (!n.json().is_number_integer()) n.refuse("must be a Device index");
        const int64_t index = n.json().get<int64_t>();
        if (index < 0 || index > lastDevice)
            n.refuse("Device index " + std::to_string(index) + " out of range");
        return static_cast<int32_t>(index);
    }

    void effect(const Node& n, Cue& c, int64_t lastDevice) {
        n.expectObject({key::DEVICE, key::CONTROL, key::SHAPE, key::GAIN, key::SPEED, key::ROTATION,
                        key::REVERSE});
        const Node deviceNode = n.required(key::DEVICE);
        Device& device = *out_.devices[deviceIndex(deviceNode, lastDevice)];
        if (!c.containsDevice(&device)) deviceNode.refuse("the Device is not in the Cue");
        const Node controlNode = n.required(key::CONTROL);
        const int32_t controlIndex =
            controlNode.integer(0, static_cast<int64_t>(device.controls().size()) - 1);
        Control* control = device.controls()[controlIndex].get();
        if (control->kind() != ControlKind::Position)
            controlNode.refuse("control " + std::to_string(controlIndex) +
                               " is not a position control");
        const Node shapeNode = n.required(key::SHAPE);
        const common::Identity shapeId = shapeNode.identity();
        const EffectShape* shape = effects_.find(shapeId);
        if (!shape)
            shapeNode.refuse("effect shape " + shapeId.text() + " is not in the effect library");
        EffectSettings s;
        s.gain = n.integerOr(key::GAIN, s.gain, EffectSettings::MIN_GAIN, EffectSettings::MAX_GAIN);
        s.speed =
            n.integerOr(key::SPEED, s.speed, EffectSettings::MIN_SPEED, EffectSettings::MAX_SPEED);
        s.rotation = n.integerOr(key::ROTATION, s.rotation, EffectSettings::MIN_ROTATION,
                                 EffectSettings::MAX_ROTATION);
        s.reverse = n.integerOr(key::REVERSE, s.reverse, 0, 1);
        if (!c.addEffectEntry(control, shape, s))
            controlNode.refuse("a second effect on the same control");
    }

    void preset(const Node& n, engine::Preset& into) {
        const auto elements = n.elements(common::SUBMASTER_COUNT);
        for (size_t i = 0; i < elements.size(); ++i)
            into[i] = elements[i].integer(common::NONE_CUE, common::LAST_CUE);
    }

    const EffectLibrary& effects_;
    ShowContent& out_;
};

}  // namespace

bool showFromJson(const JsonInput& document, const EffectLibrary& effects, ShowContent& out,
                  std::string& error) {
    try {
        ShowContent content;
        ShowBuilder(effects, content).build(Node(document, "$"));
        out = std::move(content);
        return true;
    } catch (const Refusal& r) {
        error = r.text;
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    }
    return false;
}

}  // namespace j4::show::tool
