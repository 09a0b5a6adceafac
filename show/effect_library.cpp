#include "show/effect_library.h"

#include <new>

#include "common/settings_names.h"
#include "platform/settings_store.h"
#include "show/effect_file.h"
#include "show/folder_listing.h"

namespace j4::show {

MessageId EffectLibrary::scan(const platform::SettingsStore& machineSettings) {
    const auto folder =
        machineSettings.readString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH);
    if (!folder || folder->empty()) {
        shapes_.clear();
        return MessageId::EffectSettingsMissing;
    }
    return scanFolder(*folder);
}

MessageId EffectLibrary::scanFolder(const std::string& folder) {
    shapes_.clear();
    if (!isFolder(folder)) return MessageId::EffectFolderMissing;
    for (const std::string& file : listEntries(folder, EntryKind::File, ".eff")) {
        try {
            auto shape = std::make_unique<EffectShape>();
            // A file that fails any check is skipped without a message.
            if (readEffectFile(joinPath(folder, file), *shape, nullptr))
                shapes_.push_back(std::move(shape));
        } catch (const std::bad_alloc&) {
        }
    }
    return MessageId::None;
}

const EffectShape* EffectLibrary::at(int index) const {
    return index >= 0 && index < count() ? shapes_[index].get() : nullptr;
}

const EffectShape* EffectLibrary::find(const common::Identity& identity) const {
    for (const auto& shape : shapes_)
        if (shape->identity == identity) return shape.get();
    return nullptr;
}

int EffectLibrary::indexOf(const EffectShape* shape) const {
    for (size_t i = 0; i < shapes_.size(); ++i)
        if (shapes_[i].get() == shape) return static_cast<int>(i);
    return -1;
}

const EffectShape* EffectLibrary::add(std::unique_ptr<EffectShape> shape) {
    if (!shape) return nullptr;
    shapes_.push_back(std::move(shape));
    return shapes_.back().get();
}

}  // namespace j4::show
