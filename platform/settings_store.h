#pragma once
// The settings store: a machine scope (installation-wide values) and a user scope
// (per-user values), each a tree of keys holding named, typed values (string,
// 32-bit number, binary). Stored as plain text files, one per key, written atomically
// (temp file + rename), so a crash never leaves a half-written setting.
//
// The root is $J4_SETTINGS_ROOT when set (tests and demos point it at a private
// folder); otherwise machine values live in /etc/corvanta-j4 and user values in
// $XDG_CONFIG_HOME/corvanta-j4 (~/.config/corvanta-j4).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace j4::platform {

enum class SettingsScope { Machine, User };

class SettingsStore {
public:
    // Key paths use backslashes as separators, e.g. "Software\\Corvanta\\Corvanta J4".
    explicit SettingsStore(SettingsScope scope);
    // An explicit root folder (tests).
    SettingsStore(SettingsScope scope, std::string rootFolder);

    // A missing key or value is absent, never an error.
    std::optional<std::string> readString(const std::string& key, const std::string& name) const;
    std::optional<uint32_t> readNumber(const std::string& key, const std::string& name) const;
    std::optional<std::vector<uint8_t>> readBinary(const std::string& key,
                                                   const std::string& name) const;

    // Creates the key when missing. False when the file could not be written.
    bool writeString(const std::string& key, const std::string& name, const std::string& value);
    bool writeNumber(const std::string& key, const std::string& name, uint32_t value);
    bool writeBinary(const std::string& key, const std::string& name,
                     const std::vector<uint8_t>& value);
    bool deleteValue(const std::string& key, const std::string& name);

    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
};

}  // namespace j4::platform
