#include "show/file/show_reader.h"

#include <optional>
#include <set>

#include "common/byte_reader.h"
#include "common/cue_number.h"
#include "engine/event_structure.h"
#include "show/control_record.h"
#include "show/file/cue_data_code.h"
#include "show/file/show_layout.h"
#include "show/position_control.h"

namespace j4::show {

namespace {

using platform::Storage;

// A failure on the way: where and why. The first one wins.
class Failure {
  public:
    bool failed() const { return !reason_.empty(); }
    bool fail(std::string where, std::string why) {
        if (!failed()) reason_ = where + ": " + why;
        return false;
    }
    bool failReader(const std::string& where, const common::ByteReader& in) {
        return fail(where, in.error());
    }
    std::string take() { return std::move(reason_); }

  private:
    std::string reason_;
};

class ShowFileReader {
  public:
    ShowFileReader(const EffectLibrary& effects, ShowContent& out) : effects_(effects), out_(out) {}

    ShowReadResult read(const Storage& root) {
        ShowReadResult result;
        if (!readVersion(root)) {
            result.message = versionRefused_ ? common::MSG_FILE_VERSION_INCOMPATIBLE
                                             : common::MSG_SHOW_OPEN_FAILED;
            result.reason = failure_.take();
            return result;
        }
        if (!readEventLists(root) || !readDevices(root) || !readCues(root) || !readPresets(root) ||
            !readInput(root)) {
            result.message = common::MSG_SHOW_OPEN_FAILED;
            result.reason = failure_.take();
        }
        return result;
    }

  private:
    // The bytes of a stream, or a failure naming it.
    std::optional<std::vector<uint8_t>> streamBytes(const Storage& parent, const char* name,
                                                    const std::string& where) {
        auto stream = parent.openStream(name);
        if (!stream) {
            failure_.fail(where, stream.isNotFound() ? "stream missing" : stream.error().message);
            return std::nullopt;
        }
        return stream->readAll();
    }

    std::optional<Storage> storage(const Storage& parent, const char* name,
                                   const std::string& where) {
        auto s = parent.openStorage(name);
        if (!s) {
            failure_.fail(where, s.isNotFound() ? "storage missing" : s.error().message);
            return std::nullopt;
        }
        return *s;
    }

    bool readVersion(const Storage& root) {
        const std::string where = layout::versionStream();
        auto bytes = streamBytes(root, layout::versionStream(), where);
        if (!bytes) {
            versionRefused_ = true;
            return false;
        }
        common::ByteReader in(*bytes);
        const int32_t version = in.int32("version");
        if (!in.ok()) {
            versionRefused_ = true;
            return failure_.failReader(where, in);
        }
        if (!isKnownShowVersion(version)) {
            versionRefused_ = true;
            return failure_.fail(where,
                                 "version " + std::to_string(version) + " is not 80, 272 or 288");
        }
        out_.version = version;
        return true;
    }

    bool readEventLists(const Storage& root) {
        const std::string top = layout::eventLists();
        auto lists = storage(root, layout::eventLists(), top);
        if (!lists) return false;
        {
            const std::string where = top + "/" + layout::eventListSettings();
            auto bytes = streamBytes(*lists, layout::eventListSettings(), where);
            if (!bytes) return false;
            common::ByteReader in(*bytes);
            out_.lostTimecodeSwitch = in.boolean("lost-timecode switch");
            out_.timecodeOffset = in.int32("timecode offset");
            if (!in.ok()) return failure_.failReader(where, in);
        }
        for (int k = 0; k < common::EVENT_LIST_COUNT; ++k)
            if (!readEventList(*lists, k, top + "/" + std::to_string(k))) return false;
        return true;
    }

    bool readEventList(const Storage& lists, int k, const std::string& path) {
        auto list = storage(lists, std::to_string(k).c_str(), path);
        if (!list) return false;
        EventListContent& content = out_.lists[k];
        const std::string infoPath = path + "/" + layout::eventListInfo();
        auto info = streamBytes(*list, layout::eventListInfo(), infoPath);
        if (!info) return false;
        common::ByteReader infoIn(*info);
        const int32_t count = infoIn.int32("Event count");
        content.enabled = infoIn.boolean("enabled");
        content.name = infoIn.string("name");
        if (!infoIn.ok()) return failure_.failReader(infoPath, infoIn);
        if (count < 0) return failure_.fail(infoPath, "negative Event count");

        const std::string eventsPath = path + "/" + layout::events();
        auto bytes = streamBytes(*list, layout::events(), eventsPath);
        if (!bytes) return false;
        common::ByteReader in(*bytes);
        const bool old = out_.version == SHOW_VERSION_OLD;
        if (!in.fitsCount(count, old ? layout::EVENT_RECORD_MIN_V80 : layout::EVENT_RECORD_MIN,
                          "Event count"))
            return failure_.failReader(eventsPath, in);
        content.events.assign(1, engine::Event{});
        content.events.reserve(static_cast<size_t>(std::max(count, 1)));
        for (int32_t i = 0; i < count; ++i) {
            engine::Event e;
            e.time = in.int32("time");
            e.splitFade = in.boolean("split fade");
            e.stop = old ? false : in.boolean("stop");
            e.fadeIn = in.int32("fade-in");
            e.fadeOut = in.int32("fade-out");
            e.cue = in.int32("Cue number");
            const int32_t role = in.int32("role");
            e.comment = in.string("comment");
            if (!in.ok())
                return failure_.fail(eventsPath, "Event " + std::to_string(i) + ": " + in.error());
            if (!engine::isEventRole(role))
                return failure_.fail(eventsPath, "Event " + std::to_string(i) + ": role " +
                                                     std::to_string(role) + " unknown");
            e.role = static_cast<engine::EventRole>(role);
            // The first record fills the built-in Event 0; the others are appended.
            if (i == 0)
                content.events[0] = std::move(e);
            else
                content.events.push_back(std::move(e));
        }
        if (auto why = engine::validateEvents(content.events))
            return failure_.fail(eventsPath, *why);
        return true;
    }

    bool readDevices(const Storage& root) {
        const std::string top = layout::devices();
        auto devices = storage(root, layout::devices(), top);
        if (!devices) return false;
        if (!streamBytes(*devices, layout::groups(), top + "/" + layout::groups())) return false;
        // Reading stops at the first missing index.
        for (int index = 0;; ++index) {
            const std::string name = std::to_string(index);
            const std::string path = top + "/" + name;
            auto device = devices->openStorage(name);
            if (device.isNotFound()) break;
            if (!device) return failure_.fail(path, device.error().message);
            if (!readDevice(*device, path)) return false;
        }
        return true;
    }

    bool readDevice(const Storage& storage, const std::string& path) {
        const std::string infoPath = path + "/" + layout::deviceInfo();
        auto info = streamBytes(storage, layout::deviceInfo(), infoPath);
        if (!info) return false;
        common::ByteReader infoIn(*info);
        const common::Identity identity = infoIn.identity("Template identity");
        const int32_t group = infoIn.int32("group index");
        const int32_t base = infoIn.int32("base address");
        const int32_t controlCount = infoIn.int32("control count");
        std::string name = infoIn.string("name");
        if (!infoIn.ok()) return failure_.failReader(infoPath, infoIn);
        if (group != 0)
            return failure_.fail(infoPath, "group index " + std::to_string(group) + " is not 0");
        if (!common::isChannelIndex(base))
            return failure_.fail(infoPath,
                                 "base address " + std::to_string(base) + " outside 0..8191");

        const std::string controlsPath = path + "/" + layout::deviceControls();
        auto bytes = streamBytes(storage, layout::deviceControls(), controlsPath);
        if (!bytes) return false;
        common::ByteReader in(*bytes);
        ControlList controls;
        if (!loadControlList(in, controlCount, controls))
            return failure_.failReader(controlsPath, in);
        auto device = Device::fromParts(identity, std::move(name), base, std::move(controls));
        if (!device)
            return failure_.fail(
                controlsPath,
                "a control reaches outside channels 0..8191 at base " + std::to_string(base));
        out_.devices.push_back(std::move(device));
        return true;
    }

    bool readCues(const Storage& root) {
        const std::string top = layout::cues();
        auto cues = storage(root, layout::cues(), top);
        if (!cues) return false;
        common::CueNumber previous = common::NONE_CUE;
        for (int index = 0;; ++index) {
            const std::string name = std::to_string(index);
            const std::string path = top + "/" + name;
            auto cue = cues->openStorage(name);
            if (cue.isNotFound()) break;
            if (!cue) return failure_.fail(path, cue.error().message);
            if (!readCue(*cue, path, previous)) return false;
            previous = out_.cues.back()->number();
        }
        return true;
    }

    bool readCue(const Storage& storage, const std::string& path, common::CueNumber previous) {
        const std::string infoPath = path + "/" + layout::cueInfo();
        auto info = streamBytes(storage, layout::cueInfo(), infoPath);
        if (!info) return false;
        common::ByteReader infoIn(*info);
        const common::CueNumber number = infoIn.int32("Cue number");
        std::string name = infoIn.string("name");
        std::string description = infoIn.string("description");
        const int32_t deviceCount = infoIn.int32("Device count");
        const int32_t effectCount = infoIn.int32("effect count");
        if (!infoIn.ok()) return failure_.failReader(infoPath, infoIn);
        if (!common::isCueNumber(number))
            return failure_.fail(infoPath,
                                 "Cue number " + std::to_string(number) + " outside 1..1000000");
        if (number <= previous)
            return failure_.fail(infoPath,
                                 "Cue number " + std::to_string(number) +
                                     (number == previous ? " appears twice" : " out of order"));
        if (deviceCount < 0 || effectCount < 0)
            return failure_.fail(infoPath, "negative Device or effect count");

        auto cue = std::make_unique<Cue>(number);
        cue->setName(std::move(name));
        cue->setDescription(std::move(description));
        if (deviceCount != 0 && !readCueDevices(storage, path, deviceCount, *cue)) return false;
        if (effectCount != 0 && !readCueEffects(storage, path, effectCount, *cue)) return false;

        const std::string dataPath = path + "/" + layout::cueData();
        auto data = streamBytes(storage, layout::cueData(), dataPath);
        if (!data) return false;
        std::string why;
        if (!decodeCueData(*data, cue->values(), &why)) return failure_.fail(dataPath, why);
        out_.cues.push_back(std::move(cue));
        return true;
    }

    bool readCueDevices(const Storage& storage, const std::string& path, int32_t count, Cue& cue) {
        const std::string where = path + "/" + layout::cueDevices();
        auto bytes = streamBytes(storage, layout::cueDevices(), where);
        if (!bytes) return false;
        common::ByteReader in(*bytes);
        if (!in.fitsCount(count, 4, "Device count")) return failure_.failReader(where, in);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t index = in.int32("Device index");
            if (!in.ok()) return failure_.failReader(where, in);
            const std::string entry =
                "entry " + std::to_string(i) + ": Device index " + std::to_string(index);
            if (index < 0 || index >= static_cast<int32_t>(out_.devices.size()))
                return failure_.fail(where, entry + " out of range");
            if (!cue.addDevice(out_.devices[index].get()))
                return failure_.fail(where, entry + " appears twice");
        }
        return true;
    }

    bool readCueEffects(const Storage& storage, const std::string& path, int32_t count, Cue& cue) {
        const std::string where = path + "/" + layout::cueEffects();
        auto bytes = streamBytes(storage, layout::cueEffects(), where);
        if (!bytes) return false;
        common::ByteReader in(*bytes);
        if (!in.fitsCount(count, layout::EFFECT_RECORD, "effect count"))
            return failure_.failReader(where, in);
        for (int32_t i = 0; i < count; ++i) {
            const std::string entry = "effect " + std::to_string(i) + ": ";
            const int32_t deviceIndex = in.int32("Device index");
            const int32_t controlIndex = in.int32("control index");
            EffectSettings settings;
            settings.gain = in.int32("gain");
            settings.speed = in.int32("speed");
            settings.rotation = in.int32("rotation");
            settings.reverse = in.int32("reverse");
            const common::Identity shapeId = in.identity("effect shape");
            if (!in.ok()) return failure_.failReader(where, in);
            if (deviceIndex < 0 || deviceIndex >= static_cast<int32_t>(out_.devices.size()))
                return failure_.fail(
                    where, entry + "Device index " + std::to_string(deviceIndex) + " out of range");
            Device& device = *out_.devices[deviceIndex];
            if (controlIndex < 0 || controlIndex >= static_cast<int32_t>(device.controls().size()))
                return failure_.fail(where, entry + "control index " +
                                                std::to_string(controlIndex) + " out of range");
            Control* control = device.controls()[controlIndex].get();
            if (control->kind() != ControlKind::Position)
                return failure_.fail(where, entry + "control " + std::to_string(controlIndex) +
                                                " is not a position control");
            if (!cue.containsDevice(&device))
                return failure_.fail(
                    where, entry + "Device " + std::to_string(deviceIndex) + " is not in the Cue");
            const EffectShape* shape = effects_.find(shapeId);
            if (!shape)
                return failure_.fail(where, entry + "effect shape " + shapeId.text() +
                                                " is not in the effect library");
            if (!settings.valid()) return failure_.fail(where, entry + "settings out of range");
            if (!cue.addEffectEntry(control, shape, settings))
                return failure_.fail(where, entry + "a second effect on the same control");
        }
        return true;
    }

    bool readPresets(const Storage& root) {
        const std::string top = layout::presets();
        auto presets = storage(root, layout::presets(), top);
        if (!presets) return false;
        const std::string infoPath = top + "/" + layout::presetsInfo();
        auto info = streamBytes(*presets, layout::presetsInfo(), infoPath);
        if (!info) return false;
        common::ByteReader infoIn(*info);
        const int32_t a = infoIn.int32("submaster count");
        const int32_t b = infoIn.int32("preset count");
        if (!infoIn.ok()) return failure_.failReader(infoPath, infoIn);
        if (a != common::SUBMASTER_COUNT || b != common::PRESET_COUNT)
            return failure_.fail(infoPath, "counts " + std::to_string(a) + " and " +
                                               std::to_string(b) + " are not 24 and 24");
        const std::string dataPath = top + "/" + layout::presetsData();
        auto data = streamBytes(*presets, layout::presetsData(), dataPath);
        if (!data) return false;
        common::ByteReader in(*data);
        auto readCueNumbers = [&](engine::Preset& into, const std::string& what) {
            for (int i = 0; i < common::SUBMASTER_COUNT; ++i) {
                into[i] = in.int32("Cue number");
                if (!in.ok()) return failure_.failReader(dataPath, in);
                if (!common::isCueOrNone(into[i]))
                    return failure_.fail(dataPath, what + " entry " + std::to_string(i) +
                                                       ": Cue number " + std::to_string(into[i]) +
                                                       " out of range");
            }
            return true;
        };
        if (!readCueNumbers(out_.submasterCues, "submaster")) return false;
        for (int p = 0; p < common::PRESET_COUNT; ++p)
            if (!readCueNumbers(out_.presets[p], "preset " + std::to_string(p))) return false;
        return true;
    }

    bool readInput(const Storage& root) {
        const std::string top = layout::input();
        auto input = storage(root, layout::input(), top);
        if (!input) return false;
        const std::string where = top + "/" + layout::inputInfo();
        auto bytes = streamBytes(*input, layout::inputInfo(), where);
        if (!bytes) return false;
        common::ByteReader in(*bytes);
        out_.input.base = in.int32("input base address");
        // Files of version 80 know only the submaster group.
        out_.input.flags = out_.version == SHOW_VERSION_OLD ? 1 : in.int32("input flags");
        if (!in.ok()) return failure_.failReader(where, in);
        if (out_.input.base < 1 || out_.input.base > common::CHANNELS_PER_UNIVERSE)
            return failure_.fail(
                where, "input base address " + std::to_string(out_.input.base) + " outside 1..512");
        return true;
    }

    const EffectLibrary& effects_;
    ShowContent& out_;
    Failure failure_;
    bool versionRefused_ = false;
};

}  // namespace

ShowReadResult readShowContent(const platform::Storage& root, const EffectLibrary& effects,
                               ShowContent& out) {
    ShowContent content;
    ShowReadResult result = ShowFileReader(effects, content).read(root);
    if (result.ok()) out = std::move(content);
    return result;
}

ShowReadResult readShowFile(const std::string& path, const EffectLibrary& effects,
                            ShowContent& out) {
    auto file = platform::CompoundFile::openRead(path);
    if (!file) return {common::MSG_SHOW_OPEN_FAILED, path + ": " + file.error().message};
    return readShowContent(file->root(), effects, out);
}

}  // namespace j4::show
