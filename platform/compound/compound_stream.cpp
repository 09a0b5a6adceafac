#include <algorithm>
#include <cstring>

#include "platform/compound/compound_file.h"
#include "platform/compound/compound_model.h"

namespace j4::platform {

using compound_detail::MAX_STREAM_SIZE;

namespace {

CompoundStatus checkWritable(const compound_detail::Document& doc) {
    if (doc.readOnly)
        return CompoundError{CompoundErrorCode::ReadOnly, "the compound file is open read-only"};
    return {};
}

CompoundError removedError() {
    return CompoundError{CompoundErrorCode::NotFound, "the stream was removed or its file closed"};
}

CompoundError tooLarge() {
    return CompoundError{CompoundErrorCode::TooLarge, "a stream cannot exceed 2 GB"};
}

}  // namespace

bool Stream::valid() const {
    return doc_ && node_ && doc_->attached(*node_);
}

EntryInfo Stream::info() const {
    return node_ ? node_->info() : EntryInfo{};
}

uint64_t Stream::size() const {
    return node_ ? node_->data.size() : 0;
}

size_t Stream::read(void* buffer, size_t n) {
    if (!valid()) return 0;
    const auto& data = node_->data;
    if (pos_ >= data.size()) return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(n, data.size() - pos_));
    std::memcpy(buffer, data.data() + pos_, count);
    pos_ += count;
    return count;
}

std::vector<uint8_t> Stream::readAll() {
    if (!valid()) return {};
    pos_ = node_->data.size();
    return node_->data;
}

CompoundStatus Stream::write(const void* data, size_t n) {
    if (!valid()) return removedError();
    if (auto s = checkWritable(*doc_); !s) return s;
    if (n == 0) return {};
    if (pos_ > MAX_STREAM_SIZE || n > MAX_STREAM_SIZE - pos_) return tooLarge();
    auto& bytes = node_->data;
    if (pos_ + n > bytes.size()) bytes.resize(pos_ + n);
    std::memcpy(bytes.data() + pos_, data, n);
    pos_ += n;
    return {};
}

CompoundStatus Stream::writeAll(std::span<const uint8_t> data) {
    if (!valid()) return removedError();
    if (auto s = checkWritable(*doc_); !s) return s;
    if (data.size() > MAX_STREAM_SIZE) return tooLarge();
    node_->data.assign(data.begin(), data.end());
    pos_ = data.size();
    return {};
}

CompoundStatus Stream::setSize(uint64_t size) {
    if (!valid()) return removedError();
    if (auto s = checkWritable(*doc_); !s) return s;
    if (size > MAX_STREAM_SIZE) return tooLarge();
    node_->data.resize(size);
    return {};
}

}  // namespace j4::platform
