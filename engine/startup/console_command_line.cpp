#include "engine/startup/console_command_line.h"

namespace j4::engine {

ParsedConsoleCommandLine parseConsoleCommandLine(const std::vector<std::string_view>& arguments) {
    ConsoleCommandLine line;
    bool positionalOnly = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view a = arguments[i];
        if (!positionalOnly && a.starts_with("-")) {
            if (a == "--") {
                positionalOnly = true;
            } else if (a == "-h" || a == "--help") {
                line.help = true;
            } else if (a == "--headless") {
                line.headless = true;
            } else if (a == "--artnet") {
                line.artnet = true;
            } else if (a == "--vj") {
                line.vjLink = true;
            } else if (a == "--visualizer") {
                line.visualizer = true;
            } else if (a == "--status") {
                line.status = true;
            } else if (a == "--interface") {
                if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                    return {std::nullopt, "--interface needs an IPv4 address"};
                line.interfaceAddress = std::string(arguments[++i]);
            } else {
                return {std::nullopt, "unknown option " + std::string(a)};
            }
            continue;
        }
        if (!line.showPath.empty()) return {std::nullopt, "only one show can be opened"};
        if (a.empty()) return {std::nullopt, "the show path is empty"};
        line.showPath = std::string(a);
    }
    if (!line.help && !line.headless)
        return {std::nullopt, "the console's windows are not built yet: run it with --headless"};
    return {line, {}};
}

std::string consoleUsageText() {
    return R"(Usage: CorvantaJ4 --headless [OPTIONS] [SHOW]

Runs the Corvanta J4 console without windows: opens SHOW (or the last open show),
plays it on the DMX interface (or the software clock when there is none), and obeys
automation clients (j4ctl) and the DMX input until it gets SIGINT or SIGTERM.

Options:
  --artnet          send the frame as Art-Net
  --vj              send one universe to the VJ program's Art-Net node
  --visualizer      stream the frame to the visualizer over CITP
  --interface ADDR  the network interface the outputs use (IPv4 address; default
                    from the settings, else 127.0.0.1)
  --status          print the status line every second even when the output is not
                    a terminal (on a terminal it is refreshed in place)
  -h, --help        show this text
)";
}

}  // namespace j4::engine
