#pragma once
// The settings store: a machine scope (installation-wide values) and a user scope
// (per-user values), each a tree of keys holding named, typed values (string,
// 32-bit number, binary). Stored as plain text files, one per key, written atomically
// (temp file + fsync + rename), so a crash never leaves a half-written setting and a
// reader never sees one.
//
// The root is $J4_SETTINGS_ROOT when set (tests and demos point it at a private
// folder): machine values under <root>/machine, user values under <root>/user.
// Otherwise machine values live in /etc/corvanta-j4 and user values in
// $XDG_CONFIG_HOME/corvanta-j4 (~/.config/corvanta-j4).
//
// Layout: every key is a folder, its path components below the scope folder (e.g.
// <scope>/Software/Corvanta/Corvanta J4/WindowPos); the key's values are in the file
// ".values" of its folder, in the text form described in platform/settings_file.h.
// In folder names '%', '/', control bytes and a leading '.' are written as %HH, so no
// key name can leave the scope folder or collide with the store's own dot files
// (".values", ".lock", temporary files). Names compare exactly (case matters).
//
// Several processes may write the same key at once: a writer holds an flock on the
// key's ".lock" file for its whole read-modify-write, so no writer loses another's
// value. Readers take no lock. A key file that cannot be read (other than missing) is
// never replaced, so a write cannot wipe values it failed to see.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace j4::platform {

enum class SettingsScope { Machine, User };

class SettingsStore {
  public:
    // Key paths use backslashes as separators, e.g. "Software\\Corvanta\\Corvanta J4".
    // An empty path is the scope's root key; an empty component ("a\\\\b") is refused.
    explicit SettingsStore(SettingsScope scope);
    // An explicit root folder (tests): the scope folder is <rootFolder>/machine or
    // <rootFolder>/user, as with $J4_SETTINGS_ROOT.
    SettingsStore(SettingsScope scope, std::string rootFolder);

    // A missing key or value is absent, never an error; so is a value stored with
    // another type or whose text does not parse.
    std::optional<std::string> readString(const std::string& key, const std::string& name) const;
    std::optional<uint32_t> readNumber(const std::string& key, const std::string& name) const;
    std::optional<std::vector<uint8_t>> readBinary(const std::string& key,
                                                   const std::string& name) const;

    // Creates the key when missing. False when the file could not be written.
    bool writeString(const std::string& key, const std::string& name, const std::string& value);
    bool writeNumber(const std::string& key, const std::string& name, uint32_t value);
    bool writeBinary(const std::string& key, const std::string& name,
                     const std::vector<uint8_t>& value);
    // True when the value is gone afterwards (also when it never existed).
    bool deleteValue(const std::string& key, const std::string& name);

    const std::string& folder() const { return folder_; }
    // The scope folder the environment selects (see above).
    static std::string defaultFolder(SettingsScope scope);

  private:
    std::string folder_;
};

}  // namespace j4::platform
