#include "show/folder_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace j4::show {

namespace fs = std::filesystem;

namespace {
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equalIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::vector<std::string> listEntries(const std::string& folder, EntryKind kind,
                                     std::string_view suffix) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        const bool isDir = it->is_directory(typeError);
        if (typeError) continue;
        if ((kind == EntryKind::Folder) != isDir) continue;
        std::string name = it->path().filename().string();
        if (kind == EntryKind::File && !endsWithIgnoringCase(name, suffix)) continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::string joinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace j4::show
