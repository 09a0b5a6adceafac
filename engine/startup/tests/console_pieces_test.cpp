// The console's small parts: its command line, the status line and the scratch folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "driver/tests/private_folders.h"
#include "engine/startup/console_command_line.h"
#include "engine/startup/status_line.h"
#include "engine/startup/temp_data_folder.h"

namespace j4::engine {
namespace {

namespace fs = std::filesystem;

TEST(ConsoleCommandLine, Parses) {
    struct Row {
        std::vector<std::string_view> args;
        bool ok;
        std::string show;
        bool artnet;
        std::string address;
    };
    const Row rows[] = {
        {{"--headless"}, true, "", false, ""},
        {{"--headless", "a.j4"}, true, "a.j4", false, ""},
        {{"a.j4", "--headless", "--artnet", "--interface", "127.0.0.2"},
         true,
         "a.j4",
         true,
         "127.0.0.2"},
        {{"--headless", "--", "--odd.j4"}, true, "--odd.j4", false, ""},
        {{"a.j4"}, false, "", false, ""},  // the windows do not exist yet
        {{"--headless", "a.j4", "b.j4"}, false, "", false, ""},
        {{"--headless", "--interface"}, false, "", false, ""},
        {{"--headless", "--frobnicate"}, false, "", false, ""},
    };
    for (const Row& r : rows) {
        const auto parsed = parseConsoleCommandLine(r.args);
        ASSERT_EQ(parsed.line.has_value(), r.ok) << (r.args.empty() ? "" : r.args.back());
        if (!r.ok) {
            EXPECT_FALSE(parsed.error.empty());
            continue;
        }
        EXPECT_EQ(parsed.line->showPath, r.show);
        EXPECT_EQ(parsed.line->artnet, r.artnet);
        EXPECT_EQ(parsed.line->interfaceAddress, r.address);
    }
    EXPECT_TRUE(parseConsoleCommandLine({"--help"}).line->help);
}

TEST(StatusLine, ShowsClockAndCurrentEvents) {
    ConsoleStatus s;
    s.clockRead = true;
    s.clock = {62'500, common::ClockMode::Step, common::ClockState::Recording,
               common::TimecodeStatus::LostFreeRunning};
    s.currentEvents = {3, 0, 12, 1};
    EXPECT_EQ(statusLineText(s),
              "00:01:02:15  Step  recording  timecode lost, running free  events 3 0 12 1");
    s.clockRead = false;
    EXPECT_EQ(statusLineText(s), "--:--:--:--  clock unavailable  events 3 0 12 1");
}

class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        run = driver::testing::usePrivateFolders() + "/scratch-run";
        fs::remove_all(run);
        fs::create_directories(run);
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
    void TearDown() override {
        ::setenv("XDG_RUNTIME_DIR", (driver::testing::usePrivateFolders() + "/run").c_str(), 1);
    }
    std::string run;
};

TEST_F(ScratchFolder, EmptiedAtStartRemovedAtExit) {
    const std::string folder = TempDataFolder::location();
    fs::create_directories(folder + "/keep");
    std::ofstream(folder + "/BAC1.tmp") << "old picture";
    TempDataFolder scratch;
    ASSERT_TRUE(scratch.prepare());
    EXPECT_EQ(scratch.path(), folder);
    EXPECT_FALSE(fs::exists(folder + "/BAC1.tmp"));
    EXPECT_TRUE(fs::is_directory(folder + "/keep"));  // sub-folders are left
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);

    fs::remove(folder + "/keep");
    std::ofstream(folder + "/BAC2.tmp") << "new picture";
    scratch.remove();
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(ScratchFolder, ALinkInItsPlaceIsRefusedAndNotFollowed) {
    const std::string elsewhere = run + "/elsewhere";
    fs::create_directories(elsewhere);
    std::ofstream(elsewhere + "/precious") << "data";
    fs::create_directory_symlink(elsewhere, TempDataFolder::location());
    TempDataFolder scratch;
    EXPECT_FALSE(scratch.prepare());
    EXPECT_TRUE(fs::exists(elsewhere + "/precious"));
}

TEST_F(ScratchFolder, WithoutARuntimeFolderTheNameCarriesTheUser) {
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", run.c_str(), 1);
    EXPECT_EQ(TempDataFolder::location(), run + "/Corvanta J4 Data-" + std::to_string(::geteuid()));
    ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace j4::engine
