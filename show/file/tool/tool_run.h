#pragma once
// Runs one j4show command line: the program's main() is this function over the real
// streams; tests call it directly.

#include <iosfwd>
#include <string>
#include <vector>

namespace j4::show::tool {

// `args` without the program name. Returns the exit status (tool_command_line.h).
int runShowTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err);

}  // namespace j4::show::tool
