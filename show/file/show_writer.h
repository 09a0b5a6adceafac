#pragma once
// Writing a show into the root storage of a new compound file, every storage and
// stream in the order and widths show files use (version 288). The writer leaves the
// performance panel's "Extra Data" storage to its owner.

#include <functional>
#include <string>

#include "platform/compound/compound_file.h"
#include "show/file/show_content.h"

namespace j4::show {

// Writes every part even after an earlier one failed; false (with the first reason)
// when any failed.
bool writeShowContent(platform::Storage& root, const ShowView& show, std::string* error);

// Fills a new compound file for `path` (with writeShowContent and whatever else belongs
// in it) and commits it: a temporary file in the same folder, flushed, the previous file
// kept as path + ".bak", then renamed over the path. False, with the reason, when the
// file cannot be created, `fill` fails or the commit fails; the old file is then
// untouched.
using ShowFill = std::function<bool(platform::CompoundFile& file, std::string* error)>;
bool saveShowFile(const std::string& path, const ShowFill& fill, std::string* error);

}  // namespace j4::show
