#include "platform/compound/compound_file.h"
#include "platform/compound/compound_model.h"

#include <algorithm>

#include "common/utf16.h"

namespace j4::platform {

using compound_detail::elementName;
using compound_detail::MAX_NESTING;
using compound_detail::Node;

namespace {

CompoundError removedError() {
    return CompoundError{CompoundErrorCode::NotFound, "the storage was removed or its file closed"};
}

// Lookups take any name: files from other writers may hold names this layer would not
// create, and those elements must stay reachable.
std::u16string lookupName(std::string_view name) { return common::utf8ToUtf16(name); }

std::string quoted(std::u16string_view name) {
    std::string out(1, '"');
    out.append(common::utf16ToUtf8(name)).append(1, '"');
    return out;
}

// Height of a storage's subtree in storage levels (a storage without sub-storages: 0).
int subtreeHeight(const Node& node) {
    int h = 0;
    for (const auto& [key, child] : node.children)
        if (child->isStorage()) h = std::max(h, 1 + subtreeHeight(*child));
    return h;
}

void detach(Node& node) {
    node.parent.reset();
}

}  // namespace

bool Storage::valid() const {
    return doc_ && node_ && doc_->attached(*node_);
}

EntryInfo Storage::info() const {
    return node_ ? node_->info() : EntryInfo{};
}

CompoundResult<Storage> Storage::openStorage(std::string_view name) const {
    if (!valid()) return removedError();
    const std::u16string key = lookupName(name);
    auto it = node_->children.find(key);
    if (it == node_->children.end())
        return CompoundError{CompoundErrorCode::NotFound, "no storage " + quoted(key)};
    if (!it->second->isStorage())
        return CompoundError{CompoundErrorCode::NotFound,
                             quoted(key) + " is a stream, not a storage"};
    return Storage(doc_, it->second);
}

CompoundResult<Stream> Storage::openStream(std::string_view name) const {
    if (!valid()) return removedError();
    const std::u16string key = lookupName(name);
    auto it = node_->children.find(key);
    if (it == node_->children.end())
        return CompoundError{CompoundErrorCode::NotFound, "no stream " + quoted(key)};
    if (it->second->isStorage())
        return CompoundError{CompoundErrorCode::NotFound,
                             quoted(key) + " is a storage, not a stream"};
    return Stream(doc_, it->second);
}

namespace {

// The shared part of createStorage and createStream: the existing element to open, or
// a new one (after removing the old one for Replace), or the reason not to.
CompoundResult<std::shared_ptr<Node>> createChild(compound_detail::Document& doc,
                                                  const std::shared_ptr<Node>& parent,
                                                  std::string_view name, EntryType type,
                                                  CreateMode mode) {
    if (doc.readOnly)
        return CompoundError{CompoundErrorCode::ReadOnly, "the compound file is open read-only"};
    auto key = elementName(name);
    if (!key) return key.error();
    if (type == EntryType::Storage && parent->depth() + 1 > MAX_NESTING)
        return CompoundError{CompoundErrorCode::TooLarge, "storages nested too deeply"};
    auto it = parent->children.find(*key);
    if (it != parent->children.end()) {
        if (mode == CreateMode::FailIfExists)
            return CompoundError{CompoundErrorCode::AlreadyExists,
                                 quoted(*key) + " already exists"};
        if (mode == CreateMode::OpenIfExists) {
            if (it->second->type != type)
                return CompoundError{CompoundErrorCode::AlreadyExists,
                                     quoted(*key) + " exists as an element of the other kind"};
            return it->second;
        }
        detach(*it->second);
        parent->children.erase(it);
    }
    auto node = std::make_shared<Node>();
    node->name = *key;
    node->type = type;
    node->parent = parent;
    parent->children.emplace(std::move(*key), node);
    return node;
}

}  // namespace

CompoundResult<Storage> Storage::createStorage(std::string_view name, CreateMode mode) {
    if (!valid()) return removedError();
    auto node = createChild(*doc_, node_, name, EntryType::Storage, mode);
    if (!node) return node.error();
    return Storage(doc_, std::move(*node));
}

CompoundResult<Stream> Storage::createStream(std::string_view name, CreateMode mode) {
    if (!valid()) return removedError();
    auto node = createChild(*doc_, node_, name, EntryType::Stream, mode);
    if (!node) return node.error();
    return Stream(doc_, std::move(*node));
}

std::vector<EntryInfo> Storage::children() const {
    std::vector<EntryInfo> out;
    if (!valid()) return out;
    out.reserve(node_->children.size());
    for (const auto& [key, child] : node_->children) out.push_back(child->info());
    return out;
}

CompoundResult<EntryInfo> Storage::stat(std::string_view name) const {
    if (!valid()) return removedError();
    const std::u16string key = lookupName(name);
    auto it = node_->children.find(key);
    if (it == node_->children.end())
        return CompoundError{CompoundErrorCode::NotFound, "no element " + quoted(key)};
    return it->second->info();
}

CompoundStatus Storage::remove(std::string_view name) {
    if (!valid()) return removedError();
    if (doc_->readOnly)
        return CompoundError{CompoundErrorCode::ReadOnly, "the compound file is open read-only"};
    const std::u16string key = lookupName(name);
    auto it = node_->children.find(key);
    if (it == node_->children.end())
        return CompoundError{CompoundErrorCode::NotFound, "no element " + quoted(key)};
    detach(*it->second);
    node_->children.erase(it);
    return {};
}

CompoundStatus Storage::rename(std::string_view oldName, std::string_view newName) {
    if (!valid()) return removedError();
    if (doc_->readOnly)
        return CompoundError{CompoundErrorCode::ReadOnly, "the compound file is open read-only"};
    const std::u16string oldKey = lookupName(oldName);
    auto newKey = elementName(newName);
    if (!newKey) return newKey.error();
    auto it = node_->children.find(oldKey);
    if (it == node_->children.end())
        return CompoundError{CompoundErrorCode::NotFound, "no element " + quoted(oldKey)};
    auto other = node_->children.find(*newKey);
    if (other != node_->children.end() && other != it)
        return CompoundError{CompoundErrorCode::AlreadyExists, quoted(*newKey) + " already exists"};
    std::shared_ptr<Node> node = it->second;
    node_->children.erase(it);
    node->name = *newKey;
    node_->children.emplace(std::move(*newKey), std::move(node));
    return {};
}

CompoundStatus Storage::copyTo(Storage& dest) const {
    if (!valid() || !dest.valid()) return removedError();
    if (dest.doc_->readOnly)
        return CompoundError{CompoundErrorCode::ReadOnly, "the destination is open read-only"};
    for (const Node* n = dest.node_.get(); n;) {
        if (n == node_.get())
            return CompoundError{CompoundErrorCode::InvalidArgument,
                                 "a storage cannot be copied into itself or its descendants"};
        auto p = n->parent.lock();
        n = p.get();
    }
    if (dest.node_->depth() + subtreeHeight(*node_) > MAX_NESTING)
        return CompoundError{CompoundErrorCode::TooLarge, "storages nested too deeply"};
    // Copy first, then swap in, so the destination only changes once every copy exists.
    std::vector<std::shared_ptr<Node>> copies;
    copies.reserve(node_->children.size());
    for (const auto& [key, child] : node_->children) copies.push_back(child->deepCopy());
    for (auto& copy : copies) {
        copy->parent = dest.node_;
        auto it = dest.node_->children.find(copy->name);
        if (it != dest.node_->children.end()) {
            detach(*it->second);
            dest.node_->children.erase(it);
        }
        std::u16string key = copy->name;
        dest.node_->children.emplace(std::move(key), std::move(copy));
    }
    dest.node_->classId = node_->classId;
    dest.node_->stateBits = node_->stateBits;
    return {};
}

CompoundStatus Storage::setClassId(const common::Identity& classId) {
    if (!valid()) return removedError();
    if (doc_->readOnly)
        return CompoundError{CompoundErrorCode::ReadOnly, "the compound file is open read-only"};
    node_->classId = classId;
    return {};
}

}  // namespace j4::platform
