#pragma once
// Test helpers: a compound-file tree as a flat, sorted list of items (storages and
// streams with their bytes), so trees from our model, a folder on disk and other tools
// can be compared with one ==.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/compound/compound_file.h"

namespace j4::platform::testing {

struct TreeItem {
    std::string path;  // "a/b/c"
    bool storage = false;
    std::vector<uint8_t> data;
    bool operator==(const TreeItem&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TreeItem& item);

// Sorted by path.
std::vector<TreeItem> listTree(const Storage& root);
std::vector<TreeItem> listFolder(const std::string& folder);
void writeFolder(const std::string& folder, const std::vector<TreeItem>& items);
// Creates the items under `root` (storages before their contents: items sorted by path).
void buildTree(Storage root, const std::vector<TreeItem>& items);

// Deterministic bytes of a given length.
std::vector<uint8_t> patternBytes(size_t size, uint32_t seed);
// Nested storages, an empty storage, empty streams, streams of 4095/4096/4097 bytes
// around the mini-stream cutoff, names in mixed case and beyond ASCII.
std::vector<TreeItem> sampleTree();
// `count` sibling streams in one storage, so the directory tree is deep.
std::vector<TreeItem> manySiblings(int count);

// A fresh empty folder, private to this process and removed when it ends.
std::string freshFolder(const std::string& name);

}  // namespace j4::platform::testing
