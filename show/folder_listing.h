#pragma once
// Directory listings for the library scans, sorted by name so every scan sees the
// same order (the file system returns entries in no particular order).

#include <string>
#include <string_view>
#include <vector>

namespace j4::show {

enum class EntryKind { Folder, File };

// Names of the folders, or of the non-folder entries whose name ends in `suffix`
// (compared ignoring ASCII case), sorted by byte order. Empty when `folder` cannot be
// read.
std::vector<std::string> listEntries(const std::string& folder, EntryKind kind,
                                     std::string_view suffix = {});
bool isFolder(const std::string& path);
std::string joinPath(const std::string& folder, std::string_view name);
bool endsWithIgnoringCase(std::string_view text, std::string_view suffix);
bool equalIgnoringCase(std::string_view a, std::string_view b);

}  // namespace j4::show
