#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <utility>

#include "platform/file_util.h"
#include "platform/settings_file.h"

namespace j4::platform {

namespace {

// Far beyond any real key; a bigger file is treated as unreadable, not loaded.
constexpr off_t MAX_KEY_FILE_BYTES = 16 * 1024 * 1024;
constexpr const char* VALUES_FILE = "/.values";
constexpr const char* LOCK_FILE = "/.lock";

std::string envValue(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

std::string homeFolder() {
    std::string home = envValue("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/tmp";
}

std::string encodeComponent(const std::string& part) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < part.size(); ++i) {
        const auto b = static_cast<uint8_t>(part[i]);
        if (b == '%' || b == '/' || b < 0x20 || b == 0x7f || (i == 0 && b == '.')) {
            out += '%';
            out += digits[b >> 4];
            out += digits[b & 15];
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

// The folder of a key, or nothing when the path has an empty component.
std::optional<std::string> keyFolder(const std::string& root, const std::string& key) {
    std::string folder = root;
    if (key.empty()) return folder;
    size_t start = 0;
    for (;;) {
        const size_t end = key.find('\\', start);
        const std::string part =
            key.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty()) return std::nullopt;
        folder += '/';
        folder += encodeComponent(part);
        if (end == std::string::npos) return folder;
        start = end + 1;
    }
}

enum class Load { Ok, Missing, Failed };

Load readWhole(const std::string& path, std::string& out) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? Load::Missing : Load::Failed;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MAX_KEY_FILE_BYTES) {
        close(fd);
        return Load::Failed;
    }
    out.clear();
    out.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = read(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return Load::Failed;
        }
        if (n == 0) break;  // the file was replaced by rename, never truncated in place
        done += static_cast<size_t>(n);
    }
    out.resize(done);
    close(fd);
    return Load::Ok;
}

std::optional<SettingsFile> loadKey(const std::string& folder, bool* missing = nullptr) {
    std::string text;
    const Load result = readWhole(folder + VALUES_FILE, text);
    if (missing != nullptr) *missing = result == Load::Missing;
    if (result == Load::Failed) return std::nullopt;
    return SettingsFile::parse(text);
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Replaces the key file: a new file beside it, flushed to disk, then renamed over the
// old one (rename is atomic), then the folder flushed so the rename itself survives a
// power cut.
bool replaceKeyFile(const std::string& folder, const std::string& text) {
    std::string temp = folder + "/.values.tmp.XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = fchmod(fd, 0644) == 0 && writeAll(fd, text) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), (folder + VALUES_FILE).c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

// Read-modify-write of one key under its lock. `change` returns false when nothing
// needs writing.
bool modifyKey(const std::string& root, const std::string& key, bool createKey,
               const std::function<bool(SettingsFile&)>& change) {
    const auto folder = keyFolder(root, key);
    if (!folder) return false;
    if (!createKey) {
        struct stat st {};
        if (stat(folder->c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
    }
    if (!makeFolders(*folder)) return false;
    const int lockFd =
        open((*folder + LOCK_FILE).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (lockFd < 0) return false;
    while (flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(lockFd);
            return false;
        }
    }
    bool ok = false;
    if (auto file = loadKey(*folder))
        ok = !change(*file) || replaceKeyFile(*folder, file->serialize());
    close(lockFd);  // releases the flock
    return ok;
}

template <typename Read>
auto readValue(const std::string& root, const std::string& key, Read read)
    -> decltype(read(std::declval<const SettingsFile&>())) {
    const auto folder = keyFolder(root, key);
    if (!folder) return std::nullopt;
    const auto file = loadKey(*folder);
    if (!file) return std::nullopt;
    return read(*file);
}

}  // namespace

std::string SettingsStore::defaultFolder(SettingsScope scope) {
    const std::string root = envValue("J4_SETTINGS_ROOT");
    if (!root.empty()) return root + (scope == SettingsScope::Machine ? "/machine" : "/user");
    if (scope == SettingsScope::Machine) return "/etc/corvanta-j4";
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    const std::string config = envValue("XDG_CONFIG_HOME");
    if (!config.empty() && config[0] == '/') return config + "/corvanta-j4";
    return homeFolder() + "/.config/corvanta-j4";
}

SettingsStore::SettingsStore(SettingsScope scope) : folder_(defaultFolder(scope)) {}

SettingsStore::SettingsStore(SettingsScope scope, std::string rootFolder)
    : folder_(std::move(rootFolder) + (scope == SettingsScope::Machine ? "/machine" : "/user")) {}

std::optional<std::string> SettingsStore::readString(const std::string& key,
                                                     const std::string& name) const {
    return readValue(folder_, key, [&](const SettingsFile& f) { return f.readString(name); });
}

std::optional<uint32_t> SettingsStore::readNumber(const std::string& key,
                                                  const std::string& name) const {
    return readValue(folder_, key, [&](const SettingsFile& f) { return f.readNumber(name); });
}

std::optional<std::vector<uint8_t>> SettingsStore::readBinary(const std::string& key,
                                                              const std::string& name) const {
    return readValue(folder_, key, [&](const SettingsFile& f) { return f.readBinary(name); });
}

bool SettingsStore::writeString(const std::string& key, const std::string& name,
                                const std::string& value) {
    return modifyKey(folder_, key, true, [&](SettingsFile& f) {
        f.writeString(name, value);
        return true;
    });
}

bool SettingsStore::writeNumber(const std::string& key, const std::string& name, uint32_t value) {
    return modifyKey(folder_, key, true, [&](SettingsFile& f) {
        f.writeNumber(name, value);
        return true;
    });
}

bool SettingsStore::writeBinary(const std::string& key, const std::string& name,
                                const std::vector<uint8_t>& value) {
    return modifyKey(folder_, key, true, [&](SettingsFile& f) {
        f.writeBinary(name, value);
        return true;
    });
}

bool SettingsStore::deleteValue(const std::string& key, const std::string& name) {
    return modifyKey(folder_, key, false, [&](SettingsFile& f) { return f.remove(name); });
}

}  // namespace j4::platform
