#include "show/file/tool/tool_run.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "common/string_table.h"
#include "platform/compound/safe_file.h"
#include "platform/settings_store.h"
#include "show/effect_library.h"
#include "show/file/show_reader.h"
#include "show/file/tool/show_check.h"
#include "show/file/tool/show_import.h"
#include "show/file/tool/show_summary.h"
#include "show/file/tool/show_to_json.h"
#include "show/file/tool/tool_command_line.h"

namespace j4::show::tool {

namespace {

// Larger JSON is refused rather than read into memory.
constexpr std::streamsize MAX_JSON_BYTES = std::streamsize{1} << 30;

// The effect library as the console loads it at start-up, from the machine settings.
struct Effects {
    EffectLibrary library;
    MessageId problem = MessageId::None;

    Effects() { problem = library.scan(platform::SettingsStore(platform::SettingsScope::Machine)); }

    // Why an effect shape may be missing, added to a refusal that names one.
    std::string note(const std::string& refusal) const {
        if (problem == MessageId::None || refusal.find("effect library") == std::string::npos)
            return {};
        return "note: the effect library was not read (message " +
               std::to_string(static_cast<int>(problem)) + ": " + messageText(problem) + ")\n";
    }
};

void printRefusal(const ShowReadResult& r, const Effects& effects, std::ostream& err) {
    const char* text = common::stringText(r.message);
    err << r.message << ": " << (text ? text : "") << "\n"
        << "reason: " << r.reason << "\n"
        << effects.note(r.reason);
}

bool readText(const std::string& path, std::istream& in, std::string& text, std::string& error) {
    std::ifstream file;
    std::istream* source = &in;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) {
            error = path + ": cannot be read";
            return false;
        }
        source = &file;
    }
    std::ostringstream buffer;
    char chunk[65536];
    std::streamsize total = 0;
    while (source->read(chunk, sizeof chunk) || source->gcount() > 0) {
        total += source->gcount();
        if (total > MAX_JSON_BYTES) {
            error = path + ": larger than 1 GiB";
            return false;
        }
        buffer.write(chunk, source->gcount());
    }
    if (source->bad()) {
        error = path + ": read error";
        return false;
    }
    text = buffer.str();
    return true;
}

int runInfoOrExport(const ToolInvocation& inv, std::ostream& out, std::ostream& err) {
    Effects effects;
    ShowContent show;
    const ShowReadResult read = readShowFile(inv.input, effects.library, show);
    if (!read.ok()) {
        printRefusal(read, effects, err);
        return TOOL_FAILED;
    }
    if (inv.verb == Verb::Info) {
        out << showSummary(show);
        return TOOL_OK;
    }
    const std::string text = formatJson(showToJson(show));
    if (inv.output.empty()) {
        out << text;
        return TOOL_OK;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto written =
        platform::compound_detail::replaceFileSafely(inv.output, {bytes, text.size()}, {});
    if (!written) {
        err << inv.output << ": " << written.error().message << "\n";
        return TOOL_FAILED;
    }
    return TOOL_OK;
}

int runImport(const ToolInvocation& inv, std::istream& in, std::ostream& err) {
    std::string text;
    std::string error;
    if (!readText(inv.input, in, text, error)) {
        err << error << "\n";
        return TOOL_FAILED;
    }
    Effects effects;
    if (!importShowJson(text, effects.library, inv.output, error)) {
        err << error << "\n" << effects.note(error);
        return TOOL_FAILED;
    }
    return TOOL_OK;
}

int runCheck(const ToolInvocation& inv, std::ostream& out, std::ostream& err) {
    Effects effects;
    const ShowReadResult r = checkShow(inv.input, effects.library);
    if (!r.ok()) {
        printRefusal(r, effects, err);
        return TOOL_FAILED;
    }
    out << "OK\n";
    return TOOL_OK;
}

}  // namespace

int runShowTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    const ParsedToolLine parsed = parseToolLine(args);
    if (!parsed.invocation) {
        err << "j4show: " << parsed.error << "\n" << helpText(Verb::None);
        return TOOL_USAGE;
    }
    const ToolInvocation& inv = *parsed.invocation;
    if (inv.help) {
        out << helpText(inv.verb);
        return TOOL_OK;
    }
    // Writing over the file being read would destroy it before it was read whole.
    std::error_code ec;
    if (!inv.output.empty() && inv.input != "-" &&
        std::filesystem::equivalent(inv.input, inv.output, ec)) {
        err << "j4show: the output " << inv.output << " is the input file\n";
        return TOOL_USAGE;
    }
    try {
        switch (inv.verb) {
            case Verb::Info:
            case Verb::Export:
                return runInfoOrExport(inv, out, err);
            case Verb::Import:
                return runImport(inv, in, err);
            case Verb::Check:
                return runCheck(inv, out, err);
            case Verb::None:
                break;
        }
    } catch (const std::bad_alloc&) {
        err << "j4show: out of memory\n";
    }
    return TOOL_FAILED;
}

}  // namespace j4::show::tool
