#include "platform/compound/tests/tree_items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include <unistd.h>

namespace j4::platform::testing {

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& os, const TreeItem& item) {
    os << item.path;
    if (item.storage) return os << "/";
    return os << " (" << item.data.size() << " bytes)";
}

namespace {

void sortItems(std::vector<TreeItem>& items) {
    std::sort(items.begin(), items.end(),
              [](const TreeItem& a, const TreeItem& b) { return a.path < b.path; });
}

void listInto(const Storage& storage, const std::string& prefix, std::vector<TreeItem>& out) {
    for (const EntryInfo& e : storage.children()) {
        const std::string path = prefix + e.name;
        if (e.type == EntryType::Stream) {
            auto s = storage.openStream(e.name);
            EXPECT_TRUE(s.ok()) << path;
            if (s) out.push_back({path, false, s->readAll()});
        } else {
            out.push_back({path, true, {}});
            auto sub = storage.openStorage(e.name);
            EXPECT_TRUE(sub.ok()) << path;
            if (sub) listInto(*sub, path + "/", out);
        }
    }
}

}  // namespace

std::vector<TreeItem> listTree(const Storage& root) {
    std::vector<TreeItem> out;
    listInto(root, "", out);
    sortItems(out);
    return out;
}

std::vector<TreeItem> listFolder(const std::string& folder) {
    std::vector<TreeItem> out;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        TreeItem item;
        item.path = fs::relative(entry.path(), folder).generic_string();
        item.storage = entry.is_directory();
        if (!item.storage) {
            std::ifstream in(entry.path(), std::ios::binary);
            item.data.assign(std::istreambuf_iterator<char>(in), {});
        }
        out.push_back(std::move(item));
    }
    sortItems(out);
    return out;
}

void writeFolder(const std::string& folder, const std::vector<TreeItem>& items) {
    for (const TreeItem& item : items) {
        const fs::path p = fs::path(folder) / item.path;
        if (item.storage) {
            fs::create_directories(p);
        } else {
            fs::create_directories(p.parent_path());
            std::ofstream out(p, std::ios::binary);
            out.write(reinterpret_cast<const char*>(item.data.data()),
                      static_cast<std::streamsize>(item.data.size()));
        }
    }
}

void buildTree(Storage root, const std::vector<TreeItem>& items) {
    for (const TreeItem& item : items) {
        Storage parent = root;
        std::string path = item.path;
        size_t start = 0;
        for (size_t slash; (slash = path.find('/', start)) != std::string::npos;
             start = slash + 1) {
            auto sub =
                parent.createStorage(path.substr(start, slash - start), CreateMode::OpenIfExists);
            ASSERT_TRUE(sub.ok()) << item.path << ": " << sub.error().message;
            parent = *sub;
        }
        const std::string name = path.substr(start);
        if (item.storage) {
            ASSERT_TRUE(parent.createStorage(name, CreateMode::OpenIfExists).ok()) << item.path;
        } else {
            auto s = parent.createStream(name);
            ASSERT_TRUE(s.ok()) << item.path << ": " << s.error().message;
            ASSERT_TRUE(s->writeAll(item.data).ok());
        }
    }
}

std::vector<uint8_t> patternBytes(size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return out;
}

std::vector<TreeItem> sampleTree() {
    std::vector<TreeItem> items = {
        {"CorvantaJ4", false, patternBytes(4, 1)},
        {"Cues", true, {}},
        {"Cues/0", true, {}},
        {"Cues/0/Info", false, patternBytes(37, 2)},
        {"Cues/0/Data", false, patternBytes(4095, 3)},
        {"Cues/1", true, {}},
        {"Cues/1/Data", false, patternBytes(4096, 4)},
        {"Cues/1/Effects", false, {}},
        {"Cues/1/Deeper", true, {}},
        {"Cues/1/Deeper/Still", true, {}},
        {"Cues/1/Deeper/Still/Bytes", false, patternBytes(4097, 5)},
        {"Devices", true, {}},
        {"Devices/Groups", false, {}},
        {"Empty Storage", true, {}},
        {"Extra Data", true, {}},
        {"Extra Data/mixedCASE name", false, patternBytes(64, 6)},
        {"Extra Data/Big", false, patternBytes(70000, 7)},
        {"Extra Data/Sixty-three", false, patternBytes(63, 8)},
        {"Extra Data/Sixty-five", false, patternBytes(65, 9)},
        // Non-ASCII names travel as UTF-16 and sort by their upper case.
        {"Extra Data/\xC3\x9C"
         "berblick",
         false, patternBytes(20, 10)},
        {"Extra Data/\xD0\xA1\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB0", true, {}},
    };
    std::sort(items.begin(), items.end(),
              [](const TreeItem& a, const TreeItem& b) { return a.path < b.path; });
    return items;
}

std::vector<TreeItem> manySiblings(int count) {
    std::vector<TreeItem> items{{"Many", true, {}}};
    for (int i = 0; i < count; ++i)
        items.push_back({"Many/" + std::to_string(i), false,
                         patternBytes(static_cast<size_t>(i % 97), static_cast<uint32_t>(i))});
    std::sort(items.begin(), items.end(),
              [](const TreeItem& a, const TreeItem& b) { return a.path < b.path; });
    return items;
}

namespace {

// Folders made for this process, removed when it ends.
struct FolderCleaner {
    std::vector<fs::path> folders;
    ~FolderCleaner() {
        std::error_code ec;
        for (const auto& f : folders) fs::remove_all(f, ec);
    }
};

}  // namespace

std::string freshFolder(const std::string& name) {
    static FolderCleaner cleaner;
    static int counter = 0;
    // Test cases run as parallel processes: the process id keeps their folders apart.
    const fs::path p =
        fs::path(::testing::TempDir()) /
        ("j4compound-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(p);
    fs::create_directories(p);
    cleaner.folders.push_back(p);
    return p.string();
}

}  // namespace j4::platform::testing
