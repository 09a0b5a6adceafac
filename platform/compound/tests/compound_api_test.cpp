// The element model: names, create modes, enumeration order, removal, renaming,
// subtree copies and stream reads and writes, all in memory.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/compound/compound_file.h"
#include "platform/compound/element_name.h"

namespace j4::platform {
namespace {

std::vector<uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// A new document to work on; nothing reaches the disk without commit().
CompoundFile emptyDocument() {
    auto file = CompoundFile::create(testing::TempDir() + "j4-compound-api.cfb");
    EXPECT_TRUE(file.ok());
    return std::move(file).value();
}

std::vector<std::string> namesOf(const Storage& s) {
    std::vector<std::string> out;
    for (const auto& e : s.children()) out.push_back(e.name);
    return out;
}

TEST(ElementName, RefusesWhatTheFormatForbids) {
    struct Case {
        std::string name;
        bool ok;
    } cases[] = {
        {"Info", true},
        {std::string(31, 'x'), true},
        {std::string(32, 'x'), false},
        {"", false},
        {"a/b", false},
        {"a\\b", false},
        {"a:b", false},
        {"a!b", false},
        {"\x05SummaryInformation", true},
        // 31 UTF-16 units counted after conversion: 'é' is one unit, two UTF-8 bytes.
        {std::string(30, 'x') + "\xC3\xA9", true},
        // A character outside the BMP takes two units.
        {std::string(30, 'x') + "\xF0\x9F\x8E\xB5", false},
    };
    for (const auto& c : cases) {
        auto r = checkElementName(c.name);
        EXPECT_EQ(r.ok(), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(r.code(), CompoundErrorCode::InvalidName) << c.name;
        }
    }
}

TEST(ElementName, OrderIsLengthFirstThenUpperCase) {
    using compound_detail::compareNames;
    EXPECT_LT(compareNames(u"Zz", u"aaa"), 0);
    EXPECT_LT(compareNames(u"abc", u"ABD"), 0);
    EXPECT_EQ(compareNames(u"info", u"INFO"), 0);
    EXPECT_EQ(compareNames(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_EQ(compareNames(u"\u0436", u"\u0416"), 0);  // Cyrillic zhe
    // Compared after upper-casing: 'a' counts as 'A' (0x41), before '_' (0x5F).
    EXPECT_GT(compareNames(u"_", u"a"), 0);
}

TEST(Storage, CreateModesAndMissingElements) {
    CompoundFile file = emptyDocument();
    Storage root = file.root();

    ASSERT_TRUE(root.createStorage("Cues").ok());
    EXPECT_EQ(root.createStorage("Cues").code(), CompoundErrorCode::AlreadyExists);
    EXPECT_EQ(root.createStorage("cues").code(), CompoundErrorCode::AlreadyExists);
    EXPECT_TRUE(root.createStorage("Cues", CreateMode::OpenIfExists).ok());
    EXPECT_EQ(root.createStream("Cues", CreateMode::OpenIfExists).code(),
              CompoundErrorCode::AlreadyExists);

    // Missing is told apart from everything else.
    EXPECT_TRUE(root.openStorage("Devices").isNotFound());
    EXPECT_TRUE(root.openStream("Cues").isNotFound());  // a storage, not a stream
    EXPECT_TRUE(root.openStream("a/b").isNotFound());
    EXPECT_EQ(root.createStream("a/b").code(), CompoundErrorCode::InvalidName);

    // Case-insensitive lookup finds the element under its stored spelling.
    auto cues = root.openStorage("CUES");
    ASSERT_TRUE(cues.ok());
    EXPECT_EQ(cues->info().name, "Cues");

    // Replace swaps in a new, empty element, even of the other kind.
    ASSERT_TRUE(cues->createStream("Info").ok());
    auto replaced = root.createStream("Cues", CreateMode::Replace);
    ASSERT_TRUE(replaced.ok());
    EXPECT_EQ(replaced->size(), 0u);
    EXPECT_FALSE(cues->valid());
    EXPECT_TRUE(cues->openStream("Info").isNotFound());
}

TEST(Storage, ChildrenComeInDirectoryOrder) {
    CompoundFile file = emptyDocument();
    Storage root = file.root();
    for (const char* n : {"bb", "a", "Ab", "10", "2", "ccc", "B"})
        ASSERT_TRUE(root.createStream(n).ok()) << n;
    EXPECT_EQ(namesOf(root), (std::vector<std::string>{"2", "a", "B", "10", "Ab", "bb", "ccc"}));
}

TEST(Storage, RemoveAndRename) {
    CompoundFile file = emptyDocument();
    Storage root = file.root();
    auto s = root.createStorage("Old");
    ASSERT_TRUE(s.ok());
    auto inner = s->createStream("Data");
    ASSERT_TRUE(inner.ok());
    ASSERT_TRUE(inner->writeAll(bytesOf("xyz")).ok());
    ASSERT_TRUE(root.createStream("Other").ok());

    EXPECT_EQ(root.rename("Old", "other").code(), CompoundErrorCode::AlreadyExists);
    ASSERT_TRUE(root.rename("Old", "New").ok());
    EXPECT_TRUE(root.openStorage("Old").isNotFound());
    auto renamed = root.openStorage("New");
    ASSERT_TRUE(renamed.ok());
    EXPECT_EQ(renamed->openStream("Data")->readAll(), bytesOf("xyz"));
    EXPECT_TRUE(inner->valid());  // handles follow the element

    ASSERT_TRUE(root.remove("new").ok());
    EXPECT_TRUE(root.remove("New").isNotFound());
    EXPECT_FALSE(inner->valid());
    EXPECT_TRUE(inner->write("a", 1).isNotFound());
    EXPECT_EQ(namesOf(root), std::vector<std::string>{"Other"});
}

TEST(Storage, CopyToCopiesWholeSubtreesAndRefusesLoops) {
    CompoundFile src = emptyDocument();
    Storage extra = *src.root().createStorage("Extra Data");
    ASSERT_TRUE(
        extra.setClassId(*common::Identity::fromText("{00020906-0000-0000-C000-000000000046}"))
            .ok());
    Storage deep = *extra.createStorage("0");
    ASSERT_TRUE(deep.createStream("Info")->writeAll(bytesOf("deep")).ok());
    ASSERT_TRUE(extra.createStream("Top")->writeAll(bytesOf("top")).ok());

    CompoundFile dst = emptyDocument();
    Storage target = *dst.root().createStorage("Extra Data");
    ASSERT_TRUE(target.createStream("Top")->writeAll(bytesOf("old")).ok());
    ASSERT_TRUE(target.createStream("Keep").ok());
    ASSERT_TRUE(extra.copyTo(target).ok());

    EXPECT_EQ(namesOf(target), (std::vector<std::string>{"0", "Top", "Keep"}));
    EXPECT_EQ(target.openStream("Top")->readAll(), bytesOf("top"));
    EXPECT_EQ(target.openStorage("0")->openStream("Info")->readAll(), bytesOf("deep"));
    EXPECT_EQ(target.info().classId, extra.info().classId);

    // The copy is independent of its source.
    ASSERT_TRUE(extra.openStream("Top")->writeAll(bytesOf("changed")).ok());
    EXPECT_EQ(target.openStream("Top")->readAll(), bytesOf("top"));

    Storage root = src.root();
    EXPECT_EQ(extra.copyTo(deep).code(), CompoundErrorCode::InvalidArgument);
    EXPECT_EQ(extra.copyTo(extra).code(), CompoundErrorCode::InvalidArgument);
    EXPECT_TRUE(deep.copyTo(root).ok());  // upwards is fine
    EXPECT_TRUE(root.openStream("Info").ok());
}

TEST(Stream, ReadWriteSeekAndShortReads) {
    CompoundFile file = emptyDocument();
    Stream s = *file.root().createStream("S");
    ASSERT_TRUE(s.write("hello", 5).ok());
    EXPECT_EQ(s.tell(), 5u);

    // Overwrite in place, then past the end: the gap reads as zeros.
    s.seek(1);
    ASSERT_TRUE(s.write("EL", 2).ok());
    s.seek(8);
    ASSERT_TRUE(s.write("!", 1).ok());
    EXPECT_EQ(s.readAll(), (std::vector<uint8_t>{'h', 'E', 'L', 'l', 'o', 0, 0, 0, '!'}));

    char buf[16];
    s.seek(6);
    EXPECT_EQ(s.read(buf, sizeof buf), 3u);  // short read at the end
    EXPECT_EQ(s.read(buf, sizeof buf), 0u);
    s.seek(100);
    EXPECT_EQ(s.read(buf, 1), 0u);

    ASSERT_TRUE(s.setSize(2).ok());
    EXPECT_EQ(s.readAll(), bytesOf("hE"));
    ASSERT_TRUE(s.setSize(4).ok());
    EXPECT_EQ(s.readAll(), (std::vector<uint8_t>{'h', 'E', 0, 0}));
    EXPECT_EQ(s.setSize(uint64_t{1} << 32).code(), CompoundErrorCode::TooLarge);
    s.seek(0x7FFFFFFF);
    EXPECT_EQ(s.write("ab", 2).code(), CompoundErrorCode::TooLarge);
    EXPECT_EQ(s.size(), 4u);
}

TEST(Storage, NestingIsBounded) {
    CompoundFile file = emptyDocument();
    Storage s = file.root();
    int depth = 0;
    for (;; ++depth) {
        auto next = s.createStorage("n");
        if (!next) {
            EXPECT_EQ(next.code(), CompoundErrorCode::TooLarge);
            break;
        }
        s = *next;
        ASSERT_LT(depth, 1000);
    }
    EXPECT_EQ(depth, 64);
}

}  // namespace
}  // namespace j4::platform
