#include "show/authoring.h"

#include <fstream>
#include <iterator>

#include "common/settings_names.h"
#include "platform/settings_store.h"

namespace j4::show {

Authoring Authoring::fromSettings(const platform::SettingsStore& machineSettings) {
    Authoring result;
    const auto logo = machineSettings.readString(common::SETTINGS_KEY, common::SETTING_LOGO_PATH);
    const auto creator =
        machineSettings.readNumber(common::SETTINGS_KEY, common::SETTING_CREATOR_ID);
    if (!logo || logo->empty() || !creator) return result;
    result.authoring = true;
    result.logoPath = *logo;
    result.creatorId = static_cast<int32_t>(*creator);
    return result;
}

bool Authoring::readLogo(std::vector<uint8_t>& logo) const {
    std::ifstream in(logoPath, std::ios::binary);
    if (!in) return false;
    logo.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad() && !logo.empty();
}

}  // namespace j4::show
