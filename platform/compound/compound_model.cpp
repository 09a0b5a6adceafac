#include "platform/compound/compound_model.h"

#include <unistd.h>

#include "common/utf16.h"

namespace j4::platform::compound_detail {

int Node::depth() const {
    int d = 0;
    for (auto p = parent.lock(); p; p = p->parent.lock()) ++d;
    return d;
}

EntryInfo Node::info() const {
    EntryInfo e;
    e.name = common::utf16ToUtf8(name);
    e.type = type;
    e.size = type == EntryType::Stream ? data.size() : 0;
    e.classId = classId;
    e.stateBits = stateBits;
    e.created = created;
    e.modified = modified;
    return e;
}

std::shared_ptr<Node> Node::deepCopy() const {
    auto copy = std::make_shared<Node>();
    copy->name = name;
    copy->type = type;
    copy->classId = classId;
    copy->stateBits = stateBits;
    copy->created = created;
    copy->modified = modified;
    copy->data = data;
    for (const auto& [key, child] : children) {
        auto c = child->deepCopy();
        c->parent = copy;
        copy->children.emplace(key, std::move(c));
    }
    return copy;
}

Node::~Node() {
    std::vector<std::shared_ptr<Node>> pending;
    for (auto& [key, child] : children) pending.push_back(std::move(child));
    children.clear();
    while (!pending.empty()) {
        std::shared_ptr<Node> n = std::move(pending.back());
        pending.pop_back();
        if (n.use_count() == 1) {
            for (auto& [key, child] : n->children) pending.push_back(std::move(child));
            n->children.clear();
        }
    }
}

Document::~Document() {
    if (fd >= 0) ::close(fd);
}

bool Document::attached(const Node& node) const {
    const Node* n = &node;
    // The walk is bounded: nesting never exceeds MAX_NESTING.
    for (int i = 0; i <= MAX_NESTING + 1; ++i) {
        if (n == root.get()) return true;
        auto p = n->parent.lock();
        if (!p) return false;
        n = p.get();
    }
    return false;
}

std::shared_ptr<Node> newRoot() {
    auto root = std::make_shared<Node>();
    root->name = u"Root Entry";
    root->type = EntryType::Root;
    return root;
}

}  // namespace j4::platform::compound_detail
