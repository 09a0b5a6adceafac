#include "show/file/show_writer.h"

#include <unordered_map>

#include "common/byte_writer.h"
#include "show/control_record.h"
#include "show/effect_shape.h"
#include "show/file/cue_data_code.h"
#include "show/file/show_layout.h"
#include "show/position_control.h"

namespace j4::show {

namespace {

using platform::CreateMode;
using platform::Storage;

class ShowFileWriter {
  public:
    explicit ShowFileWriter(const ShowView& show) : show_(show) {
        for (size_t i = 0; i < show.devices.size(); ++i)
            deviceIndex_[show.devices[i]] = static_cast<int32_t>(i);
    }

    bool write(Storage& root) {
        common::ByteWriter version;
        version.int32(SHOW_VERSION);
        stream(root, layout::versionStream(), version);
        writeEventLists(root);
        writeDevices(root);
        writeCues(root);
        writePresetsAndInput(root);
        return error_.empty();
    }

    const std::string& error() const { return error_; }

  private:
    void note(const std::string& where, const std::string& why) {
        if (error_.empty()) error_ = where + ": " + why;
    }

    void stream(Storage& parent, const char* name, const common::ByteWriter& bytes) {
        auto s = parent.createStream(name, CreateMode::Replace);
        if (!s) return note(name, s.error().message);
        if (auto written = s->writeAll(bytes.bytes()); !written)
            note(name, written.error().message);
    }

    std::optional<Storage> storage(Storage& parent, const std::string& name) {
        auto s = parent.createStorage(name, CreateMode::Replace);
        if (!s) {
            note(name, s.error().message);
            return std::nullopt;
        }
        return *s;
    }

    void writeEventLists(Storage& root) {
        auto lists = storage(root, layout::eventLists());
        if (!lists) return;
        common::ByteWriter settings;
        settings.boolean(show_.lostTimecodeSwitch);
        settings.int32(show_.timecodeOffset);
        stream(*lists, layout::eventListSettings(), settings);
        for (int k = 0; k < common::EVENT_LIST_COUNT; ++k) {
            auto list = storage(*lists, std::to_string(k));
            if (!list) continue;
            const EventListContent& content = show_.lists[k];
            common::ByteWriter info;
            info.int32(static_cast<int32_t>(content.events.size()));
            info.boolean(content.enabled);
            info.string(content.name);
            stream(*list, layout::eventListInfo(), info);
            common::ByteWriter events;
            for (const engine::Event& e : content.events) {
                events.int32(e.time);
                events.boolean(e.splitFade);
                events.boolean(e.stop);
                events.int32(e.fadeIn);
                events.int32(e.fadeOut);
                events.int32(e.cue);
                events.int32(static_cast<int32_t>(e.role));
                events.string(e.comment);
            }
            stream(*list, layout::events(), events);
        }
    }

    void writeDevices(Storage& root) {
        auto devices = storage(root, layout::devices());
        if (!devices) return;
        stream(*devices, layout::groups(), common::ByteWriter{});
        for (size_t i = 0; i < show_.devices.size(); ++i) {
            const Device& device = *show_.devices[i];
            auto s = storage(*devices, std::to_string(i));
            if (!s) continue;
            common::ByteWriter info;
            info.identity(device.identity());
            info.int32(0);  // group index
            info.int32(device.baseAddress());
            info.int32(static_cast<int32_t>(device.controls().size()));
            info.string(device.name());
            stream(*s, layout::deviceInfo(), info);
            common::ByteWriter controls;
            saveControlList(controls, device.controls());
            stream(*s, layout::deviceControls(), controls);
        }
    }

    void writeCues(Storage& root) {
        auto cues = storage(root, layout::cues());
        if (!cues) return;
        for (size_t i = 0; i < show_.cues.size(); ++i) {
            const Cue& cue = *show_.cues[i];
            auto s = storage(*cues, std::to_string(i));
            if (!s) continue;
            const std::string where = std::string(layout::cues()) + "/" + std::to_string(i);
            common::ByteWriter info;
            info.int32(cue.number());
            info.string(cue.name());
            info.string(cue.description());
            info.int32(static_cast<int32_t>(cue.devices().size()));
            info.int32(static_cast<int32_t>(cue.effects().size()));
            stream(*s, layout::cueInfo(), info);
            if (!cue.devices().empty()) {
                common::ByteWriter devices;
                for (const Device* d : cue.devices()) devices.int32(indexOf(d, where));
                stream(*s, layout::cueDevices(), devices);
            }
            if (!cue.effects().empty()) {
                common::ByteWriter effects;
                for (const EffectEntry& e : cue.effects()) writeEffect(effects, e, cue, where);
                stream(*s, layout::cueEffects(), effects);
            }
            common::ByteWriter data;
            data.raw(encodeCueData(cue.values()));
            stream(*s, layout::cueData(), data);
        }
    }

    int32_t indexOf(const Device* device, const std::string& where) {
        auto it = deviceIndex_.find(device);
        if (it == deviceIndex_.end()) {
            note(where, "a Cue refers to a Device that is not in the show");
            return -1;
        }
        return it->second;
    }

    void writeEffect(common::ByteWriter& out, const EffectEntry& entry, const Cue& cue,
                     const std::string& where) {
        int32_t device = -1;
        int32_t control = -1;
        for (const Device* d : cue.devices()) {
            const int c = d->controlIndex(entry.control);
            if (c >= 0) {
                device = indexOf(d, where);
                control = c;
                break;
            }
        }
        if (control < 0 || !entry.shape)
            note(where, "an effect entry without its control or shape");
        out.int32(device);
        out.int32(control);
        out.int32(entry.settings.gain);
        out.int32(entry.settings.speed);
        out.int32(entry.settings.rotation);
        out.int32(entry.settings.reverse);
        out.identity(entry.shape ? entry.shape->identity : common::Identity{});
    }

    void writePresetsAndInput(Storage& root) {
        if (auto presets = storage(root, layout::presets())) {
            common::ByteWriter info;
            info.int32(common::SUBMASTER_COUNT);
            info.int32(common::PRESET_COUNT);
            stream(*presets, layout::presetsInfo(), info);
            common::ByteWriter data;
            for (common::CueNumber n : show_.submasterCues) data.int32(n);
            for (const engine::Preset& p : show_.presets)
                for (common::CueNumber n : p) data.int32(n);
            stream(*presets, layout::presetsData(), data);
        }
        if (auto input = storage(root, layout::input())) {
            common::ByteWriter info;
            info.int32(show_.input.base);
            info.int32(show_.input.flags);
            stream(*input, layout::inputInfo(), info);
        }
    }

    const ShowView& show_;
    std::unordered_map<const Device*, int32_t> deviceIndex_;
    std::string error_;
};

}  // namespace

bool writeShowContent(platform::Storage& root, const ShowView& show, std::string* error) {
    ShowFileWriter writer(show);
    const bool ok = writer.write(root);
    if (!ok && error) *error = writer.error();
    return ok;
}

bool saveShowFile(const std::string& path, const ShowFill& fill, std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    auto file = platform::CompoundFile::create(path);
    if (!file) return fail(path + ": " + file.error().message);
    std::string why;
    if (!fill(*file, &why)) return fail(std::move(why));
    platform::CommitOptions options;
    options.backupPath = path + ".bak";
    if (auto committed = file->commit(options); !committed)
        return fail(path + ": " + committed.error().message);
    return true;
}

ShowView viewOf(const ShowContent& content) {
    ShowView view;
    view.lostTimecodeSwitch = content.lostTimecodeSwitch;
    view.timecodeOffset = content.timecodeOffset;
    view.lists = content.lists;
    for (const auto& d : content.devices) view.devices.push_back(d.get());
    for (const auto& c : content.cues) view.cues.push_back(c.get());
    view.submasterCues = content.submasterCues;
    view.presets = content.presets;
    view.input = content.input;
    return view;
}

}  // namespace j4::show
