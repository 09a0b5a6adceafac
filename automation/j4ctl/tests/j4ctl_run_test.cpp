// The j4ctl program against a console side in this process: what reaches the queue,
// exit statuses and messages.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "automation/console_side.h"
#include "automation/j4ctl/command_line.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

struct ProgramRun {
    int status;
    std::string output;  // stdout and stderr together
};

ProgramRun runJ4ctl(const std::string& arguments) {
    const std::string command = std::string(J4CTL_PATH) + " " + arguments + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    ProgramRun run{-1, {}};
    if (p == nullptr) return run;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) run.output.append(buffer, n);
    const int status = pclose(p);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(J4ctl, CommandsStatusAndExitStatuses) {
    testing::TestBlock block;
    const std::string b = "--block " + block.name() + " ";

    ProgramRun r = runJ4ctl(b + "play");
    EXPECT_EQ(r.status, EXIT_NOT_CONNECTED);
    EXPECT_NE(r.output.find("no console is running"), std::string::npos) << r.output;
    r = runJ4ctl(b + "status");
    EXPECT_EQ(r.status, EXIT_NOT_CONNECTED);
    EXPECT_NE(r.output.find("not running"), std::string::npos) << r.output;

    platform::Event wakeUp;
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
    console.publishClock({90'500, 0, 1, 0});
    r = runJ4ctl(b + "status");
    EXPECT_EQ(r.status, EXIT_DONE);
    EXPECT_NE(r.output.find("00:01:30:15"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("playing"), std::string::npos) << r.output;

    EXPECT_EQ(runJ4ctl(b + "submaster 24 50%").status, EXIT_DONE);
    EXPECT_EQ(runJ4ctl(b + "load '/shows/my show.j4'").status, EXIT_DONE);
    J4AutoCommand c{};
    ASSERT_EQ(console.take(c), J4AUTO_OK);
    EXPECT_EQ(c.code, 1);
    EXPECT_EQ(c.argument1, 23);
    EXPECT_EQ(c.argument2, 4096);
    ASSERT_EQ(console.take(c), J4AUTO_OK);
    EXPECT_STREQ(c.path, "/shows/my show.j4");

    r = runJ4ctl(b + "submaster 25 0");
    EXPECT_EQ(r.status, EXIT_USAGE);
    EXPECT_NE(r.output.find("1 to 24"), std::string::npos) << r.output;

    // A console that takes nothing: once the queue is full, commands are dropped.
    for (int i = 0; i < SLOT_COUNT - 1; ++i) ASSERT_EQ(runJ4ctl(b + "stop").status, EXIT_DONE);
    r = runJ4ctl(b + "--timeout 20 stop");
    EXPECT_EQ(r.status, EXIT_DROPPED);
    EXPECT_NE(r.output.find("dropped"), std::string::npos) << r.output;

    EXPECT_EQ(runJ4ctl("--block /a/b status").status, EXIT_USAGE);
    r = runJ4ctl("--help");
    EXPECT_EQ(r.status, EXIT_DONE);
    EXPECT_NE(r.output.find("Usage: j4ctl"), std::string::npos);
}

}  // namespace
}  // namespace j4::automation
