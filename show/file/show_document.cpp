#include "show/file/show_document.h"

#include <filesystem>

#include "common/settings_names.h"
#include "common/string_table.h"
#include "show/file/show_writer.h"

namespace j4::show {

ShowDocument::ShowDocument(ShowObjects objects, platform::SettingsStore* lastOpenStore)
    : objects_(objects), lastOpenStore_(lastOpenStore) {
    objects_.engine.showChanges().setListener([this] { markChanged(); });
}

std::string ShowDocument::path() const {
    std::lock_guard guard(pathLock_);
    return path_;
}

std::string ShowDocument::title() const {
    const std::string p = path();
    if (p.empty()) return common::stringText(common::STR_UNTITLED_SHOW);
    return std::filesystem::path(p).filename().string();
}

std::string ShowDocument::lastOpenFile(const platform::SettingsStore& store) {
    return store.readString(common::SETTINGS_KEY, common::SETTING_LAST_OPEN_FILE).value_or("");
}

void ShowDocument::rememberPath(const std::string& path) {
    {
        std::lock_guard guard(pathLock_);
        path_ = path;
    }
    // A failure to remember is not a failure of the show operation.
    if (lastOpenStore_)
        (void)lastOpenStore_->writeString(common::SETTINGS_KEY, common::SETTING_LAST_OPEN_FILE,
                                          path);
}

void ShowDocument::discardLocked() {
    objects_.engine.clearShow();
    // Cues refer to Devices: they go first.
    objects_.cues.clear();
    objects_.devices.clear();
    objects_.devices.publishChannelCounts();
    objects_.engine.mixer().markDirty();
    std::lock_guard guard(pathLock_);
    path_.clear();
}

void ShowDocument::discard() {
    {
        std::lock_guard guard(objects_.engine.lock());
        discardLocked();
    }
    rememberPath("");
    savedCount_.store(changeCount_.load());
}

bool ShowDocument::installLocked(ShowContent& content, std::string& reason) {
    engine::Engine& engine = objects_.engine;
    for (auto& device : content.devices)
        if (objects_.devices.append(std::move(device)) < 0) {
            reason = "a Device could not be added";
            return false;
        }
    for (auto& cue : content.cues) {
        const common::CueNumber number = cue->number();
        if (!objects_.cues.insert(std::move(cue))) {
            reason = "Cue " + std::to_string(number) + " could not be added";
            return false;
        }
    }
    engine::EventLists& lists = engine.eventLists();
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k) {
        engine::EventList* list = lists.list(k);
        EventListContent& source = content.lists[k];
        if (!list->replaceEvents(std::move(source.events), &reason)) return false;
        list->setEnabled(source.enabled);
        list->setName(std::move(source.name));
    }
    lists.setLostTimecodeSwitch(content.lostTimecodeSwitch);
    lists.setTimecodeOffset(content.timecodeOffset);
    engine::Mixer& mixer = engine.mixer();
    for (int p = 0; p < common::PRESET_COUNT; ++p) mixer.setPreset(p, content.presets[p]);
    for (int i = 0; i < common::SUBMASTER_COUNT; ++i)
        mixer.setLayerCue(common::submasterLayer(i), content.submasterCues[i]);
    mixer.setDmxInputSettings(content.input);
    objects_.devices.publishChannelCounts();
    lists.resetPlayback();
    return true;
}

ShowReadResult ShowDocument::open(const std::string& path) {
    ShowContent content;
    ShowReadResult result;
    auto file = platform::CompoundFile::openRead(path);
    if (!file)
        result = {common::MSG_SHOW_OPEN_FAILED, path + ": " + file.error().message};
    else
        result = readShowContent(file->root(), objects_.effects, content);
    if (result.ok() && inputBase_ && !inputBase_(content.input.base))
        result = {common::MSG_SHOW_OPEN_FAILED, "the input base address was refused"};

    {
        std::lock_guard guard(objects_.engine.lock());
        discardLocked();
        if (result.ok() && !installLocked(content, result.reason)) {
            result.message = common::MSG_SHOW_OPEN_FAILED;
            discardLocked();
        }
    }
    savedCount_.store(changeCount_.load());
    if (!result.ok()) return result;
    rememberPath(path);
    if (extraReader_) extraReader_(file->root());
    return result;
}

ShowView captureLiveShow(const ShowObjects& objects) {
    engine::Engine& engine = objects.engine;
    ShowView view;
    view.lostTimecodeSwitch = engine.clock().lostTimecodeSwitch().value_or(false);
    view.timecodeOffset = engine.clock().timecodeOffset().value_or(0);
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k) {
        const engine::EventList* list = engine.eventLists().list(k);
        view.lists[k].enabled = list->enabled();
        view.lists[k].name = list->name();
        view.lists[k].events = list->events();
    }
    for (int i = 0; i < objects.devices.count(); ++i) view.devices.push_back(objects.devices.at(i));
    for (int i = 0; i < objects.cues.count(); ++i) view.cues.push_back(objects.cues.at(i));
    const engine::Mixer& mixer = engine.mixer();
    for (int i = 0; i < common::SUBMASTER_COUNT; ++i)
        view.submasterCues[i] = mixer.layerCueNumber(common::submasterLayer(i)).value_or(0);
    for (int p = 0; p < common::PRESET_COUNT; ++p)
        view.presets[p] = mixer.preset(p).value_or(engine::Preset{});
    view.input = mixer.dmxInputSettings();
    return view;
}

SaveResult ShowDocument::save(const std::string& path) {
    uint64_t captured = 0;
    std::string reason;
    const bool saved = saveShowFile(
        path,
        [&](platform::CompoundFile& file, std::string* error) {
            platform::Storage root = file.root();
            {
                std::lock_guard guard(objects_.engine.lock());
                captured = changeCount_.load();
                if (!writeShowContent(root, captureLiveShow(objects_), error)) return false;
            }
            if (extraWriter_ && !extraWriter_(root)) {
                *error = "the performance panel's data could not be written";
                return false;
            }
            return true;
        },
        &reason);
    if (!saved) return {common::MSG_SHOW_SAVE_FAILED, reason};
    savedCount_.store(captured);
    rememberPath(path);
    return {};
}

}  // namespace j4::show
