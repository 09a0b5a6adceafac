#include "platform/compound/fuzz/image_check.h"

#include "platform/compound/compound_file.h"

namespace j4::platform::compound_check {

namespace {

// Compares two storages element by element; empty when equal.
std::string compare(const Storage& a, const Storage& b, const std::string& path, int depth) {
    if (depth > 100) return path + ": deeper than the reader allows";
    const auto ca = a.children();
    const auto cb = b.children();
    if (ca.size() != cb.size()) return path + ": child counts differ";
    for (size_t i = 0; i < ca.size(); ++i) {
        const EntryInfo& x = ca[i];
        const EntryInfo& y = cb[i];
        const std::string p = path + "/" + x.name;
        if (x.name != y.name || x.type != y.type || x.size != y.size || x.classId != y.classId ||
            x.stateBits != y.stateBits || x.created != y.created || x.modified != y.modified)
            return p + ": entries differ";
        if (x.type == EntryType::Stream) {
            auto sa = a.openStream(x.name);
            auto sb = b.openStream(y.name);
            // Names that do not survive UTF-8 (lone surrogates) cannot be looked up.
            if (sa.ok() != sb.ok()) return p + ": reachable in one tree only";
            if (!sa.ok()) continue;
            const auto da = sa->readAll();
            if (da.size() != x.size) return p + ": stream size differs from its entry";
            if (da != sb->readAll()) return p + ": stream bytes differ";
        } else {
            auto sa = a.openStorage(x.name);
            auto sb = b.openStorage(y.name);
            if (sa.ok() != sb.ok()) return p + ": reachable in one tree only";
            if (!sa.ok()) continue;
            if (auto r = compare(*sa, *sb, p, depth + 1); !r.empty()) return r;
        }
    }
    return {};
}

}  // namespace

std::string checkImage(std::span<const uint8_t> bytes, bool* accepted) {
    auto file = CompoundFile::openBytes(bytes);
    if (accepted) *accepted = file.ok();
    if (!file) return file.error().message.empty() ? "an error without a message" : "";
    auto image = file->toBytes();
    if (!image) return "an accepted tree could not be written: " + image.error().message;
    auto again = CompoundFile::openBytes(*image);
    if (!again) return "our own image was refused: " + again.error().message;
    return compare(file->root(), again->root(), "", 0);
}

}  // namespace j4::platform::compound_check
