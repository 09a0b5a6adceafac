#include "show/template_store.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/settings_names.h"
#include "platform/settings_store.h"
#include "show/folder_listing.h"
#include "show/template_file.h"

namespace j4::show {

namespace {
constexpr std::string_view TEMPLATE_EXTENSION = ".tpl";

// Renames without replacing an existing entry (the file system's plain rename would
// silently replace a file or an empty folder of the new name).
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the flag: check, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string withExtension(std::string_view name) {
    std::string file(name);
    file += TEMPLATE_EXTENSION;
    return file;
}
}  // namespace

Template* TemplateFolder::at(int index) const {
    return index >= 0 && index < count() ? templates_[index].get() : nullptr;
}

int TemplateFolder::indexOf(const Template* tpl) const {
    for (size_t i = 0; i < templates_.size(); ++i)
        if (templates_[i].get() == tpl) return static_cast<int>(i);
    return -1;
}

MessageId TemplateStore::scan(const platform::SettingsStore& machineSettings) {
    const auto root =
        machineSettings.readString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH);
    if (!root || root->empty()) {
        clear();
        return MessageId::TemplateSettingsMissing;
    }
    return scanFolder(*root);
}

MessageId TemplateStore::scanFolder(const std::string& root) {
    clear();
    if (!isFolder(root)) return MessageId::TemplateFolderMissing;
    root_ = root;
    bool dropped = false;
    for (const std::string& folderName : listEntries(root, EntryKind::Folder)) {
        auto folder = std::make_unique<TemplateFolder>();
        folder->name_ = folderName;
        const std::string folderPath = joinPath(root, folderName);
        for (const std::string& file :
             listEntries(folderPath, EntryKind::File, TEMPLATE_EXTENSION)) {
            auto tpl = std::make_unique<Template>(root, folderName, file);
            TemplateHeader header;
            if (!readTemplateHeader(tpl->path(), header, nullptr)) {
                dropped = true;
                continue;
            }
            tpl->setIdentity(header.identity);
            tpl->setName(header.name);
            tpl->setCreatorId(header.creatorId);
            folder->templates_.push_back(std::move(tpl));
        }
        folders_.push_back(std::move(folder));
    }
    return dropped ? MessageId::SomeTemplatesNotLoaded : MessageId::None;
}

TemplateFolder* TemplateStore::folder(int index) const {
    return index >= 0 && index < folderCount() ? folders_[index].get() : nullptr;
}

int TemplateStore::folderIndex(std::string_view name) const {
    for (size_t i = 0; i < folders_.size(); ++i)
        if (folders_[i]->name_ == name) return static_cast<int>(i);
    return -1;
}

int TemplateStore::newFolder(std::string_view name) {
    if (root_.empty() || !safeName(name)) return -1;
    for (const auto& f : folders_)
        if (equalIgnoringCase(f->name_, name)) return -1;
    const std::string path = joinPath(root_, name);
    if (::mkdir(path.c_str(), 0755) != 0) return -1;
    try {
        auto folder = std::make_unique<TemplateFolder>();
        folder->name_ = std::string(name);
        folders_.push_back(std::move(folder));
    } catch (const std::bad_alloc&) {
        ::rmdir(path.c_str());
        return -1;
    }
    return folderCount() - 1;
}

bool TemplateStore::deleteFolder(int folderIndex) {
    TemplateFolder* f = folder(folderIndex);
    if (!f) return false;
    while (!f->templates_.empty()) {
        // Entries leave the folder as their files go, so a failure half-way leaves the
        // folder listing what is still on disk.
        if (::unlink(f->templates_.front()->path().c_str()) != 0) return false;
        f->templates_.erase(f->templates_.begin());
    }
    if (::rmdir(joinPath(root_, f->name_).c_str()) != 0) return false;
    folders_.erase(folders_.begin() + folderIndex);
    return true;
}

bool TemplateStore::renameFolder(int folderIndex, std::string_view name) {
    TemplateFolder* f = folder(folderIndex);
    const std::string trimmed = trimName(name);
    if (!f || !safeName(trimmed)) return false;
    if (trimmed == f->name_) return true;
    for (const auto& other : folders_)
        if (other.get() != f && equalIgnoringCase(other->name_, trimmed)) return false;
    if (!renameNoReplace(joinPath(root_, f->name_), joinPath(root_, trimmed))) return false;
    f->name_ = trimmed;
    for (auto& tpl : f->templates_) tpl->setFolder(trimmed);
    return true;
}

int TemplateStore::newTemplate(int folderIndex, std::string_view name, const ControlList* controls,
                               const Authoring& authoring) {
    TemplateFolder* f = folder(folderIndex);
    if (!f || !safeName(name) || findByName(folderIndex, name)) return -1;
    auto tpl = std::make_unique<Template>(root_, f->name_, withExtension(name));
    // Never overwrite a file the scan did not list (unreadable or foreign).
    struct stat st {};
    if (::lstat(tpl->path().c_str(), &st) == 0) return -1;
    tpl->setName(std::string(name));
    const ControlList none;
    if (tpl->saveWithNewControls(controls ? *controls : none, authoring) !=
        Template::SaveResult::Ok)
        return -1;
    f->templates_.push_back(std::move(tpl));
    return f->count() - 1;
}

bool TemplateStore::deleteTemplate(int folderIndex, int templateIndex) {
    TemplateFolder* f = folder(folderIndex);
    Template* tpl = f ? f->at(templateIndex) : nullptr;
    if (!tpl) return false;
    if (::unlink(tpl->path().c_str()) != 0) return false;
    f->templates_.erase(f->templates_.begin() + templateIndex);
    return true;
}

bool TemplateStore::renameTemplate(int folderIndex, int templateIndex, std::string_view name,
                                   const Authoring& authoring) {
    TemplateFolder* f = folder(folderIndex);
    Template* tpl = f ? f->at(templateIndex) : nullptr;
    if (!tpl || !safeName(name)) return false;
    if (Template* same = findByName(folderIndex, name); same && same != tpl) return false;
    // The rewrite needs the controls, and a read-only file cannot be rewritten.
    if (tpl->readOnly() || !tpl->loadControls()) return false;

    // The logo stays with the file: an authoring installation writes its own, any
    // other keeps the one the file has.
    std::vector<uint8_t> logo;
    bool withLogo = false;
    if (authoring.authoring) {
        if (!authoring.readLogo(logo)) return false;
        withLogo = true;
    } else {
        withLogo = readTemplateLogo(tpl->path(), logo) && !logo.empty();
    }

    const std::string oldFile = tpl->fileName();
    const std::string oldName = tpl->name();
    const std::string oldPath = tpl->path();
    const std::string newFile = withExtension(name);
    const std::string newPath = joinPath(joinPath(root_, f->name_), newFile);
    if (newPath != oldPath && !renameNoReplace(oldPath, newPath)) return false;
    tpl->setFileName(newFile);
    tpl->setName(std::string(name));

    TemplateHeader header;
    header.identity = tpl->identity();
    header.controlCount = static_cast<int32_t>(tpl->controls().size());
    header.creatorId = authoring.authoring ? authoring.creatorId : tpl->creatorId();
    header.name = tpl->name();
    if (!writeTemplateFile(newPath, header, tpl->controls(), withLogo ? &logo : nullptr, nullptr)) {
        if (newPath != oldPath) std::rename(newPath.c_str(), oldPath.c_str());
        tpl->setFileName(oldFile);
        tpl->setName(oldName);
        return false;
    }
    tpl->setCreatorId(header.creatorId);
    return true;
}

Template* TemplateStore::findByName(int folderIndex, std::string_view name) const {
    TemplateFolder* f = folder(folderIndex);
    if (!f) return nullptr;
    const std::string file = withExtension(name);
    for (const auto& tpl : f->templates_)
        if (equalIgnoringCase(tpl->fileName(), file)) return tpl.get();
    return nullptr;
}

void TemplateStore::clear() {
    folders_.clear();
    root_.clear();
}

}  // namespace j4::show
