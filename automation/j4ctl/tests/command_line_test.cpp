// What j4ctl makes of its command line.

#include "automation/j4ctl/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "automation/j4ctl/time_entry.h"

namespace j4::automation {
namespace {

ParsedCommandLine parse(const std::string& line) {
    std::istringstream in(line);
    static std::vector<std::string> words;  // keeps the views valid
    words.clear();
    for (std::string w; in >> w;) words.push_back(w);
    return parseCommandLine(std::vector<std::string_view>(words.begin(), words.end()));
}

TEST(CommandLine, EveryCommandBecomesItsQueueCommand) {
    struct Case {
        const char* line;
        int32_t code, a1, a2;
    } cases[] = {
        {"submaster 1 8192", 1, 0, 8192},
        {"submaster 24 50%", 1, 23, 4096},
        {"preset 24", 2, 23, 0},
        {"grandmaster 0", 3, 0, 0},
        {"grandmaster 100%", 3, 8192, 0},
        {"x 1 4112", 4, 0, 4112},
        {"y 4 1%", 5, 3, 82},
        {"submaster-cue 3 1000000", 6, 2, 1000000},
        {"x-cue 2 0", 7, 1, 0},
        {"y-cue 3 17", 8, 2, 17},
        {"mode internal", 9, 0, 0},
        {"mode timecode", 9, 1, 0},
        {"mode step", 9, 2, 0},
        {"play", 10, -1, 0},
        {"play now", 10, -1, 0},
        {"play 00:01:30:15", 10, 90'500, 0},
        {"play 1:00:00", 10, 60'000, 0},
        {"stop", 11, 0, 0},
        {"record 23:59:59:29", 12, 86'399'967, 0},
        {"automate 00:01:00:00", 13, 60'000, -1},
        {"automate 0:1:0:0 none", 13, 60'000, -1},
        {"automate 10:00 1:00:00", 13, 10'000, 60'000},
        {"aux 4 8192", 15, 3, 8192},
        {"aux-cue 1 5", 16, 0, 5},
        {"--timeout 50 stop", 11, 0, 0},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parse(c.line);
        ASSERT_TRUE(p.invocation) << c.line << ": " << p.error;
        EXPECT_EQ(p.invocation->action, Invocation::Action::Post) << c.line;
        EXPECT_EQ(p.invocation->code, c.code) << c.line;
        EXPECT_EQ(p.invocation->argument1, c.a1) << c.line;
        EXPECT_EQ(p.invocation->argument2, c.a2) << c.line;
    }
}

TEST(CommandLine, MistakesAreReportedNotSent) {
    const char* lines[] = {
        "",
        "dance",
        "submaster 0 10",
        "submaster 25 10",
        "submaster 1 8193",
        "submaster 1 101%",
        "submaster 1 -1",
        "submaster 1",
        "submaster 1 2 3",
        "preset 0",
        "x 5 0",
        "submaster-cue 1 -3",
        "submaster-cue 1 cue",
        "mode fast",
        "play 1:2:3:4:5x",
        "play later",
        "stop now",
        "automate",
        "status now",
        "stop --watch",
        "--timeout -5 stop",
        "--timeout",
        "--block noslash status",
        "--frobnicate stop",
        "--interval 5 status",
    };
    for (const char* line : lines) {
        const ParsedCommandLine p = parse(line);
        EXPECT_FALSE(p.invocation) << line;
        EXPECT_FALSE(p.error.empty()) << line;
    }
}

TEST(CommandLine, OptionsStatusAndHelp) {
    auto p = parse("--block /j4auto-x --wait 2000 status --watch --interval 250");
    ASSERT_TRUE(p.invocation) << p.error;
    EXPECT_EQ(p.invocation->action, Invocation::Action::Status);
    EXPECT_TRUE(p.invocation->watch);
    EXPECT_EQ(p.invocation->intervalMs, 250);
    EXPECT_EQ(p.invocation->blockName, "/j4auto-x");
    EXPECT_EQ(p.invocation->waitForConsoleMs, 2000);

    p = parse("stop --help");
    ASSERT_TRUE(p.invocation);
    EXPECT_EQ(p.invocation->action, Invocation::Action::Help);
    EXPECT_NE(usageText().find("Exit status"), std::string::npos);

    // "--" lets a show path start with dashes.
    p = parse("load -- --odd.j4");
    ASSERT_TRUE(p.invocation) << p.error;
    EXPECT_EQ(p.invocation->path, "--odd.j4");
    EXPECT_FALSE(parse("load " + std::string(256, 'a')).invocation);
}

TEST(TimeEntry, ReadFromTheEnd) {
    struct Case {
        const char* text;
        int32_t seconds, frames;
    } cases[] = {
        {"5", 0, 5},
        {"1:02:03:04", 3723, 4},
        {"123", 1, 23},
        {"00:01:30:15", 90, 15},
        {"99:99:99:99", 86399, 29},
        {"1.30.15", 90, 15},
        {"::5", 0, 5},
        {"1:2", 1, 2},
    };
    for (const Case& c : cases) {
        const auto t = parseTimeEntry(c.text);
        ASSERT_TRUE(t) << c.text;
        EXPECT_EQ(t->seconds, c.seconds) << c.text;
        EXPECT_EQ(t->frames, c.frames) << c.text;
    }
    EXPECT_FALSE(parseTimeEntry(""));
}

}  // namespace
}  // namespace j4::automation
