#pragma once
// The in-memory model behind CompoundFile, Storage and Stream: a tree of elements,
// each storage keeping its children in the directory's name order, and the document
// that owns the tree together with the open file and its lock.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/identity.h"
#include "platform/compound/compound_file.h"
#include "platform/compound/element_name.h"

namespace j4::platform::compound_detail {

// Storages nest at most this deep below the root. Bounds every recursive walk (reading,
// writing, copying, freeing) whatever a file holds.
inline constexpr int MAX_NESTING = 64;
// Largest stream kept in memory, and largest file read (version-3 streams stop at 2 GB).
inline constexpr uint64_t MAX_STREAM_SIZE = 0x7FFFFFFF;
inline constexpr uint64_t MAX_FILE_SIZE = 0x7FFFFFFF;

struct Node {
    std::u16string name;
    EntryType type = EntryType::Stream;
    common::Identity classId;
    uint32_t stateBits = 0;
    uint64_t created = 0;
    uint64_t modified = 0;
    std::vector<uint8_t> data;                                           // streams
    std::map<std::u16string, std::shared_ptr<Node>, NameLess> children;  // storages
    std::weak_ptr<Node> parent;

    bool isStorage() const { return type != EntryType::Stream; }
    // Nesting depth: 0 for the root.
    int depth() const;
    EntryInfo info() const;
    // A copy of this element and its whole subtree (no parent).
    std::shared_ptr<Node> deepCopy() const;
    // Frees the subtree without recursion so even a hand-built deep tree cannot
    // exhaust the stack.
    ~Node();
};

struct Document {
    std::shared_ptr<Node> root;
    std::string path;
    int fd = -1;  // holds the OFD lock while the file is open
    bool readOnly = false;

    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();

    // True while `node` hangs from this document's root (not removed).
    bool attached(const Node& node) const;
};

std::shared_ptr<Node> newRoot();

}  // namespace j4::platform::compound_detail
