#include "platform/file_util.h"

#include <sys/stat.h>

#include <cerrno>

namespace j4::platform {

bool makeFolders(const std::string& folder, unsigned mode) {
    if (folder.empty()) return false;
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = parentFolder(folder);
    if (!parent.empty() && parent != folder && !makeFolders(parent, mode)) return false;
    if (mkdir(folder.c_str(), mode) == 0 || errno == EEXIST)
        return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return false;
}

std::string parentFolder(const std::string& path) {
    const size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return path.empty() ? "" : "/";
    const size_t slash = path.rfind('/', end);
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace j4::platform
