#pragma once
// Writing a show into the root storage of a new compound file, every storage and
// stream in the order and widths show files use (version 288). The writer leaves the
// performance panel's "Extra Data" storage to its owner.

#include <string>

#include "platform/compound/compound_file.h"
#include "show/file/show_content.h"

namespace j4::show {

// Writes every part even after an earlier one failed; false (with the first reason)
// when any failed.
bool writeShowContent(platform::Storage& root, const ShowView& show, std::string* error);

}  // namespace j4::show
