// The j4ctl program against a console side in this process: what reaches the queue,
// exit statuses and messages.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
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
    // A relative path is sent as seen from where j4ctl runs, not from the console.
    EXPECT_EQ(runJ4ctl(b + "load ./demo.j4").status, EXIT_DONE);
    ASSERT_EQ(console.take(c), J4AUTO_OK);
    EXPECT_EQ(std::string(c.path), (std::filesystem::current_path() / "demo.j4").string());

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

// `status --watch` into a pipe prints a line when something changes and ends cleanly
// on SIGTERM (its handler is in place before the first line appears).
TEST(J4ctl, WatchEndsCleanlyOnTerm) {
    testing::TestBlock block;
    platform::Event wakeUp;
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
    console.publishClock({60'000, 2, 0, 0});
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execl(J4CTL_PATH, "j4ctl", "--block", block.name().c_str(), "status", "--watch",
              "--interval", "20", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    EXPECT_EQ(line, "00:01:00:00  Step  stopped  timecode none  [console running]");
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(out[0]);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EXIT_DONE);
}

}  // namespace
}  // namespace j4::automation
