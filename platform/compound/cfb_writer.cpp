#include "platform/compound/cfb_writer.h"

#include <cstring>

#include "platform/compound/cfb_format.h"

namespace j4::platform::compound_detail {

namespace {

struct FlatEntry {
    const Node* node = nullptr;
    uint32_t left = NO_STREAM;
    uint32_t right = NO_STREAM;
    uint32_t child = NO_STREAM;
    uint8_t color = dir::BLACK;
    uint32_t start = 0;
    uint64_t size = 0;
};

uint64_t ceilDiv(uint64_t a, uint64_t b) {
    return (a + b - 1) / b;
}

int floorLog2(uint64_t n) {
    int r = 0;
    while (n >>= 1) ++r;
    return r;
}

class ImageWriter {
  public:
    ImageWriter(const Node& root, int sectorShift)
        : root_(root), sectorSize_(1u << sectorShift), sectorShift_(sectorShift) {}

    CompoundResult<std::vector<uint8_t>> write();

  private:
    void flatten(uint32_t storageId);
    uint32_t buildTree(uint32_t lo, uint32_t hi, int depth, int redDepth);
    uint8_t* sector(uint32_t n) { return image_.data() + (uint64_t{n} + 1) * sectorSize_; }
    void chainFat(uint32_t first, uint64_t count);

    const Node& root_;
    const uint32_t sectorSize_;
    const int sectorShift_;
    std::vector<FlatEntry> flat_;
    std::vector<uint8_t> image_;
};

// Children of one storage take consecutive ids, sorted by name; the storage's child
// link points at the middle one and each half forms its subtrees, so the tree is
// balanced. Nodes on the deepest level are red and all others black: every path from
// the top to a missing link then passes the same number of black nodes.
void ImageWriter::flatten(uint32_t storageId) {
    const Node& storage = *flat_[storageId].node;
    const auto first = static_cast<uint32_t>(flat_.size());
    for (const auto& [name, child] : storage.children) flat_.push_back(FlatEntry{child.get()});
    const auto n = static_cast<uint32_t>(storage.children.size());
    if (n == 0) return;
    flat_[storageId].child = buildTree(first, first + n, 0, floorLog2(n));
    for (uint32_t id = first; id < first + n; ++id)
        if (flat_[id].node->isStorage()) flatten(id);
}

uint32_t ImageWriter::buildTree(uint32_t lo, uint32_t hi, int depth, int redDepth) {
    if (lo >= hi) return NO_STREAM;
    const uint32_t mid = lo + (hi - lo) / 2;
    FlatEntry& e = flat_[mid];
    e.color = (depth == redDepth && depth > 0) ? dir::RED : dir::BLACK;
    e.left = buildTree(lo, mid, depth + 1, redDepth);
    flat_[mid].right = buildTree(mid + 1, hi, depth + 1, redDepth);
    return mid;
}

void ImageWriter::chainFat(uint32_t first, uint64_t count) {
    const uint32_t perFat = sectorSize_ / 4;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t s = first + i;
        const uint32_t next = i + 1 < count ? static_cast<uint32_t>(s + 1) : END_OF_CHAIN;
        // FAT sectors are the first sectors of the file, so sector s's entry lives in
        // FAT sector s / perFat.
        putU32(sector(static_cast<uint32_t>(s / perFat)) + 4 * (s % perFat), next);
    }
}

CompoundResult<std::vector<uint8_t>> ImageWriter::write() {
    flat_.push_back(FlatEntry{&root_});
    flatten(0);

    // Place the streams: small ones in the mini stream, the others in sectors.
    uint64_t miniSectors = 0;
    uint64_t bigSectors = 0;
    for (FlatEntry& e : flat_) {
        if (e.node->type != EntryType::Stream) continue;
        e.size = e.node->data.size();
        if (e.size == 0) {
            e.start = END_OF_CHAIN;
        } else if (e.size < MINI_STREAM_CUTOFF) {
            e.start = static_cast<uint32_t>(miniSectors);
            miniSectors += ceilDiv(e.size, MINI_SECTOR_SIZE);
        } else {
            bigSectors += ceilDiv(e.size, sectorSize_);
        }
    }
    const uint64_t entriesPerSector = sectorSize_ / DIR_ENTRY_SIZE;
    const uint64_t dirSectors = ceilDiv(flat_.size(), entriesPerSector);
    const uint64_t miniFatSectors = ceilDiv(miniSectors * 4, sectorSize_);
    const uint64_t miniStreamBytes = miniSectors * MINI_SECTOR_SIZE;
    const uint64_t miniStreamSectors = ceilDiv(miniStreamBytes, sectorSize_);
    const uint64_t dataSectors = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;

    // The FAT covers itself and the DIFAT: grow both until they fit.
    const uint64_t perFat = sectorSize_ / 4;
    const uint64_t perDifat = perFat - 1;
    uint64_t fatSectors = 0;
    uint64_t difatSectors = 0;
    for (;;) {
        const uint64_t total = dataSectors + fatSectors + difatSectors;
        const uint64_t needFat = ceilDiv(total, perFat);
        const uint64_t needDifat =
            needFat > HEADER_DIFAT_ENTRIES ? ceilDiv(needFat - HEADER_DIFAT_ENTRIES, perDifat) : 0;
        if (needFat == fatSectors && needDifat == difatSectors) break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const uint64_t totalSectors = dataSectors + fatSectors + difatSectors;
    const uint64_t imageSize = (totalSectors + 1) * sectorSize_;
    if (imageSize > MAX_FILE_SIZE || miniStreamBytes > MAX_STREAM_SIZE)
        return CompoundError{CompoundErrorCode::TooLarge, "compound file would exceed 2 GB"};
    image_.assign(imageSize, 0);

    const auto firstDifat = static_cast<uint32_t>(fatSectors);
    const auto firstDir = static_cast<uint32_t>(firstDifat + difatSectors);
    const auto firstMiniFat = static_cast<uint32_t>(firstDir + dirSectors);
    const auto firstMiniStream = static_cast<uint32_t>(firstMiniFat + miniFatSectors);
    auto nextBig = static_cast<uint32_t>(firstMiniStream + miniStreamSectors);

    // FAT: everything free, then the structures and chains.
    for (uint32_t f = 0; f < fatSectors; ++f) std::memset(sector(f), 0xFF, sectorSize_);
    for (uint32_t f = 0; f < fatSectors; ++f)
        putU32(sector(f / perFat) + 4 * (f % perFat), FAT_SECT);
    for (uint64_t d = 0; d < difatSectors; ++d) {
        const uint64_t s = firstDifat + d;
        putU32(sector(static_cast<uint32_t>(s / perFat)) + 4 * (s % perFat), DIF_SECT);
    }
    chainFat(firstDir, dirSectors);
    chainFat(firstMiniFat, miniFatSectors);
    chainFat(firstMiniStream, miniStreamSectors);

    // Large streams in consecutive sectors; small ones into the mini stream.
    std::vector<uint32_t> miniFat(miniSectors, 0);
    for (FlatEntry& e : flat_) {
        if (e.node->type != EntryType::Stream || e.size == 0) continue;
        const uint8_t* src = e.node->data.data();
        if (e.size < MINI_STREAM_CUTOFF) {
            const uint64_t n = ceilDiv(e.size, MINI_SECTOR_SIZE);
            for (uint64_t i = 0; i < n; ++i)
                miniFat[e.start + i] =
                    i + 1 < n ? static_cast<uint32_t>(e.start + i + 1) : END_OF_CHAIN;
            const uint64_t offset = uint64_t{e.start} * MINI_SECTOR_SIZE;
            const uint64_t s = offset / sectorSize_;
            // The mini stream's sectors are consecutive, so it is one run of bytes.
            std::memcpy(sector(static_cast<uint32_t>(firstMiniStream + s)) + offset % sectorSize_,
                        src, e.size);
        } else {
            e.start = nextBig;
            const uint64_t n = ceilDiv(e.size, sectorSize_);
            chainFat(nextBig, n);
            std::memcpy(sector(nextBig), src, e.size);
            nextBig += static_cast<uint32_t>(n);
        }
    }
    for (uint64_t i = 0; i < miniFatSectors * perFat; ++i)
        putU32(sector(static_cast<uint32_t>(firstMiniFat + i / perFat)) + 4 * (i % perFat),
               i < miniSectors ? miniFat[i] : FREE_SECT);

    // DIFAT: the header holds the first 109 FAT sector numbers, DIFAT sectors the rest.
    uint8_t* h = image_.data();
    for (uint32_t i = 0; i < HEADER_DIFAT_ENTRIES; ++i)
        putU32(h + hdr::DIFAT + 4 * i, i < fatSectors ? i : FREE_SECT);
    for (uint64_t d = 0; d < difatSectors; ++d) {
        uint8_t* s = sector(static_cast<uint32_t>(firstDifat + d));
        for (uint64_t i = 0; i < perDifat; ++i) {
            const uint64_t f = HEADER_DIFAT_ENTRIES + d * perDifat + i;
            putU32(s + 4 * i, f < fatSectors ? static_cast<uint32_t>(f) : FREE_SECT);
        }
        putU32(s + 4 * perDifat,
               d + 1 < difatSectors ? static_cast<uint32_t>(firstDifat + d + 1) : END_OF_CHAIN);
    }

    // Directory, unused slots included.
    for (uint64_t i = 0; i < dirSectors * entriesPerSector; ++i) {
        uint8_t* p = sector(static_cast<uint32_t>(firstDir + i / entriesPerSector)) +
                     (i % entriesPerSector) * DIR_ENTRY_SIZE;
        putU32(p + dir::LEFT, NO_STREAM);
        putU32(p + dir::RIGHT, NO_STREAM);
        putU32(p + dir::CHILD, NO_STREAM);
        if (i >= flat_.size()) continue;
        const FlatEntry& e = flat_[i];
        const Node& node = *e.node;
        const std::u16string name = i == 0 ? std::u16string(u"Root Entry") : node.name;
        for (size_t k = 0; k < name.size() && k < 31; ++k) putU16(p + dir::NAME + 2 * k, name[k]);
        putU16(p + dir::NAME_LENGTH,
               static_cast<uint16_t>((std::min<size_t>(name.size(), 31) + 1) * 2));
        p[dir::TYPE] = static_cast<uint8_t>(i == 0 ? EntryType::Root : node.type);
        p[dir::COLOR] = e.color;
        putU32(p + dir::LEFT, e.left);
        putU32(p + dir::RIGHT, e.right);
        putU32(p + dir::CHILD, e.child);
        std::memcpy(p + dir::CLASS_ID, node.classId.bytes.data(), 16);
        putU32(p + dir::STATE_BITS, node.stateBits);
        putU64(p + dir::CREATED, node.created);
        putU64(p + dir::MODIFIED, node.modified);
        if (i == 0) {
            putU32(p + dir::START, miniSectors ? firstMiniStream : END_OF_CHAIN);
            putU64(p + dir::SIZE, miniStreamBytes);
        } else if (node.type == EntryType::Stream) {
            putU32(p + dir::START, e.start);
            putU64(p + dir::SIZE, e.size);
        }
    }

    std::memcpy(h, SIGNATURE, sizeof SIGNATURE);
    putU16(h + hdr::VERSION_MINOR, MINOR_VERSION);
    putU16(h + hdr::VERSION_MAJOR, sectorShift_ == 9 ? 3 : 4);
    putU16(h + hdr::BYTE_ORDER_FIELD, BYTE_ORDER_MARK);
    putU16(h + hdr::SECTOR_SHIFT, static_cast<uint16_t>(sectorShift_));
    putU16(h + hdr::MINI_SECTOR_SHIFT, 6);
    // Version 3 leaves the directory sector count at zero.
    putU32(h + hdr::DIR_SECTORS, sectorShift_ == 9 ? 0 : static_cast<uint32_t>(dirSectors));
    putU32(h + hdr::FAT_SECTORS, static_cast<uint32_t>(fatSectors));
    putU32(h + hdr::FIRST_DIR, firstDir);
    putU32(h + hdr::CUTOFF, MINI_STREAM_CUTOFF);
    putU32(h + hdr::FIRST_MINI_FAT, miniFatSectors ? firstMiniFat : END_OF_CHAIN);
    putU32(h + hdr::MINI_FAT_SECTORS, static_cast<uint32_t>(miniFatSectors));
    putU32(h + hdr::FIRST_DIFAT, difatSectors ? firstDifat : END_OF_CHAIN);
    putU32(h + hdr::DIFAT_SECTORS, static_cast<uint32_t>(difatSectors));
    return std::move(image_);
}

}  // namespace

CompoundResult<std::vector<uint8_t>> writeCompoundImage(const Node& root, int sectorShift) {
    return ImageWriter(root, sectorShift).write();
}

}  // namespace j4::platform::compound_detail
