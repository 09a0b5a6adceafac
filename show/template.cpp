#include "show/template.h"

#include <sys/stat.h>

#include <algorithm>

#include "show/authoring.h"
#include "show/folder_listing.h"
#include "show/new_identity.h"
#include "show/template_file.h"

namespace j4::show {

std::string Template::path() const {
    return joinPath(joinPath(root_, folder_), fileName_);
}

bool Template::loadControls() {
    if (loaded_) return true;
    TemplateHeader header;
    ControlList controls;
    if (!readTemplateFile(path(), header, controls, nullptr)) return false;
    identity_ = header.identity;
    name_ = header.name;
    creatorId_ = header.creatorId;
    setControls(std::move(controls));
    return true;
}

void Template::setControls(ControlList controls) {
    controls_ = std::move(controls);
    for (auto& control : controls_) control->setBaseAddress(0);
    loaded_ = true;
}

Template::SaveResult Template::saveWithNewControls(const ControlList& controls,
                                                   const Authoring& authoring) {
    if (readOnly()) return SaveResult::ReadOnly;
    ControlList copies;
    if (!cloneControls(controls, copies)) return SaveResult::Failed;
    for (auto& control : copies) control->setBaseAddress(0);
    std::vector<uint8_t> logo;
    if (authoring.authoring && !authoring.readLogo(logo)) return SaveResult::Failed;

    TemplateHeader header;
    header.identity = newIdentity();
    header.controlCount = static_cast<int32_t>(copies.size());
    header.creatorId = authoring.authoring ? authoring.creatorId : 0;
    header.name = name_;
    // The Template changes only once the file was written; a failed write keeps the
    // previous controls and identity.
    if (!writeTemplateFile(path(), header, copies, authoring.authoring ? &logo : nullptr, nullptr))
        return SaveResult::Failed;
    identity_ = header.identity;
    creatorId_ = header.creatorId;
    setControls(std::move(copies));
    return SaveResult::Ok;
}

int32_t Template::channelCount() const {
    return highestChannel(controls_) + 1;
}

bool Template::channelsUnique() const {
    std::vector<int32_t> channels;
    for (const auto& control : controls_) control->collectChannels(channels, false);
    std::sort(channels.begin(), channels.end());
    return std::adjacent_find(channels.begin(), channels.end()) == channels.end();
}

bool Template::readOnly() const {
    struct stat st {};
    if (::stat(path().c_str(), &st) != 0) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool Template::certified() const {
    return templateFileHasLogo(path());
}

bool Template::protectedFrom(const Authoring& authoring) const {
    return !authoring.authoring && certified();
}

}  // namespace j4::show
