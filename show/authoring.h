#pragma once
// An authoring installation has both machine settings "LogoPath" and "CreatorID":
// every Template it saves carries the logo (and so becomes certified) and its creator
// id, and the certified-Template restrictions do not apply to it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace j4::platform {
class SettingsStore;
}

namespace j4::show {

struct Authoring {
    bool authoring = false;
    std::string logoPath;
    int32_t creatorId = 0;  // 0 outside an authoring installation

    // Reads "LogoPath" (a non-empty string) and "CreatorID" (a number) of the machine
    // scope; both must be present.
    static Authoring fromSettings(const platform::SettingsStore& machineSettings);

    // The whole logo file; false when it cannot be read or is empty (a Template saved
    // by an authoring installation must carry an image).
    bool readLogo(std::vector<uint8_t>& logo) const;
};

}  // namespace j4::show
