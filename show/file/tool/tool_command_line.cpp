#include "show/file/tool/tool_command_line.h"

#include <array>
#include <utility>

namespace j4::show::tool {

namespace {

constexpr std::array<std::pair<const char*, Verb>, 4> VERBS = {{
    {"info", Verb::Info},
    {"export", Verb::Export},
    {"import", Verb::Import},
    {"check", Verb::Check},
}};

bool isHelp(const std::string& a) {
    return a == "--help" || a == "-h";
}

ParsedToolLine wrong(std::string why) {
    return {std::nullopt, std::move(why)};
}

}  // namespace

ParsedToolLine parseToolLine(const std::vector<std::string>& args) {
    if (args.empty()) return wrong("no verb given");
    ToolInvocation inv;
    if (isHelp(args[0])) {
        inv.help = true;
        return {inv, {}};
    }
    for (const auto& [name, verb] : VERBS)
        if (args[0] == name) inv.verb = verb;
    if (inv.verb == Verb::None) return wrong("unknown verb \"" + args[0] + "\"");

    const bool takesOutput = inv.verb == Verb::Export || inv.verb == Verb::Import;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && isHelp(a)) {
            inv.help = true;
            return {inv, {}};
        }
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && takesOutput && (a == "-o" || a == "--output")) {
            if (i + 1 >= args.size()) return wrong(a + " needs a file name");
            if (!inv.output.empty()) return wrong("the output is given twice");
            inv.output = args[++i];
            if (inv.output.empty()) return wrong(a + " needs a file name");
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            return wrong("unknown option \"" + a + "\"");
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 1)
        return wrong(files.empty() ? "no file given" : "more than one file given");
    inv.input = files[0];
    if (inv.verb == Verb::Import && inv.output.empty()) return wrong("import needs -o SHOW");
    if (inv.verb != Verb::Import && inv.input == "-")
        return wrong("a show is read from a file, not from standard input");
    return {inv, {}};
}

std::string helpText(Verb verb) {
    switch (verb) {
        case Verb::Info:
            return "Usage: j4show info SHOW\n"
                   "Prints a summary of the show file SHOW: file version, Devices, Cues, the four\n"
                   "Event Lists (times as hh:mm:ss:ff, fades in seconds), submasters, presets,\n"
                   "DMX-input and timecode settings.\n"
                   "Exit status: 0 printed, 1 the show could not be read, 2 wrong command line.\n";
        case Verb::Export:
            return "Usage: j4show export SHOW [-o FILE]\n"
                   "Writes the whole show file SHOW as JSON to FILE (default: standard output).\n"
                   "Keys come in a fixed order and Cue values only where they are not 0, so two\n"
                   "exports of the same show are identical and a diff shows what changed.\n"
                   "FILE is replaced only when the export succeeded.\n"
                   "Exit status: 0 written, 1 the show could not be read or FILE not written,\n"
                   "2 wrong command line.\n";
        case Verb::Import:
            return "Usage: j4show import FILE.json -o SHOW\n"
                   "Builds the show file SHOW from JSON as export writes it (FILE.json \"-\" "
                   "reads\n"
                   "standard input). Effect entries must name shapes of the effect library the\n"
                   "settings name (\"EffectPath\"). Invalid content is refused with the JSON path\n"
                   "of the offending element, e.g. \"$.cues[3].devices[1]: Device index 9 out of\n"
                   "range\", and nothing is written. The show is checked as the console opens it\n"
                   "before SHOW is replaced; a show already there is kept as SHOW.bak.\n"
                   "Exit status: 0 written, 1 refused or not written, 2 wrong command line.\n";
        case Verb::Check:
            return "Usage: j4show check SHOW\n"
                   "Opens the show file SHOW exactly as the console does and prints \"OK\", or "
                   "the\n"
                   "console's message (503 or 554) and the precise reason: which stream, which\n"
                   "record, which field (on standard error).\n"
                   "Exit status: 0 the console opens it, 1 it refuses it, 2 wrong command line.\n";
        case Verb::None:
            break;
    }
    return "Usage: j4show VERB [options] FILE\n"
           "Inspects, exports and builds show files (.j4).\n"
           "  info SHOW                  summary of a show\n"
           "  export SHOW [-o FILE]      the show as JSON\n"
           "  import FILE.json -o SHOW   a show from JSON\n"
           "  check SHOW                 open the show as the console does\n"
           "Every verb takes --help. Exit status: 0 done, 1 refused or failed, 2 wrong\n"
           "command line.\n";
}

}  // namespace j4::show::tool
