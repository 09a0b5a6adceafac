// Compound files on disk: sharing modes through OFD locks, commit through a temporary
// file (also when writing fails), backups, copies and the errors of open.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/compound/compound_file.h"
#include "platform/compound/tests/tree_items.h"

namespace j4::platform {
namespace {

namespace fs = std::filesystem;
using testing::TreeItem;

std::vector<uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// Writes a file holding `items` and returns its path.
std::string writeFile(const std::string& folder, const std::vector<TreeItem>& items) {
    const std::string path = folder + "/show.j4";
    auto file = CompoundFile::create(path);
    EXPECT_TRUE(file.ok());
    testing::buildTree(file->root(), items);
    EXPECT_TRUE(file->commit().ok());
    return path;
}

std::vector<TreeItem> readFile(const std::string& path) {
    auto file = CompoundFile::openRead(path);
    EXPECT_TRUE(file.ok()) << file.error().message;
    if (!file) return {};
    return testing::listTree(file->root());
}

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

enum class Mode { Read, ReadWrite, Create };

CompoundResult<CompoundFile> openAs(Mode mode, const std::string& path) {
    switch (mode) {
        case Mode::Read:
            return CompoundFile::openRead(path);
        case Mode::ReadWrite:
            return CompoundFile::openReadWrite(path);
        case Mode::Create:
            return CompoundFile::create(path);
    }
    return CompoundError{CompoundErrorCode::InvalidArgument, ""};
}

TEST(CompoundFileOnDisk, CommitWritesTheTreeAndLeavesNoTemporaryFile) {
    const std::string folder = testing::freshFolder("commit");
    const auto items = testing::sampleTree();
    const std::string path = writeFile(folder, items);
    EXPECT_EQ(readFile(path), items);
    EXPECT_EQ(folderNames(folder), std::vector<std::string>{"show.j4"});

    // An in-place edit through openReadWrite, committed twice.
    auto file = CompoundFile::openReadWrite(path);
    ASSERT_TRUE(file.ok());
    auto info = file->root().openStorage("Cues")->openStorage("0")->openStream("Info");
    ASSERT_TRUE(info.ok());
    info->seek(2);
    ASSERT_TRUE(info->write("XY", 2).ok());
    ASSERT_TRUE(file->commit().ok());
    ASSERT_TRUE(file->root().remove("Devices").ok());
    ASSERT_TRUE(file->commit().ok());
    file->close();

    auto expected = items;
    for (auto& item : expected) {
        if (item.path == "Cues/0/Info") item.data[2] = 'X', item.data[3] = 'Y';
    }
    std::erase_if(expected, [](const TreeItem& i) { return i.path.starts_with("Devices"); });
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(folderNames(folder), std::vector<std::string>{"show.j4"});
}

TEST(CompoundFileOnDisk, CommitKeepsThePermissionsOfTheFileItReplaces) {
    const std::string folder = testing::freshFolder("mode");
    const std::string path = writeFile(folder, {{"A", false, bytesOf("a")}});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    auto file = CompoundFile::openReadWrite(path);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file->commit().ok());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(CompoundFileOnDisk, SharingModesFollowTheLocks) {
    const std::string folder = testing::freshFolder("sharing");
    const std::string path = writeFile(folder, {{"A", false, bytesOf("a")}});
    struct Case {
        Mode first, second;
        bool secondOpens;
    } cases[] = {
        {Mode::Read, Mode::Read, true},
        {Mode::Read, Mode::ReadWrite, false},
        {Mode::Read, Mode::Create, false},
        {Mode::ReadWrite, Mode::Read, false},
        {Mode::ReadWrite, Mode::ReadWrite, false},
        {Mode::ReadWrite, Mode::Create, false},
        {Mode::Create, Mode::Read, false},
        {Mode::Create, Mode::ReadWrite, false},
    };
    for (const Case& c : cases) {
        const std::string label = std::to_string(static_cast<int>(c.first)) + "/" +
                                  std::to_string(static_cast<int>(c.second));
        auto first = openAs(c.first, path);
        ASSERT_TRUE(first.ok()) << label;
        auto second = openAs(c.second, path);
        EXPECT_EQ(second.ok(), c.secondOpens) << label;
        if (!c.secondOpens) {
            EXPECT_EQ(second.code(), CompoundErrorCode::InUse) << label;
        }
        first->close();
        EXPECT_TRUE(openAs(c.second, path).ok()) << label << " after close";
    }
}

TEST(CompoundFileOnDisk, TheLockMovesToTheCommittedFile) {
    const std::string folder = testing::freshFolder("relock");
    const std::string path = writeFile(folder, {{"A", false, bytesOf("old")}});
    auto writer = CompoundFile::openReadWrite(path);
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer->root().openStream("A")->writeAll(bytesOf("new")).ok());
    ASSERT_TRUE(writer->commit().ok());
    EXPECT_EQ(CompoundFile::openRead(path).code(), CompoundErrorCode::InUse);
    EXPECT_EQ(CompoundFile::openReadWrite(path).code(), CompoundErrorCode::InUse);
    writer = CompoundFile();  // releases the lock
    EXPECT_EQ(readFile(path), (std::vector<TreeItem>{{"A", false, bytesOf("new")}}));
}

TEST(CompoundFileOnDisk, BackupKeepsThePreviousContent) {
    const std::string folder = testing::freshFolder("backup");
    const std::string path = folder + "/show.j4";
    const std::string backup = path + ".bak";

    // No old file: no backup, no error.
    auto file = CompoundFile::create(path);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file->root().createStream("V")->writeAll(bytesOf("1")).ok());
    ASSERT_TRUE(file->commit({backup}).ok());
    EXPECT_FALSE(fs::exists(backup));

    for (const char* version : {"2", "3"}) {
        ASSERT_TRUE(file->root().openStream("V")->writeAll(bytesOf(version)).ok());
        ASSERT_TRUE(file->commit({backup}).ok());
    }
    file->close();
    EXPECT_EQ(readFile(path), (std::vector<TreeItem>{{"V", false, bytesOf("3")}}));
    EXPECT_EQ(readFile(backup), (std::vector<TreeItem>{{"V", false, bytesOf("2")}}));
    EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"show.j4", "show.j4.bak"}));
}

TEST(CompoundFileOnDisk, AFailedWriteLeavesTheOldFileUntouched) {
    const std::string folder = testing::freshFolder("failedwrite");
    const auto items = testing::sampleTree();
    const std::string path = writeFile(folder, items);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> before(std::istreambuf_iterator<char>(in), {});

    auto file = CompoundFile::openReadWrite(path);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file->root().createStream("More")->writeAll(testing::patternBytes(50000, 1)).ok());

    // A file-size limit makes the write of the temporary file fail part way.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    auto result = file->commit({path + ".bak"});
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.code(), CompoundErrorCode::Io);
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(again), {}), before);
    EXPECT_EQ(folderNames(folder), std::vector<std::string>{"show.j4"});
    // Still open and locked: the save can be retried.
    EXPECT_EQ(CompoundFile::openRead(path).code(), CompoundErrorCode::InUse);
    EXPECT_TRUE(file->commit().ok());
}

TEST(CompoundFileOnDisk, OpenErrorsSayWhatIsWrong) {
    const std::string folder = testing::freshFolder("openerrors");
    std::ofstream(folder + "/text.j4") << "not a compound file at all";
    struct Case {
        std::string path;
        CompoundErrorCode code;
    } cases[] = {
        {folder + "/missing.j4", CompoundErrorCode::NotFound},
        {folder + "/no/such/folder.j4", CompoundErrorCode::NotFound},
        {folder, CompoundErrorCode::Io},
        {folder + "/text.j4", CompoundErrorCode::Corrupt},
    };
    for (const Case& c : cases) {
        for (Mode mode : {Mode::Read, Mode::ReadWrite}) {
            auto r = openAs(mode, c.path);
            ASSERT_FALSE(r.ok()) << c.path;
            EXPECT_EQ(r.code(), c.code) << c.path << ": " << r.error().message;
        }
    }
    EXPECT_EQ(CompoundFile::create(folder + "/no/such/folder.j4").code(),
              CompoundErrorCode::NotFound);
    // A refused file was not locked: it opens again at once.
    EXPECT_EQ(CompoundFile::openReadWrite(folder + "/text.j4").code(), CompoundErrorCode::Corrupt);
}

TEST(CompoundFileOnDisk, ReadOnlyOpensRefuseChanges) {
    const std::string folder = testing::freshFolder("readonly");
    const std::string path = writeFile(folder, testing::sampleTree());
    auto file = CompoundFile::openRead(path);
    ASSERT_TRUE(file.ok());
    Storage root = file->root();
    auto stream = root.openStorage("Cues")->openStorage("0")->openStream("Info");
    ASSERT_TRUE(stream.ok());
    EXPECT_EQ(stream->write("x", 1).code(), CompoundErrorCode::ReadOnly);
    EXPECT_EQ(stream->setSize(0).code(), CompoundErrorCode::ReadOnly);
    EXPECT_EQ(root.createStream("New").code(), CompoundErrorCode::ReadOnly);
    EXPECT_EQ(root.createStorage("Cues", CreateMode::OpenIfExists).code(),
              CompoundErrorCode::ReadOnly);
    EXPECT_EQ(root.remove("Cues").code(), CompoundErrorCode::ReadOnly);
    EXPECT_EQ(root.rename("Cues", "X").code(), CompoundErrorCode::ReadOnly);
    EXPECT_EQ(file->commit().code(), CompoundErrorCode::ReadOnly);
    // Copying out of a read-only file is what Open does with "Extra Data".
    CompoundFile other = std::move(CompoundFile::create(folder + "/other.j4").value());
    Storage dest = other.root();
    EXPECT_TRUE(root.copyTo(dest).ok());
    EXPECT_EQ(testing::listTree(dest), testing::sampleTree());
    EXPECT_EQ(dest.copyTo(root).code(), CompoundErrorCode::ReadOnly);
}

TEST(CompoundFileOnDisk, SaveCopyAsWritesElsewhereAndStaysBound) {
    const std::string folder = testing::freshFolder("copyas");
    const std::string path = writeFile(folder, {{"A", false, bytesOf("a")}});
    auto file = CompoundFile::openReadWrite(path);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file->root().createStream("B").ok());
    ASSERT_TRUE(file->saveCopyAs(folder + "/copy.j4").ok());
    EXPECT_EQ(file->path(), path);
    EXPECT_EQ(file->saveCopyAs(path).code(), CompoundErrorCode::InvalidArgument);
    {
        auto holder = CompoundFile::openRead(folder + "/copy.j4");
        ASSERT_TRUE(holder.ok());
        EXPECT_EQ(file->saveCopyAs(folder + "/copy.j4").code(), CompoundErrorCode::InUse);
    }
    file->close();
    EXPECT_EQ(readFile(folder + "/copy.j4").size(), 2u);
    EXPECT_EQ(readFile(path).size(), 1u);
}

TEST(CompoundFileOnDisk, HandlesOutliveTheirFile) {
    const std::string folder = testing::freshFolder("handles");
    const std::string path = writeFile(folder, {{"A", false, bytesOf("abc")}});
    Stream stream;
    {
        auto file = CompoundFile::openRead(path);
        ASSERT_TRUE(file.ok());
        stream = *file->root().openStream("A");
    }
    EXPECT_EQ(stream.readAll(), bytesOf("abc"));
    EXPECT_TRUE(CompoundFile::openReadWrite(path).ok());  // the lock went with the file
}

}  // namespace
}  // namespace j4::platform
