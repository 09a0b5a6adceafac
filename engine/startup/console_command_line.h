#pragma once
// The console's command line:
//   CorvantaJ4 --headless [OPTIONS] [SHOW]
// SHOW is opened at start (without it: the last open show). The network outputs are
// off unless asked for and use the interface of the user's settings (loopback unless
// the user chose another).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace j4::engine {

struct ConsoleCommandLine {
    bool help = false;
    bool headless = false;
    std::string showPath;
    bool artnet = false;
    bool vjLink = false;
    bool visualizer = false;
    std::string interfaceAddress;  // empty: from the settings
    bool status = false;           // a status line every second even when not a terminal
};

struct ParsedConsoleCommandLine {
    std::optional<ConsoleCommandLine> line;
    std::string error;
};

// `arguments` without the program name.
ParsedConsoleCommandLine parseConsoleCommandLine(const std::vector<std::string_view>& arguments);
std::string consoleUsageText();

}  // namespace j4::engine
