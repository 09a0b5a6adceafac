#include <gtest/gtest.h>

#include "common/settings_names.h"
#include "show/file/tests/bad_show_cases.h"
#include "show/file/tool/tests/tool_test_support.h"

namespace j4::show::tool::testing {
namespace {

using Check = ToolTest;

TEST_F(Check, NamesTheConsolesMessageAndReasonForEveryRefusedShow) {
    const std::string rich = saveRichShow("show.j4");
    for (const auto& c : show::testing::badShowCases()) {
        SCOPED_TRACE(c.what);
        fs::copy_file(rich, file("case.j4"), fs::copy_options::overwrite_existing);
        show::testing::mutate(file("case.j4"), c.change);
        const ToolOutput r = runTool({"check", file("case.j4")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("503: An error occured opening the file.\nreason: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.reasonHas), std::string::npos) << r.err;
    }
}

TEST_F(Check, AcceptsWhatTheConsoleOpensAndRefusesVersionsItDoesNotKnow) {
    const std::string rich = saveRichShow("show.j4");
    const ToolOutput ok = runTool({"check", rich});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "OK\n");
    // Checking is not opening: the console's last open file stays as it was.
    platform::SettingsStore user(platform::SettingsScope::User);
    EXPECT_FALSE(user.readString(common::SETTINGS_KEY, common::SETTING_LAST_OPEN_FILE));

    show::testing::mutate(rich, [](platform::Storage& root) {
        show::testing::putStream(root, "CorvantaJ4", show::testing::ints({123}));
    });
    const ToolOutput version = runTool({"check", rich});
    EXPECT_EQ(version.status, 1);
    EXPECT_NE(version.err.find("554: Incompatible file version. A software upgrade is required to "
                               "load file.\nreason: CorvantaJ4: version 123"),
              std::string::npos)
        << version.err;

    std::ofstream(file("text.j4")) << "not a compound file";
    for (const std::string& path : {file("text.j4"), file("missing.j4")}) {
        const ToolOutput r = runTool({"check", path});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("503: An error occured opening the file.\nreason: " + path),
                  std::string::npos)
            << r.err;
    }
}

TEST_F(Check, AMissingEffectLibraryIsNamedBesideTheRefusal) {
    const std::string rich = saveRichShow("show.j4");
    fs::remove_all(file("effects"));
    for (const char* verb : {"check", "info", "export"}) {
        const ToolOutput r = runTool({verb, rich});
        EXPECT_EQ(r.status, 1) << verb;
        EXPECT_NE(r.err.find("is not in the effect library"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("note: the effect library was not read (message 527"),
                  std::string::npos)
            << r.err;
    }
    // A refused export writes no output file, not even an empty one.
    EXPECT_EQ(runTool({"export", rich, "-o", file("out.json")}).status, 1);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"show.j4"});
    // A refusal that has nothing to do with effects carries no note about them.
    const ToolOutput missing = runTool({"check", file("missing.j4")});
    EXPECT_EQ(missing.err.find("note:"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace j4::show::tool::testing
