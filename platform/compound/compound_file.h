#pragma once
// Compound files: a small file system inside one file (storages hold storages and
// streams), in the published Compound File Binary layout. Every data file of the suite
// (show, Template, effect, panel data, skins, the exchange file) is one.
//
// Model. Opening a file reads and checks all of it (header, FAT, DIFAT, mini FAT, mini
// stream, directory tree) into memory; every later operation works on that model, and
// nothing reaches the disk until commit(). commit() serializes the whole model (major
// version 3, 512-byte sectors, small streams in the mini stream) to "<path>.tmpXXXXXX"
// in the same folder, flushes it, renames it over the path and flushes the folder, so a
// crash or a failed save leaves either the old file or the new one, never a mixture.
// Versions 3 and 4 are read; class ids, state bits and timestamps are kept as read.
//
// Sharing. openRead() takes a shared OFD lock (readers allow other readers, refuse a
// writer); openReadWrite() and create() take an exclusive one, so a second exclusive
// open, or a reader of a file someone is writing, fails with InUse. Locks belong to the
// open CompoundFile and go away with it (or with the process).
//
// Names. Element names are UTF-8 here and stored as UTF-16. New elements need names of
// 1 to 31 UTF-16 units without '/', '\\', ':' or '!'; lookups take any name, so every
// element of a file from another writer stays reachable. Names are compared as the
// format says (shorter name first, then an upper-case compare): lookups ignore case.
//
// Handles. Storage and Stream are cheap, copyable handles into the model of their
// CompoundFile and keep that model alive: after close() they still work on it, detached
// from the file. A handle whose element was removed reports NotFound. A CompoundFile and
// its handles are used by one thread at a time. No operation throws.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "common/identity.h"

namespace j4::platform {

namespace compound_detail {
struct Document;
struct Node;
}  // namespace compound_detail

enum class CompoundErrorCode {
    NotFound,         // no element (or file) of that name and kind
    AlreadyExists,    // CreateMode::FailIfExists and the name is taken
    InUse,            // another open of the file holds a conflicting lock
    Corrupt,          // not a compound file, or its structures are inconsistent
    Io,               // the operating system refused a read, write, flush or rename
    InvalidName,      // empty, longer than 31 UTF-16 units, or holds / \ : !
    TooLarge,         // a stream or file beyond what this layer keeps in memory
    ReadOnly,         // a change through a file opened with openRead()
    InvalidArgument,  // e.g. copying a storage into itself
};

struct CompoundError {
    CompoundErrorCode code;
    std::string message;
};

// A value or an error; errors are values, never exceptions.
template <class T>
class [[nodiscard]] CompoundResult {
  public:
    CompoundResult(T value) : v_(std::move(value)) {}
    CompoundResult(CompoundError error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const T& value() const& { return std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    T& operator*() & { return std::get<0>(v_); }
    T&& operator*() && { return std::get<0>(std::move(v_)); }
    const T& operator*() const& { return std::get<0>(v_); }
    const CompoundError& error() const { return std::get<1>(v_); }
    CompoundErrorCode code() const { return error().code; }
    bool isNotFound() const { return !ok() && code() == CompoundErrorCode::NotFound; }

  private:
    std::variant<T, CompoundError> v_;
};

template <>
class [[nodiscard]] CompoundResult<void> {
  public:
    CompoundResult() = default;
    CompoundResult(CompoundError error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const CompoundError& error() const { return *error_; }
    CompoundErrorCode code() const { return error_->code; }
    bool isNotFound() const { return !ok() && code() == CompoundErrorCode::NotFound; }

  private:
    std::optional<CompoundError> error_;
};

using CompoundStatus = CompoundResult<void>;

enum class EntryType : uint8_t { Storage = 1, Stream = 2, Root = 5 };

// What to do when an element of the wanted name already exists.
enum class CreateMode {
    FailIfExists,  // AlreadyExists error
    OpenIfExists,  // open it (an element of the other kind: AlreadyExists)
    Replace,       // remove it (whatever kind) and create a new empty one
};

struct EntryInfo {
    std::string name;  // UTF-8
    EntryType type = EntryType::Stream;
    uint64_t size = 0;  // streams: bytes; storages: 0
    common::Identity classId;
    uint32_t stateBits = 0;
    uint64_t created = 0;   // FILETIME as stored (0 = not set)
    uint64_t modified = 0;  // FILETIME as stored (0 = not set)
};

// A stream: bytes with a position. Writes past the end extend it (gaps read as zero).
class Stream {
  public:
    Stream() = default;

    // Copies up to n bytes from the position; returns how many (fewer at the end: a
    // short read is how callers notice a truncated record).
    size_t read(void* buffer, size_t n);
    // The whole content, independent of the position (the position moves to the end).
    std::vector<uint8_t> readAll();
    // Writes at the position and advances it.
    CompoundStatus write(const void* data, size_t n);
    CompoundStatus write(std::span<const uint8_t> data) { return write(data.data(), data.size()); }
    // Replaces the whole content with `data`; the position ends after it.
    CompoundStatus writeAll(std::span<const uint8_t> data);

    void seek(uint64_t position) { pos_ = position; }
    uint64_t tell() const { return pos_; }
    uint64_t size() const;
    CompoundStatus setSize(uint64_t size);

    EntryInfo info() const;
    bool valid() const;

  private:
    friend class Storage;
    Stream(std::shared_ptr<compound_detail::Document> doc,
           std::shared_ptr<compound_detail::Node> node)
        : doc_(std::move(doc)), node_(std::move(node)) {}

    std::shared_ptr<compound_detail::Document> doc_;
    std::shared_ptr<compound_detail::Node> node_;
    uint64_t pos_ = 0;
};

class Storage {
  public:
    Storage() = default;

    // NotFound when there is no storage of that name (also when the name is a stream).
    CompoundResult<Storage> openStorage(std::string_view name) const;
    CompoundResult<Storage> createStorage(std::string_view name,
                                          CreateMode mode = CreateMode::FailIfExists);
    // NotFound when there is no stream of that name (also when the name is a storage).
    CompoundResult<Stream> openStream(std::string_view name) const;
    CompoundResult<Stream> createStream(std::string_view name,
                                        CreateMode mode = CreateMode::FailIfExists);

    // The direct children in the format's name order.
    std::vector<EntryInfo> children() const;
    // One child's description; NotFound when absent.
    CompoundResult<EntryInfo> stat(std::string_view name) const;
    bool contains(std::string_view name) const { return stat(name).ok(); }

    // Removes a child (a storage with its whole subtree).
    CompoundStatus remove(std::string_view name);
    CompoundStatus rename(std::string_view oldName, std::string_view newName);

    // Copies every child of this storage (whole subtrees) into `dest`, which may belong
    // to another CompoundFile; a child of the same name in `dest` is replaced. Class id
    // and state bits of this storage go to `dest` too. Copying into this storage itself
    // or into one of its descendants is refused (InvalidArgument).
    CompoundStatus copyTo(Storage& dest) const;

    EntryInfo info() const;
    CompoundStatus setClassId(const common::Identity& classId);
    bool valid() const;

  private:
    friend class CompoundFile;
    Storage(std::shared_ptr<compound_detail::Document> doc,
            std::shared_ptr<compound_detail::Node> node)
        : doc_(std::move(doc)), node_(std::move(node)) {}

    std::shared_ptr<compound_detail::Document> doc_;
    std::shared_ptr<compound_detail::Node> node_;
};

struct CommitOptions {
    // When set and the file exists on disk, its previous content ends up under this
    // path (replacing an older one) before the new content takes the file's place; the
    // file's path is never left missing in between.
    std::optional<std::string> backupPath;
};

class CompoundFile {
  public:
    CompoundFile();
    ~CompoundFile();
    CompoundFile(CompoundFile&&) noexcept;
    CompoundFile& operator=(CompoundFile&&) noexcept;
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    // A new, empty file bound to `path`; nothing is written until commit(). When `path`
    // exists and another open holds it, InUse.
    static CompoundResult<CompoundFile> create(const std::string& path);
    // Read-only, deny-write (shared lock). Changes through it fail with ReadOnly.
    static CompoundResult<CompoundFile> openRead(const std::string& path);
    // Read-write, exclusive (a second exclusive open or any reader fails with InUse).
    static CompoundResult<CompoundFile> openReadWrite(const std::string& path);
    // Read-only model of a file image in memory (tools, fuzzing); no path, no lock.
    static CompoundResult<CompoundFile> openBytes(std::span<const uint8_t> bytes);

    Storage root() const;

    // Writes the whole model to the bound path (temp file, fsync, rename, fsync of the
    // folder). The file stays open and locked; ReadOnly for openRead()/openBytes().
    CompoundStatus commit(const CommitOptions& options = {});
    // Writes the model to another path in the same safe way; this object stays bound to
    // its own path.
    CompoundStatus saveCopyAs(const std::string& path) const;
    // The file image commit() would write (major version 3).
    CompoundResult<std::vector<uint8_t>> toBytes() const;

    // Releases the lock and the model without writing; later operations on handles
    // still work on the (now detached) model.
    void close();

    const std::string& path() const;
    bool readOnly() const;

  private:
    // openRead() (shared lock) and openReadWrite() (exclusive lock).
    static CompoundResult<CompoundFile> open(const std::string& path, bool exclusive);

    std::shared_ptr<compound_detail::Document> doc_;
};

// Checks an element name; the error says why it is refused.
CompoundStatus checkElementName(std::string_view name);

}  // namespace j4::platform
