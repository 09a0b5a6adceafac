#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "show/file/tool/tests/tool_test_support.h"
#include "show/file/tool/tool_command_line.h"

namespace j4::show::tool::testing {
namespace {

TEST(ToolCommandLine, ParsesVerbsFilesAndOutputs) {
    struct Case {
        std::vector<std::string> args;
        Verb verb;
        std::string input;
        std::string output;
    } cases[] = {
        {{"info", "a.j4"}, Verb::Info, "a.j4", ""},
        {{"export", "a.j4"}, Verb::Export, "a.j4", ""},
        {{"export", "-o", "a.json", "a.j4"}, Verb::Export, "a.j4", "a.json"},
        {{"import", "a.json", "--output", "b.j4"}, Verb::Import, "a.json", "b.j4"},
        {{"import", "-", "-o", "b.j4"}, Verb::Import, "-", "b.j4"},
        {{"check", "--", "-odd.j4"}, Verb::Check, "-odd.j4", ""},
    };
    for (const auto& c : cases) {
        const ParsedToolLine p = parseToolLine(c.args);
        ASSERT_TRUE(p.invocation) << c.args[0] << ": " << p.error;
        EXPECT_EQ(p.invocation->verb, c.verb);
        EXPECT_FALSE(p.invocation->help);
        EXPECT_EQ(p.invocation->input, c.input);
        EXPECT_EQ(p.invocation->output, c.output);
    }
}

TEST(ToolCommandLine, WrongLinesExitWithStatusTwoAndSayWhy) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "no verb given"},
        {{"show", "a.j4"}, "unknown verb \"show\""},
        {{"info"}, "no file given"},
        {{"info", "a.j4", "b.j4"}, "more than one file given"},
        {{"info", "-o", "x", "a.j4"}, "unknown option \"-o\""},
        {{"check", "--verbose", "a.j4"}, "unknown option \"--verbose\""},
        {{"export", "a.j4", "-o"}, "-o needs a file name"},
        {{"export", "a.j4", "-o", "x", "-o", "y"}, "the output is given twice"},
        {{"import", "a.json"}, "import needs -o SHOW"},
        {{"check", "-"}, "a show is read from a file, not from standard input"},
    };
    for (const auto& [args, why] : cases) {
        const ToolOutput r = runTool(args);
        EXPECT_EQ(r.status, 2) << why;
        EXPECT_NE(r.err.find(std::string("j4show: ") + why), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Usage: j4show"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

TEST(ToolCommandLine, EveryVerbHasHelp) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--help"}, "Usage: j4show VERB"},
        {{"-h"}, "Usage: j4show VERB"},
        {{"info", "--help"}, "Usage: j4show info SHOW\n"},
        {{"export", "a.j4", "--help"}, "Usage: j4show export SHOW [-o FILE]\n"},
        {{"import", "-h"}, "Usage: j4show import FILE.json -o SHOW\n"},
        {{"check", "--help"}, "Usage: j4show check SHOW\n"},
    };
    for (const auto& [args, usage] : cases) {
        const ToolOutput r = runTool(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind(usage, 0), 0u) << r.out;
        EXPECT_NE(r.out.find("Exit status"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
}

using ToolProgram = ToolTest;

// The program itself: streams and exit statuses as a shell sees them.
TEST_F(ToolProgram, ReportsOnTheRightStreamsWithItsExitStatus) {
    const std::string show = saveRichShow("show.j4");
    auto run = [&](const std::string& args) {
        const std::string command =
            std::string(J4SHOW_PATH) + " " + args + " >" + file("out") + " 2>" + file("err");
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("check " + show), 0);
    EXPECT_EQ(fileText(file("out")), "OK\n");
    EXPECT_EQ(run("export " + show + " | " + J4SHOW_PATH + " import - -o " + file("copy.j4")), 0);
    EXPECT_EQ(fileText(file("copy.j4")), fileText(show));
    EXPECT_EQ(run("check " + file("missing.j4")), 1);
    EXPECT_EQ(fileText(file("out")), "");
    EXPECT_NE(fileText(file("err")).find("503"), std::string::npos);
    EXPECT_EQ(run("frobnicate"), 2);
    // The output may not be the input: the show would be lost.
    EXPECT_EQ(run("export " + show + " -o " + show), 2);
    EXPECT_EQ(fileText(show), fileText(file("copy.j4")));
    EXPECT_EQ(run("info --help"), 0);
}

}  // namespace
}  // namespace j4::show::tool::testing
