#pragma once
// j4ctl's command line: what the user asked for, or why it cannot be done.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace j4::automation {

// Exit statuses of j4ctl.
enum ExitStatus : int {
    EXIT_DONE = 0,
    EXIT_USAGE = 2,          // the command line is wrong
    EXIT_NOT_CONNECTED = 3,  // no console is running
    EXIT_DROPPED = 4,        // the console did not take the command in time
    EXIT_UNAVAILABLE = 5,    // the automation block cannot be used
};

struct Invocation {
    enum class Action { Help, Post, Status };
    Action action = Action::Help;

    // Post: a command as the library takes it (0-based indexes, ms times).
    int32_t code = 0;
    int32_t argument1 = 0;
    int32_t argument2 = 0;
    std::string path;

    // Status
    bool watch = false;
    int intervalMs = 100;

    std::string blockName;  // empty: the user's block
    int postTimeoutMs = 1000;
    int waitForConsoleMs = 0;
};

struct ParsedCommandLine {
    std::optional<Invocation> invocation;
    std::string error;  // set when invocation is empty
};

// `arguments` without the program name.
ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& arguments);

// The --help text.
std::string usageText();

// "50%" or 0..8192.
std::optional<int32_t> parseLevel(std::string_view text);
// "now" / "-1" (-1) or a typed time of digits and ':' / '.' separators.
std::optional<int32_t> parseCommandTime(std::string_view text);

}  // namespace j4::automation
