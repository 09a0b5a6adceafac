#pragma once
// The text `j4show info` prints: a show summarised for a person, not for a program
// (use the JSON form for that). Names are shown quoted with control characters
// escaped, so a hostile name cannot drive the terminal.

#include <string>

#include "show/file/show_content.h"

namespace j4::show::tool {

std::string showSummary(const ShowContent& show);

// "0x3F (Submasters, Load Presets, ...)" for the DMX input function flags.
std::string inputFunctionsText(int32_t flags);

}  // namespace j4::show::tool
