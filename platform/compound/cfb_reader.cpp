#include "platform/compound/cfb_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "platform/compound/cfb_format.h"

namespace j4::platform::compound_detail {

namespace {

CompoundError corrupt(std::string what) {
    return CompoundError{CompoundErrorCode::Corrupt, "not a valid compound file: " + what};
}

class ImageReader {
  public:
    explicit ImageReader(std::vector<uint8_t> image) : image_(std::move(image)) {}

    CompoundResult<std::shared_ptr<Node>> read();

  private:
    const uint8_t* sector(uint32_t n) const {
        return image_.data() + (uint64_t{n} + 1) * sectorSize_;
    }
    CompoundStatus readHeader();
    CompoundStatus readFat();
    // Follows a FAT chain from `start`. With `count` set, takes exactly that many
    // sectors; otherwise runs to the end-of-chain mark. Every sector is marked used, so
    // a loop or a sector shared by two chains is refused.
    CompoundResult<std::vector<uint32_t>> chain(uint32_t start, std::optional<uint64_t> count,
                                                const char* what);
    CompoundResult<std::vector<uint8_t>> chainBytes(uint32_t start, uint64_t size,
                                                    const char* what);
    CompoundResult<std::vector<uint8_t>> miniChainBytes(uint32_t start, uint64_t size);
    CompoundStatus readDirectory();
    CompoundStatus readMiniStream(const uint8_t* rootEntry);
    CompoundResult<std::shared_ptr<Node>> buildTree();
    CompoundResult<std::shared_ptr<Node>> makeNode(uint32_t id);

    const uint8_t* entry(uint32_t id) const {
        return directory_.data() + uint64_t{id} * DIR_ENTRY_SIZE;
    }
    uint64_t entrySize(const uint8_t* e) const {
        // Version-3 writers may leave garbage in the high half of the size.
        return major_ == 3 ? getU32(e + dir::SIZE) : getU64(e + dir::SIZE);
    }

    std::vector<uint8_t> image_;
    uint16_t major_ = 0;
    uint32_t sectorSize_ = 0;
    uint32_t sectorCount_ = 0;
    std::vector<uint32_t> fat_;
    std::vector<bool> used_;
    std::vector<uint8_t> directory_;
    uint32_t entryCount_ = 0;
    std::vector<uint32_t> miniFat_;
    std::vector<uint8_t> miniStream_;
    std::vector<bool> miniUsed_;
};

CompoundStatus ImageReader::readHeader() {
    if (image_.size() < HEADER_SIZE) return corrupt("shorter than its header");
    const uint8_t* h = image_.data();
    if (std::memcmp(h, SIGNATURE, sizeof SIGNATURE) != 0) return corrupt("wrong signature");
    if (getU16(h + hdr::BYTE_ORDER_FIELD) != BYTE_ORDER_MARK)
        return corrupt("wrong byte order mark");
    major_ = getU16(h + hdr::VERSION_MAJOR);
    const uint16_t shift = getU16(h + hdr::SECTOR_SHIFT);
    if (!((major_ == 3 && shift == 9) || (major_ == 4 && shift == 12)))
        return corrupt("unsupported version " + std::to_string(major_) + " with sector shift " +
                       std::to_string(shift));
    if (getU16(h + hdr::MINI_SECTOR_SHIFT) != 6) return corrupt("wrong mini sector shift");
    if (getU32(h + hdr::CUTOFF) != MINI_STREAM_CUTOFF) return corrupt("wrong mini stream cutoff");
    sectorSize_ = 1u << shift;
    if (image_.size() < sectorSize_) return corrupt("shorter than its header sector");
    // A last sector cut short is read as if padded with zeros, as other readers do.
    const uint64_t sectors = (image_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
    if (sectors > MAX_REG_SECT) return corrupt("too many sectors");
    sectorCount_ = static_cast<uint32_t>(sectors);
    image_.resize((uint64_t{sectorCount_} + 1) * sectorSize_, 0);
    used_.assign(sectorCount_, false);
    return {};
}

CompoundStatus ImageReader::readFat() {
    const uint8_t* h = image_.data();
    const uint32_t fatSectors = getU32(h + hdr::FAT_SECTORS);
    const uint32_t difatSectors = getU32(h + hdr::DIFAT_SECTORS);
    if (fatSectors == 0 || fatSectors > sectorCount_)
        return corrupt("FAT sector count " + std::to_string(fatSectors) + " for " +
                       std::to_string(sectorCount_) + " sectors");
    if (difatSectors > sectorCount_) return corrupt("DIFAT sector count larger than the file");

    std::vector<uint32_t> fatList;
    fatList.reserve(fatSectors);
    for (uint32_t i = 0; i < HEADER_DIFAT_ENTRIES && fatList.size() < fatSectors; ++i)
        fatList.push_back(getU32(h + hdr::DIFAT + 4 * i));

    const uint32_t perDifat = sectorSize_ / 4 - 1;
    uint32_t next = getU32(h + hdr::FIRST_DIFAT);
    for (uint32_t d = 0; d < difatSectors && fatList.size() < fatSectors; ++d) {
        if (next >= sectorCount_) return corrupt("DIFAT sector out of range");
        if (used_[next]) return corrupt("DIFAT chain loops");
        used_[next] = true;
        const uint8_t* s = sector(next);
        for (uint32_t i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(getU32(s + 4 * i));
        next = getU32(s + 4 * perDifat);
    }
    if (fatList.size() < fatSectors) return corrupt("DIFAT lists fewer FAT sectors than declared");

    const uint32_t perFat = sectorSize_ / 4;
    fat_.reserve(uint64_t{fatSectors} * perFat);
    for (uint32_t s : fatList) {
        if (s >= sectorCount_) return corrupt("FAT sector out of range");
        if (used_[s]) return corrupt("FAT sector listed twice");
        used_[s] = true;
        const uint8_t* p = sector(s);
        for (uint32_t i = 0; i < perFat; ++i) fat_.push_back(getU32(p + 4 * i));
    }
    return {};
}

CompoundResult<std::vector<uint32_t>> ImageReader::chain(uint32_t start,
                                                         std::optional<uint64_t> count,
                                                         const char* what) {
    std::vector<uint32_t> sectors;
    if (count) {
        if (*count > sectorCount_) return corrupt(std::string(what) + " larger than the file");
        sectors.reserve(*count);
    }
    uint32_t s = start;
    while (count ? sectors.size() < *count : s != END_OF_CHAIN) {
        if (s == END_OF_CHAIN) return corrupt(std::string(what) + " chain shorter than its size");
        if (s >= sectorCount_ || s >= fat_.size())
            return corrupt(std::string(what) + " chain holds sector " + std::to_string(s) +
                           " outside the file");
        if (used_[s]) return corrupt(std::string(what) + " chain loops or shares a sector");
        used_[s] = true;
        sectors.push_back(s);
        s = fat_[s];
    }
    return sectors;
}

CompoundResult<std::vector<uint8_t>> ImageReader::chainBytes(uint32_t start, uint64_t size,
                                                             const char* what) {
    if (size > image_.size()) return corrupt(std::string(what) + " larger than the file");
    auto sectors = chain(start, (size + sectorSize_ - 1) / sectorSize_, what);
    if (!sectors) return sectors.error();
    std::vector<uint8_t> bytes(size);
    uint64_t done = 0;
    for (uint32_t s : *sectors) {
        const uint64_t n = std::min<uint64_t>(sectorSize_, size - done);
        std::memcpy(bytes.data() + done, sector(s), n);
        done += n;
    }
    return bytes;
}

CompoundResult<std::vector<uint8_t>> ImageReader::miniChainBytes(uint32_t start, uint64_t size) {
    const uint64_t miniSectors = miniStream_.size() / MINI_SECTOR_SIZE;
    const uint64_t needed = (size + MINI_SECTOR_SIZE - 1) / MINI_SECTOR_SIZE;
    if (needed > miniSectors) return corrupt("small stream larger than the mini stream");
    std::vector<uint8_t> bytes(size);
    uint64_t done = 0;
    uint32_t s = start;
    for (uint64_t i = 0; i < needed; ++i) {
        if (s >= miniSectors || s >= miniFat_.size())
            return corrupt("mini chain holds a sector outside the mini stream");
        if (miniUsed_[s]) return corrupt("mini chain loops or shares a sector");
        miniUsed_[s] = true;
        const uint64_t n = std::min<uint64_t>(MINI_SECTOR_SIZE, size - done);
        std::memcpy(bytes.data() + done, miniStream_.data() + uint64_t{s} * MINI_SECTOR_SIZE, n);
        done += n;
        s = miniFat_[s];
    }
    return bytes;
}

CompoundStatus ImageReader::readDirectory() {
    auto sectors = chain(getU32(image_.data() + hdr::FIRST_DIR), std::nullopt, "directory");
    if (!sectors) return sectors.error();
    if (sectors->empty()) return corrupt("no directory");
    directory_.reserve(sectors->size() * uint64_t{sectorSize_});
    for (uint32_t s : *sectors)
        directory_.insert(directory_.end(), sector(s), sector(s) + sectorSize_);
    entryCount_ = static_cast<uint32_t>(directory_.size() / DIR_ENTRY_SIZE);
    return {};
}

CompoundStatus ImageReader::readMiniStream(const uint8_t* rootEntry) {
    const uint8_t* h = image_.data();
    const uint32_t miniFatSectors = getU32(h + hdr::MINI_FAT_SECTORS);
    const uint32_t firstMiniFat = getU32(h + hdr::FIRST_MINI_FAT);
    if (miniFatSectors != 0 && firstMiniFat <= MAX_REG_SECT) {
        auto sectors = chain(firstMiniFat, std::nullopt, "mini FAT");
        if (!sectors) return sectors.error();
        miniFat_.reserve(sectors->size() * uint64_t{sectorSize_ / 4});
        for (uint32_t s : *sectors)
            for (uint32_t i = 0; i < sectorSize_ / 4; ++i)
                miniFat_.push_back(getU32(sector(s) + 4 * i));
    }
    const uint64_t size = entrySize(rootEntry);
    const uint32_t start = getU32(rootEntry + dir::START);
    if (size > 0 && start != END_OF_CHAIN) {
        auto bytes = chainBytes(start, size, "mini stream");
        if (!bytes) return bytes.error();
        miniStream_ = std::move(*bytes);
    }
    miniUsed_.assign(miniStream_.size() / MINI_SECTOR_SIZE, false);
    return {};
}

CompoundResult<std::shared_ptr<Node>> ImageReader::makeNode(uint32_t id) {
    const uint8_t* e = entry(id);
    auto node = std::make_shared<Node>();
    const uint8_t type = e[dir::TYPE];
    if (type != 1 && type != 2)
        return corrupt("directory entry " + std::to_string(id) + " of type " +
                       std::to_string(type) + " inside the tree");
    node->type = static_cast<EntryType>(type);
    const uint16_t nameBytes = getU16(e + dir::NAME_LENGTH);
    if (nameBytes > 64 || nameBytes % 2 != 0)
        return corrupt("directory entry " + std::to_string(id) + " has a wrong name length");
    for (uint32_t i = 0; i + 1 < nameBytes / 2u; ++i) {
        const char16_t u = getU16(e + dir::NAME + 2 * i);
        if (u == 0) break;
        node->name.push_back(u);
    }
    std::memcpy(node->classId.bytes.data(), e + dir::CLASS_ID, 16);
    node->stateBits = getU32(e + dir::STATE_BITS);
    node->created = getU64(e + dir::CREATED);
    node->modified = getU64(e + dir::MODIFIED);
    if (node->type == EntryType::Stream) {
        const uint64_t size = entrySize(e);
        const uint32_t start = getU32(e + dir::START);
        if (size > MAX_STREAM_SIZE || size > image_.size())
            return corrupt("stream size larger than the file");
        if (size == 0) return node;
        auto bytes = size < MINI_STREAM_CUTOFF ? miniChainBytes(start, size)
                                               : chainBytes(start, size, "stream");
        if (!bytes) return bytes.error();
        node->data = std::move(*bytes);
    }
    return node;
}

CompoundResult<std::shared_ptr<Node>> ImageReader::buildTree() {
    const uint8_t* rootEntry = entry(0);
    if (rootEntry[dir::TYPE] != static_cast<uint8_t>(EntryType::Root))
        return corrupt("first directory entry is not the root");
    if (auto s = readMiniStream(rootEntry); !s) return s.error();

    std::shared_ptr<Node> root = newRoot();
    std::memcpy(root->classId.bytes.data(), rootEntry + dir::CLASS_ID, 16);
    root->stateBits = getU32(rootEntry + dir::STATE_BITS);
    root->created = getU64(rootEntry + dir::CREATED);
    root->modified = getU64(rootEntry + dir::MODIFIED);

    // Every entry may appear once in the whole tree: that refuses sibling loops, a
    // storage that contains itself and subtrees shared between storages.
    std::vector<bool> seen(entryCount_, false);
    seen[0] = true;
    struct Pending {
        std::shared_ptr<Node> storage;
        uint32_t treeRoot;
        int depth;
    };
    std::vector<Pending> storages{{root, getU32(rootEntry + dir::CHILD), 0}};
    std::vector<uint32_t> siblings;
    while (!storages.empty()) {
        const Pending p = std::move(storages.back());
        storages.pop_back();
        siblings.assign(1, p.treeRoot);
        while (!siblings.empty()) {
            const uint32_t id = siblings.back();
            siblings.pop_back();
            if (id == NO_STREAM) continue;
            if (id >= entryCount_) return corrupt("directory link out of range");
            if (seen[id]) return corrupt("directory tree loops or shares an entry");
            seen[id] = true;
            auto node = makeNode(id);
            if (!node) return node.error();
            const uint8_t* e = entry(id);
            siblings.push_back(getU32(e + dir::LEFT));
            siblings.push_back(getU32(e + dir::RIGHT));
            if ((*node)->isStorage()) {
                if (p.depth + 1 > MAX_NESTING) return corrupt("storages nested too deeply");
                storages.push_back({*node, getU32(e + dir::CHILD), p.depth + 1});
            }
            (*node)->parent = p.storage;
            std::u16string key = (*node)->name;
            if (!p.storage->children.emplace(std::move(key), std::move(*node)).second)
                return corrupt("two elements of one storage share a name");
        }
    }
    return root;
}

CompoundResult<std::shared_ptr<Node>> ImageReader::read() {
    if (auto s = readHeader(); !s) return s.error();
    if (auto s = readFat(); !s) return s.error();
    if (auto s = readDirectory(); !s) return s.error();
    return buildTree();
}

}  // namespace

CompoundResult<std::shared_ptr<Node>> readCompoundImage(std::vector<uint8_t> image) {
    if (image.size() > MAX_FILE_SIZE)
        return CompoundError{CompoundErrorCode::TooLarge, "compound file larger than 2 GB"};
    return ImageReader(std::move(image)).read();
}

}  // namespace j4::platform::compound_detail
