#pragma once
// What the show tool's tests share: a private folder per test, settings that name an
// effect library holding the rich show's effect shape, the rich show saved as a file,
// and running the tool in-process with its three streams captured.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/settings_names.h"
#include "platform/settings_store.h"
#include "show/effect_file.h"
#include "show/file/tests/show_harness.h"
#include "show/file/tool/tool_run.h"

namespace j4::show::tool::testing {

namespace fs = std::filesystem;

struct ToolOutput {
    int status = -1;
    std::string out;
    std::string err;
};

inline ToolOutput runTool(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    ToolOutput r;
    r.status = runShowTool(args, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("j4show-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "effects");
        // Settings of this test alone: CTest gives all cases of a test program one
        // settings root and runs them in parallel, so each case names its own library.
        setenv("J4_SETTINGS_ROOT", (dir_ / "settings").c_str(), 1);
        platform::SettingsStore machine(platform::SettingsScope::Machine);
        ASSERT_TRUE(machine.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH,
                                        (dir_ / "effects").string()));
        // The rich show's effect shape, as a file of the library.
        show::testing::ShowHarness h;
        std::string error;
        ASSERT_TRUE(writeEffectFile(file("effects/circle.eff"), *h.effects.at(0), &error)) << error;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& name) const { return (dir_ / name).string(); }

    // The rich show saved by the console's Save.
    std::string saveRichShow(const std::string& name) {
        show::testing::ShowHarness h;
        show::testing::buildRichShow(h);
        EXPECT_TRUE(h.document.save(file(name)).ok());
        return file(name);
    }

    // Names of the files in the test's folder (not the settings or the library).
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename() != "effects" && e.path().filename() != "settings")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

}  // namespace j4::show::tool::testing
