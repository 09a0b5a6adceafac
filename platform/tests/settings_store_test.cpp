#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "platform/tests/child_process.h"

namespace j4::platform {
namespace {

namespace fs = std::filesystem;
const std::string KEY = "Software\\Corvanta\\Corvanta J4";

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* base = std::getenv("J4_SETTINGS_ROOT");
        root_ = std::string(base != nullptr ? base : "/tmp/j4-settings-test") + "/" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root_);
    }
    std::string root_;
};

std::string fileText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(SettingsStoreTest, EveryTypeRoundTrips) {
    SettingsStore store(SettingsScope::User, root_);
    const std::string strings[] = {
        "",
        "/usr/share/corvanta-j4/templates",
        "a=b=c",
        "back\\slash\\",
        "line\nbreak\r\n",
        "\t# not a comment",
        "Zürich ♪",
        std::string("nul\0inside", 10),
        "  spaces  ",
        std::string(5000, 'x'),
    };
    for (const auto& s : strings) {
        ASSERT_TRUE(store.writeString(KEY, "Text", s));
        EXPECT_EQ(store.readString(KEY, "Text"), s);
    }
    for (uint32_t n : {0u, 1u, 42u, 0x7fffffffu, 0xffffffffu}) {
        ASSERT_TRUE(store.writeNumber(KEY, "Number", n));
        EXPECT_EQ(store.readNumber(KEY, "Number"), n);
    }
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    for (const auto& b : {std::vector<uint8_t>{}, std::vector<uint8_t>(44, 0xab), all}) {
        ASSERT_TRUE(store.writeBinary(KEY + "\\WindowPos", "MainWindow", b));
        EXPECT_EQ(store.readBinary(KEY + "\\WindowPos", "MainWindow"), b);
    }
    // Names are free text too, and distinct values stay distinct.
    const std::string names[] = {"", "a=b", "#hash", "new\nline", "back\\", "Text "};
    for (const auto& n : names) ASSERT_TRUE(store.writeString(KEY, n, "value of " + n));
    for (const auto& n : names) EXPECT_EQ(store.readString(KEY, n), "value of " + n) << n;
    EXPECT_EQ(store.readString(KEY, "Text"), strings[std::size(strings) - 1]);
}

TEST_F(SettingsStoreTest, MissingOrMistypedValuesReadAsAbsent) {
    SettingsStore store(SettingsScope::Machine, root_);
    EXPECT_FALSE(store.readString(KEY, "TemplatePath"));  // no key at all
    ASSERT_TRUE(store.writeNumber(KEY, "CreatorID", 7));
    EXPECT_FALSE(store.readString(KEY, "LogoPath"));   // no such value
    EXPECT_FALSE(store.readString(KEY, "CreatorID"));  // another type
    EXPECT_FALSE(store.readBinary(KEY, "CreatorID"));
    EXPECT_FALSE(store.readNumber(KEY + "\\Sub", "CreatorID"));
    EXPECT_FALSE(store.readNumber("Software\\Corvanta", "CreatorID"));  // values are per key

    EXPECT_TRUE(store.deleteValue(KEY, "CreatorID"));
    EXPECT_FALSE(store.readNumber(KEY, "CreatorID"));
    EXPECT_TRUE(store.deleteValue(KEY, "CreatorID"));          // already gone
    EXPECT_TRUE(store.deleteValue(KEY + "\\Never", "Value"));  // no key: nothing to do
    EXPECT_FALSE(fs::exists(store.folder() + "/Software/Corvanta/Corvanta J4/Never"));
}

TEST_F(SettingsStoreTest, ScopesAreSeparateFolders) {
    SettingsStore machine(SettingsScope::Machine, root_), user(SettingsScope::User, root_);
    EXPECT_EQ(machine.folder(), root_ + "/machine");
    EXPECT_EQ(user.folder(), root_ + "/user");
    ASSERT_TRUE(machine.writeString(KEY, "LastOpenFile", "/shows/a.j4"));
    EXPECT_FALSE(user.readString(KEY, "LastOpenFile"));
    // The file is plain text a person can read.
    EXPECT_NE(fileText(root_ + "/machine/Software/Corvanta/Corvanta J4/.values")
                  .find("LastOpenFile=string:/shows/a.j4\n"),
              std::string::npos);
}

TEST_F(SettingsStoreTest, DefaultFoldersFollowTheEnvironment) {
    const char* saved = std::getenv("J4_SETTINGS_ROOT");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("J4_SETTINGS_ROOT", "/srv/j4", 1);
    EXPECT_EQ(SettingsStore::defaultFolder(SettingsScope::Machine), "/srv/j4/machine");
    EXPECT_EQ(SettingsStore(SettingsScope::User).folder(), "/srv/j4/user");
    unsetenv("J4_SETTINGS_ROOT");
    EXPECT_EQ(SettingsStore::defaultFolder(SettingsScope::Machine), "/etc/corvanta-j4");
    setenv("XDG_CONFIG_HOME", "/home/x/.cfg", 1);
    EXPECT_EQ(SettingsStore::defaultFolder(SettingsScope::User), "/home/x/.cfg/corvanta-j4");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/y", 1);
    EXPECT_EQ(SettingsStore::defaultFolder(SettingsScope::User), "/home/y/.config/corvanta-j4");
    if (saved != nullptr) setenv("J4_SETTINGS_ROOT", keep.c_str(), 1);
}

TEST_F(SettingsStoreTest, KeyNamesCannotLeaveTheScopeFolder) {
    SettingsStore store(SettingsScope::User, root_);
    const std::string keys[] = {
        "..\\..\\..\\escaped", "a/../../escaped", "/etc/escaped", ".", ".values", "%2E%2E"};
    for (const auto& key : keys) {
        ASSERT_TRUE(store.writeString(key, "v", key)) << key;
        EXPECT_EQ(store.readString(key, "v"), key);
    }
    EXPECT_FALSE(fs::exists(root_ + "/escaped"));
    EXPECT_FALSE(fs::exists(fs::path(root_).parent_path() / "escaped"));
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
        const std::string p = fs::weakly_canonical(entry.path()).string();
        EXPECT_EQ(p.rfind(fs::weakly_canonical(store.folder()).string(), 0), 0u) << p;
    }
    // The root key's values do not collide with a key named ".values".
    ASSERT_TRUE(store.writeString("", "v", "root"));
    EXPECT_EQ(store.readString("", "v"), "root");
    EXPECT_EQ(store.readString(".values", "v"), ".values");
    // Empty components are refused, not collapsed.
    for (const auto& key : {"a\\\\b", "\\a", "a\\"}) {
        EXPECT_FALSE(store.writeString(key, "v", "x")) << key;
        EXPECT_FALSE(store.readString(key, "v")) << key;
    }
}

TEST_F(SettingsStoreTest, HandEditedFilesKeepWhatTheyDoNotUnderstand) {
    SettingsStore store(SettingsScope::User, root_);
    const fs::path folder = root_ + "/user/Software/Corvanta/Corvanta J4";
    fs::create_directories(folder);
    std::ofstream(folder / ".values") << "# my notes\r\n"
                                         "UseChar=number:1\r\n"
                                         "garbage line\n"
                                         "Bad=number:12x\n"
                                         "Huge=number:4294967296\n"
                                         "OddHex=binary:abc\n"
                                         "BadEscape=string:a\\qb\n"
                                         "Dup=string:first\n"
                                         "Dup=string:second\n";
    EXPECT_EQ(store.readNumber(KEY, "UseChar"), 1u);
    for (const char* name : {"Bad", "Huge"}) EXPECT_FALSE(store.readNumber(KEY, name)) << name;
    EXPECT_FALSE(store.readBinary(KEY, "OddHex"));
    EXPECT_FALSE(store.readString(KEY, "BadEscape"));
    EXPECT_EQ(store.readString(KEY, "Dup"), "first");

    ASSERT_TRUE(store.writeString(KEY, "Dup", "third"));
    ASSERT_TRUE(store.writeNumber(KEY, "Bad", 12));
    EXPECT_EQ(store.readString(KEY, "Dup"), "third");
    EXPECT_EQ(store.readNumber(KEY, "Bad"), 12u);
    const std::string text = fileText(folder / ".values");
    EXPECT_NE(text.find("# my notes\n"), std::string::npos);
    EXPECT_NE(text.find("garbage line\n"), std::string::npos);
    EXPECT_EQ(text.find("second"), std::string::npos);
}

TEST_F(SettingsStoreTest, AKeyFileThatCannotBeReadIsNeverReplaced) {
    SettingsStore store(SettingsScope::User, root_);
    const fs::path folder = root_ + "/user/Software/Corvanta/Corvanta J4";
    fs::create_directories(folder / ".values");  // not a file: unreadable as a key
    EXPECT_FALSE(store.readString(KEY, "x"));
    EXPECT_FALSE(store.writeString(KEY, "x", "y"));
    EXPECT_TRUE(fs::is_directory(folder / ".values"));
    // A file over the size limit is left alone as well.
    fs::remove(folder / ".values");
    std::ofstream(folder / ".values") << std::string(17 * 1024 * 1024, '#');
    EXPECT_FALSE(store.writeString(KEY, "x", "y"));
    EXPECT_EQ(fs::file_size(folder / ".values"), 17u * 1024 * 1024);
}

TEST_F(SettingsStoreTest, WritersInSeveralProcessesKeepEachOthersValues) {
    constexpr int PROCESSES = 4, VALUES = 15;
    std::vector<pid_t> children;
    for (int p = 0; p < PROCESSES; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SettingsStore store(SettingsScope::User, root_);
            int failures = 0;
            for (int v = 0; v < VALUES; ++v) {
                const std::string name = "p" + std::to_string(p) + "v" + std::to_string(v);
                failures += !store.writeNumber(KEY, name, static_cast<uint32_t>(p * 1000 + v));
            }
            _exit(failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsStore store(SettingsScope::User, root_);
    for (int p = 0; p < PROCESSES; ++p)
        for (int v = 0; v < VALUES; ++v)
            EXPECT_EQ(store.readNumber(KEY, "p" + std::to_string(p) + "v" + std::to_string(v)),
                      static_cast<uint32_t>(p * 1000 + v));
}

TEST_F(SettingsStoreTest, AReaderNeverSeesAHalfWrittenKey) {
    const std::string a(64 * 1024, 'a'), b(96 * 1024, 'b');
    SettingsStore store(SettingsScope::User, root_);
    ASSERT_TRUE(store.writeString(KEY, "Big", a));
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        close(done[0]);
        SettingsStore own(SettingsScope::User, root_);
        int failures = 0;
        for (int i = 0; i < 60; ++i) failures += !own.writeString(KEY, "Big", i % 2 ? a : b);
        _exit(failures);
    }
    close(done[1]);
    int reads = 0, torn = 0;
    for (;;) {
        const auto value = store.readString(KEY, "Big");
        ++reads;
        if (!value || (*value != a && *value != b)) ++torn;
        int status = 0;
        if (waitpid(writer, &status, WNOHANG) == writer) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            break;
        }
    }
    close(done[0]);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    EXPECT_EQ(store.readString(KEY, "Big"), a);  // the last write (i = 59)
}

TEST_F(SettingsStoreTest, ValuesWrittenByAnotherProcessAreSeen) {
    const int rc = testing::runInChild([&] {
        SettingsStore store(SettingsScope::Machine, root_);
        return store.writeString(KEY, "TemplatePath", "/lib/templates") &&
                       store.writeBinary(KEY + "\\KeyAssignments", "Assignments", {1, 0, 0, 0})
                   ? 0
                   : 1;
    });
    ASSERT_EQ(rc, 0);
    SettingsStore store(SettingsScope::Machine, root_);
    EXPECT_EQ(store.readString(KEY, "TemplatePath"), "/lib/templates");
    EXPECT_EQ(store.readBinary(KEY + "\\KeyAssignments", "Assignments"),
              (std::vector<uint8_t>{1, 0, 0, 0}));
}

}  // namespace
}  // namespace j4::platform
