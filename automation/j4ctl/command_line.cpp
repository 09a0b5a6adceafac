#include "automation/j4ctl/command_line.h"

#include <array>
#include <charconv>

#include "automation/commands.h"
#include "automation/j4ctl/time_entry.h"
#include "automation/shared_block.h"
#include "common/layers.h"
#include "common/level.h"

namespace j4::automation {

namespace {

enum class Shape {
    IndexLevel,    // N LEVEL
    IndexCue,      // N CUE
    Index,         // N
    Level,         // LEVEL
    Mode,          // internal|timecode|step
    OptionalTime,  // [TIME]
    NoArguments,
    Automate,  // START [STOP]
    Path,      // PATH
};

struct CommandForm {
    std::string_view name;
    CommandCode code;
    Shape shape;
    int indexCount;  // user numbers run 1..indexCount
};

constexpr std::array COMMANDS = {
    CommandForm{"submaster", CommandCode::SetSubmasterLevel, Shape::IndexLevel,
                common::SUBMASTER_COUNT},
    CommandForm{"submaster-cue", CommandCode::SetSubmasterCue, Shape::IndexCue,
                common::SUBMASTER_COUNT},
    CommandForm{"aux", CommandCode::SetAuxSubLevel, Shape::IndexLevel, common::AUX_SUBMASTER_COUNT},
    CommandForm{"aux-cue", CommandCode::SetAuxSubCue, Shape::IndexCue, common::AUX_SUBMASTER_COUNT},
    CommandForm{"preset", CommandCode::RecallPreset, Shape::Index, common::PRESET_COUNT},
    CommandForm{"grandmaster", CommandCode::SetGrandmasterLevel, Shape::Level, 0},
    CommandForm{"x", CommandCode::SetXLevel, Shape::IndexLevel, common::EVENT_LIST_COUNT},
    CommandForm{"y", CommandCode::SetYLevel, Shape::IndexLevel, common::EVENT_LIST_COUNT},
    CommandForm{"x-cue", CommandCode::SetXCue, Shape::IndexCue, common::EVENT_LIST_COUNT},
    CommandForm{"y-cue", CommandCode::SetYCue, Shape::IndexCue, common::EVENT_LIST_COUNT},
    CommandForm{"mode", CommandCode::SetTransportMode, Shape::Mode, 0},
    CommandForm{"play", CommandCode::Play, Shape::OptionalTime, 0},
    CommandForm{"record", CommandCode::Record, Shape::OptionalTime, 0},
    CommandForm{"stop", CommandCode::Stop, Shape::NoArguments, 0},
    CommandForm{"automate", CommandCode::Automate, Shape::Automate, 0},
    CommandForm{"load", CommandCode::Load, Shape::Path, 0},
};

std::optional<int32_t> parseInt(std::string_view text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

ParsedCommandLine fail(std::string message) {
    return {std::nullopt, std::move(message)};
}

std::optional<int32_t> parseMode(std::string_view text) {
    if (text == "internal" || text == "0") return 0;
    if (text == "timecode" || text == "1") return 1;
    if (text == "step" || text == "2") return 2;
    return std::nullopt;
}

struct Options {
    std::vector<std::string_view> positional;
    Invocation invocation;
    bool help = false;
    bool watchGiven = false;
    bool intervalGiven = false;
};

// Options start with "--" (or are -h); "--" alone makes the rest positional, so that a
// show path may start with dashes.
std::optional<std::string> readOptions(const std::vector<std::string_view>& args, Options& o) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (optionsEnded || !(a.starts_with("--") || a == "-h")) {
            o.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a == "--watch") {
            o.invocation.watch = o.watchGiven = true;
            continue;
        }
        const bool takesValue =
            a == "--block" || a == "--timeout" || a == "--wait" || a == "--interval";
        if (!takesValue) return "unknown option " + quoted(a);
        if (i + 1 >= args.size()) return std::string(a) + " needs a value";
        const std::string_view value = args[++i];
        if (a == "--block") {
            if (!SharedBlock::isValidName(value))
                return "--block needs a name such as /j4auto-test (a slash, then no slash)";
            o.invocation.blockName = std::string(value);
            continue;
        }
        const auto ms = parseInt(value);
        if (!ms || *ms < 0 || *ms > 3'600'000)
            return std::string(a) + " needs milliseconds from 0 to 3600000, not " + quoted(value);
        if (a == "--timeout") o.invocation.postTimeoutMs = *ms;
        if (a == "--wait") o.invocation.waitForConsoleMs = *ms;
        if (a == "--interval") {
            if (*ms < 10) return "--interval needs at least 10 ms";
            o.invocation.intervalMs = *ms;
            o.intervalGiven = true;
        }
    }
    return std::nullopt;
}

std::optional<std::string> readIndex(std::string_view text, const CommandForm& form, int32_t& out) {
    const auto n = parseInt(text);
    if (!n || *n < 1 || *n > form.indexCount)
        return std::string(form.name) + ": number must be 1 to " + std::to_string(form.indexCount) +
               ", not " + quoted(text);
    out = *n - 1;
    return std::nullopt;
}

std::optional<std::string> readLevel(std::string_view text, const CommandForm& form, int32_t& out) {
    const auto level = parseLevel(text);
    if (!level)
        return std::string(form.name) + ": level must be 0 to 8192 or 0% to 100%, not " +
               quoted(text);
    out = *level;
    return std::nullopt;
}

std::optional<std::string> readTime(std::string_view text, const CommandForm& form, int32_t& out) {
    const auto t = parseCommandTime(text);
    if (!t)
        return std::string(form.name) +
               ": time must be hh:mm:ss:ff (e.g. 00:01:30:15) or now, not " + quoted(text);
    out = *t;
    return std::nullopt;
}

// Fills the command's arguments from the words after its name.
std::optional<std::string> readArguments(const CommandForm& form,
                                         const std::vector<std::string_view>& words,
                                         Invocation& inv) {
    auto count = [&](size_t low, size_t high) -> std::optional<std::string> {
        if (words.size() >= low && words.size() <= high) return std::nullopt;
        return std::string(form.name) + ": wrong number of arguments (see j4ctl --help)";
    };
    std::optional<std::string> problem;
    switch (form.shape) {
        case Shape::IndexLevel:
            if ((problem = count(2, 2))) return problem;
            if ((problem = readIndex(words[0], form, inv.argument1))) return problem;
            return readLevel(words[1], form, inv.argument2);
        case Shape::IndexCue: {
            if ((problem = count(2, 2))) return problem;
            if ((problem = readIndex(words[0], form, inv.argument1))) return problem;
            const auto cue = parseInt(words[1]);
            if (!cue || *cue < 0)
                return std::string(form.name) + ": Cue must be a number (0 = none), not " +
                       quoted(words[1]);
            inv.argument2 = *cue;
            return std::nullopt;
        }
        case Shape::Index:
            if ((problem = count(1, 1))) return problem;
            return readIndex(words[0], form, inv.argument1);
        case Shape::Level:
            if ((problem = count(1, 1))) return problem;
            return readLevel(words[0], form, inv.argument1);
        case Shape::Mode: {
            if ((problem = count(1, 1))) return problem;
            const auto mode = parseMode(words[0]);
            if (!mode) return "mode must be internal, timecode or step, not " + quoted(words[0]);
            inv.argument1 = *mode;
            return std::nullopt;
        }
        case Shape::OptionalTime:
            if ((problem = count(0, 1))) return problem;
            inv.argument1 = common::NO_TIME;
            return words.empty() ? std::nullopt : readTime(words[0], form, inv.argument1);
        case Shape::NoArguments:
            return count(0, 0);
        case Shape::Automate:
            if ((problem = count(1, 2))) return problem;
            if ((problem = readTime(words[0], form, inv.argument1))) return problem;
            inv.argument2 = common::NO_TIME;
            if (words.size() == 2 && words[1] != "none")
                return readTime(words[1], form, inv.argument2);
            return std::nullopt;
        case Shape::Path:
            if ((problem = count(1, 1))) return problem;
            if (!isValidLoadPath(words[0]))
                return "load: the show path must have 1 to " + std::to_string(PATH_MAX_CHARACTERS) +
                       " characters";
            inv.path = std::string(words[0]);
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int32_t> parseLevel(std::string_view text) {
    if (text.ends_with('%')) {
        const auto percent = parseInt(text.substr(0, text.size() - 1));
        if (!percent || *percent < 0 || *percent > 100) return std::nullopt;
        return common::mulDivRound(*percent, common::FULL_LEVEL, 100);
    }
    const auto level = parseInt(text);
    if (!level || *level < 0 || *level > common::FULL_LEVEL) return std::nullopt;
    return level;
}

std::optional<int32_t> parseCommandTime(std::string_view text) {
    if (text == "now" || text == "-1") return common::NO_TIME;
    if (text.empty()) return std::nullopt;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || c == ':' || c == '.')) return std::nullopt;
    const auto t = parseTimeEntry(text);
    if (!t) return std::nullopt;
    return t->toMilliseconds();
}

ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& arguments) {
    Options o;
    if (auto problem = readOptions(arguments, o)) return fail(*problem);
    Invocation inv = o.invocation;
    if (o.help) {
        inv.action = Invocation::Action::Help;
        return {inv, {}};
    }
    if (o.positional.empty()) return fail("no command given (see j4ctl --help)");
    const std::string_view name = o.positional.front();
    const std::vector<std::string_view> words(o.positional.begin() + 1, o.positional.end());

    if (name == "status") {
        if (!words.empty()) return fail("status takes no arguments");
        inv.action = Invocation::Action::Status;
        return {inv, {}};
    }
    if (o.watchGiven || o.intervalGiven) return fail("--watch and --interval go with status");
    for (const CommandForm& form : COMMANDS) {
        if (form.name != name) continue;
        inv.action = Invocation::Action::Post;
        inv.code = static_cast<int32_t>(form.code);
        if (auto problem = readArguments(form, words, inv)) return fail(*problem);
        return {inv, {}};
    }
    return fail("unknown command " + quoted(name) + " (see j4ctl --help)");
}

std::string usageText() {
    return R"(Usage: j4ctl [OPTIONS] COMMAND [ARGUMENTS]

Steers a running Corvanta J4 console through its automation queue.

Commands:
  submaster N LEVEL      set submaster N (1-24) to LEVEL
  submaster-cue N CUE    assign Cue CUE to submaster N (0 = the none Cue)
  aux N LEVEL            set auxiliary submaster N (1-4) to LEVEL
  aux-cue N CUE          assign Cue CUE to auxiliary submaster N
  preset N               recall preset N (1-24)
  grandmaster LEVEL      set the grand master
  x LIST LEVEL           set the X fader of Event List LIST (1-4)
  y LIST LEVEL           set the Y fader of Event List LIST (1-4)
  x-cue LIST CUE         assign Cue CUE to the X fader of Event List LIST
  y-cue LIST CUE         assign Cue CUE to the Y fader of Event List LIST
  mode MODE              internal, timecode or step (only while stopped)
  play [TIME]            play from TIME (default: from the current time)
  record [TIME]          record from TIME (default: from the current time)
  stop                   stop
  automate START [STOP]  stop, switch to internal and play from START until STOP
  load PATH              open the show file PATH (up to 255 characters)
  status                 show the console's clock: time, mode, state, timecode

LEVEL is 0 (off) to 8192 (full), or a percentage such as 50%.
TIME is typed as in the console, hh:mm:ss:ff at 30 frames a second (00:01:30:15,
or 1:30:15 = 1 min 30 s frame 15), or "now".

Options:
  --watch          with status: keep refreshing the line (in place on a terminal)
  --interval MS    refresh interval of --watch (default 100)
  --timeout MS     how long a command waits for room in a full queue before it is
                   dropped (default 1000)
  --wait MS        wait up to MS for a console to start (default 0: do not wait)
  --block NAME     use the shared block NAME instead of the user's (tests)
  -h, --help       show this text

Exit status:
  0  done (status: a console is running)
  2  wrong command line
  3  no console is running: nothing was sent
  4  the console did not take the command in time: it was dropped
  5  the automation block cannot be used
)";
}

}  // namespace j4::automation
