#pragma once
// j4show's command line: which verb, on which files, or why the line is wrong.

#include <optional>
#include <string>
#include <vector>

namespace j4::show::tool {

// Exit statuses of j4show.
enum ToolExit : int {
    TOOL_OK = 0,
    TOOL_FAILED = 1,  // the show was refused, or a file could not be read or written
    TOOL_USAGE = 2,   // the command line is wrong
};

enum class Verb { None, Info, Export, Import, Check };

struct ToolInvocation {
    Verb verb = Verb::None;
    bool help = false;   // --help: of the verb, or of the tool when there is none
    std::string input;   // the show, or the JSON file ("-": standard input) for import
    std::string output;  // -o; empty: standard output (export only)
};

struct ParsedToolLine {
    std::optional<ToolInvocation> invocation;
    std::string error;  // why the line is wrong
};

ParsedToolLine parseToolLine(const std::vector<std::string>& args);

// The help of a verb, or of the whole tool for Verb::None.
std::string helpText(Verb verb);

}  // namespace j4::show::tool
