#include "engine/startup/temp_data_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/string_table.h"

namespace j4::engine {

namespace {

std::string folderName() {
    const char* name = common::stringText(common::STR_TEMP_DATA_FOLDER);
    return name ? name : "Corvanta J4 Data";
}

// Deletes the regular files and links of an open directory, never following a link.
void deleteFiles(int dirFd) {
    DIR* dir = ::fdopendir(::dup(dirFd));
    if (!dir) return;
    while (dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISDIR(st.st_mode)) ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Opens `path` as a directory owned by this user without following a link, and makes
// it private. -1 when it is anything else.
int openOwnFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

TempDataFolder::~TempDataFolder() = default;

std::string TempDataFolder::location() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return std::string(runtime) + "/" + folderName();
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
    return base + "/" + folderName() + "-" + std::to_string(::geteuid());
}

bool TempDataFolder::prepare() {
    const std::string path = location();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    const int fd = openOwnFolder(path);
    if (fd < 0) return false;
    deleteFiles(fd);
    ::close(fd);
    path_ = path;
    return true;
}

void TempDataFolder::remove() {
    if (path_.empty()) return;
    if (const int fd = openOwnFolder(path_); fd >= 0) {
        deleteFiles(fd);
        ::close(fd);
        ::rmdir(path_.c_str());
    }
    path_.clear();
}

}  // namespace j4::engine
