// Independent checks: python3-olefile reads what we write, we read what libgsf's gsf
// tool writes, and the j4cfb tool shows both. Each runs the other tool in a temporary
// folder; the trees are compared as folders (storages as folders, streams as files).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/compound/cfb_reader.h"
#include "platform/compound/cfb_writer.h"
#include "platform/compound/compound_file.h"
#include "platform/compound/tests/tree_items.h"

namespace j4::platform {
namespace {

namespace fs = std::filesystem;
using testing::TreeItem;

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command, collecting standard output and error.
CommandResult run(const std::string& command) {
    CommandResult r;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string quote(const std::string& s) {
    return "'" + s + "'";
}

std::vector<TreeItem> withBigStream(std::vector<TreeItem> items) {
    items.push_back({"Over Seven MB", false, testing::patternBytes(7'300'000, 99)});
    std::sort(items.begin(), items.end(),
              [](const TreeItem& a, const TreeItem& b) { return a.path < b.path; });
    return items;
}

std::vector<TreeItem> combined() {
    auto items = testing::sampleTree();
    for (auto& i : testing::manySiblings(400)) items.push_back(i);
    std::sort(items.begin(), items.end(),
              [](const TreeItem& a, const TreeItem& b) { return a.path < b.path; });
    return items;
}

void writeImage(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

TEST(CompoundOracle, OlefileReadsWhatWeWrite) {
    struct Case {
        const char* name;
        std::vector<TreeItem> items;
        int sectorShift;
    } cases[] = {
        {"sample-and-siblings", combined(), 9},
        {"over-7mb", withBigStream({{"Small", false, testing::patternBytes(10, 1)}}), 9},
        {"version-4", testing::sampleTree(), 12},
        {"empty", {}, 9},
    };
    for (const Case& c : cases) {
        const std::string folder = testing::freshFolder(std::string("olefile-") + c.name);
        const std::string path = folder + "/file.cfb";
        testing::writeFolder(folder + "/tree", c.items);
        fs::create_directories(folder + "/tree");
        auto file = CompoundFile::create(path);
        ASSERT_TRUE(file.ok());
        testing::buildTree(file->root(), c.items);
        if (c.sectorShift == 9) {
            ASSERT_TRUE(file->commit().ok()) << c.name;
        } else {
            // Version 4 is only for reading; the writer can make one for this check.
            auto model = compound_detail::readCompoundImage(*file->toBytes());
            ASSERT_TRUE(model.ok());
            writeImage(path, *compound_detail::writeCompoundImage(**model, c.sectorShift));
        }
        file->close();
        const CommandResult r =
            run("/usr/bin/python3 " + quote(J4_COMPOUND_TEST_DIR "/olefile_compare.py") + " " +
                quote(path) + " " + quote(folder + "/tree"));
        EXPECT_EQ(r.status, 0) << c.name << ":\n" << r.output;
        // Our reader agrees with the folder as well.
        auto back = CompoundFile::openRead(path);
        ASSERT_TRUE(back.ok()) << back.error().message;
        EXPECT_EQ(testing::listTree(back->root()), c.items) << c.name;
    }
}

TEST(CompoundOracle, WeReadWhatGsfWrites) {
    const std::string folder = testing::freshFolder("gsf");
    const std::string tree = folder + "/tree";
    const auto items = withBigStream(combined());
    testing::writeFolder(tree, items);
    std::string names;
    for (const auto& e : fs::directory_iterator(tree)) names += " " + quote(e.path().filename());
    const std::string path = folder + "/made-by-gsf.ole";
    const CommandResult r = run("cd " + quote(tree) + " && gsf createole " + quote(path) + names);
    ASSERT_EQ(r.status, 0) << r.output;

    auto file = CompoundFile::openRead(path);
    ASSERT_TRUE(file.ok()) << file.error().message;
    EXPECT_EQ(testing::listTree(file->root()), testing::listFolder(tree));

    // The tool shows the same file: one line per element, and one stream's bytes.
    const CommandResult list = run(quote(J4CFB_PATH) + " list " + quote(path));
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("        4097  Cues/1/Deeper/Still/Bytes\n"), std::string::npos)
        << list.output;
    EXPECT_NE(list.output.find("              Empty Storage/\n"), std::string::npos);
    const CommandResult dump = run(quote(J4CFB_PATH) + " dump " + quote(path) + " Cues/0/Data");
    ASSERT_EQ(dump.status, 0);
    EXPECT_EQ(std::vector<uint8_t>(dump.output.begin(), dump.output.end()),
              testing::patternBytes(4095, 3));
}

TEST(CompoundOracle, ToolReportsMissingElementsAndFilesInUse) {
    const std::string folder = testing::freshFolder("tool");
    const std::string path = folder + "/f.cfb";
    auto file = CompoundFile::create(path);
    ASSERT_TRUE(file.ok());
    testing::buildTree(file->root(), testing::sampleTree());
    ASSERT_TRUE(file->commit().ok());

    // Another process cannot read a file this one holds exclusively.
    CommandResult r = run(quote(J4CFB_PATH) + " list " + quote(path));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("in use"), std::string::npos) << r.output;
    file->close();

    r = run(quote(J4CFB_PATH) + " dump " + quote(path) + " Cues/9/Data");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("no storage \"9\""), std::string::npos) << r.output;
    r = run(quote(J4CFB_PATH) + " list " + quote(folder + "/missing"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(run(quote(J4CFB_PATH) + " frobnicate").status, 2);
}

}  // namespace
}  // namespace j4::platform
