#pragma once
// Small file-system helpers shared by the lock files and the settings store.

#include <string>

namespace j4::platform {

// Creates `folder` and its missing parents with `mode`; true when it exists afterwards
// as a directory.
bool makeFolders(const std::string& folder, unsigned mode = 0755);

// The folder part of a path ("" when there is none).
std::string parentFolder(const std::string& path);

}  // namespace j4::platform
