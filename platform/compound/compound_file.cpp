#include "platform/compound/compound_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/compound/cfb_reader.h"
#include "platform/compound/cfb_writer.h"
#include "platform/compound/compound_model.h"
#include "platform/compound/safe_file.h"

namespace j4::platform {

using namespace compound_detail;

namespace {

CompoundResult<CompoundFile> openWithLock(const std::string& path, bool exclusive,
                                          std::shared_ptr<Document>& doc) {
    auto fd = openLocked(path, exclusive);
    if (!fd) return fd.error();
    doc->fd = *fd;  // owned by the document from here on, closed with it
    auto bytes = readWholeFile(*fd, MAX_FILE_SIZE);
    if (!bytes) return bytes.error();
    auto root = readCompoundImage(std::move(*bytes));
    if (!root) {
        CompoundError e = root.error();
        e.message = path + ": " + e.message;
        return e;
    }
    doc->root = std::move(*root);
    doc->path = path;
    doc->readOnly = !exclusive;
    return CompoundFile();
}

bool sameFile(int fd, const std::string& path) {
    struct stat a {
    }, b{};
    return fd >= 0 && ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// Releases the lock; handles may keep using the model in memory.
static void closeDocument(Document& doc) {
    if (doc.fd >= 0) ::close(doc.fd);
    doc.fd = -1;
}

CompoundFile::CompoundFile() = default;
CompoundFile::~CompoundFile() {
    close();
}
CompoundFile::CompoundFile(CompoundFile&& other) noexcept : doc_(std::move(other.doc_)) {}
CompoundFile& CompoundFile::operator=(CompoundFile&& other) noexcept {
    if (this != &other) {
        close();
        doc_ = std::move(other.doc_);
    }
    return *this;
}

CompoundResult<CompoundFile> CompoundFile::create(const std::string& path) {
    auto doc = std::make_shared<Document>();
    doc->root = newRoot();
    doc->path = path;
    // An existing file is replaced on commit; until then it is held exclusively, as if
    // it were already ours, so a second writer cannot start on it.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        if (auto s = lockWholeFile(fd, true); !s) {
            ::close(fd);
            return CompoundError{s.code(), path + ": " + s.error().message};
        }
        doc->fd = fd;
    } else if (errno == ENOENT) {
        struct stat st {};
        const auto slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return CompoundError{CompoundErrorCode::NotFound, "no folder for " + path};
    } else if (lockedByOthers(path)) {
        return CompoundError{CompoundErrorCode::InUse, path + ": the file is in use"};
    }
    CompoundFile file;
    file.doc_ = std::move(doc);
    return file;
}

CompoundResult<CompoundFile> CompoundFile::open(const std::string& path, bool exclusive) {
    auto doc = std::make_shared<Document>();
    auto r = openWithLock(path, exclusive, doc);
    if (!r) {
        closeDocument(*doc);
        return r.error();
    }
    CompoundFile file;
    file.doc_ = std::move(doc);
    return file;
}

CompoundResult<CompoundFile> CompoundFile::openRead(const std::string& path) {
    return open(path, false);
}

CompoundResult<CompoundFile> CompoundFile::openReadWrite(const std::string& path) {
    return open(path, true);
}

CompoundResult<CompoundFile> CompoundFile::openBytes(std::span<const uint8_t> bytes) {
    auto root = readCompoundImage(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    if (!root) return root.error();
    auto doc = std::make_shared<Document>();
    doc->root = std::move(*root);
    doc->readOnly = true;
    CompoundFile file;
    file.doc_ = std::move(doc);
    return file;
}

Storage CompoundFile::root() const {
    if (!doc_) return Storage();
    return Storage(doc_, doc_->root);
}

CompoundResult<std::vector<uint8_t>> CompoundFile::toBytes() const {
    if (!doc_) return CompoundError{CompoundErrorCode::InvalidArgument, "the file is closed"};
    return writeCompoundImage(*doc_->root);
}

CompoundStatus CompoundFile::commit(const CommitOptions& options) {
    if (!doc_) return CompoundError{CompoundErrorCode::InvalidArgument, "the file is closed"};
    if (doc_->readOnly || doc_->path.empty())
        return CompoundError{CompoundErrorCode::ReadOnly, "the compound file is open read-only"};
    auto bytes = writeCompoundImage(*doc_->root);
    if (!bytes) return bytes.error();
    SafeWriteOptions write;
    write.backupPath = options.backupPath;
    write.keepLocked = true;
    auto fd = replaceFileSafely(doc_->path, *bytes, write);
    if (!fd) return fd.error();
    // The new file was locked before it took the name; the old one is gone now.
    closeDocument(*doc_);
    doc_->fd = *fd;
    return {};
}

CompoundStatus CompoundFile::saveCopyAs(const std::string& path) const {
    if (!doc_) return CompoundError{CompoundErrorCode::InvalidArgument, "the file is closed"};
    if (path == doc_->path || sameFile(doc_->fd, path))
        return CompoundError{CompoundErrorCode::InvalidArgument,
                             path + " is this file itself: use commit()"};
    if (lockedByOthers(path))
        return CompoundError{CompoundErrorCode::InUse, path + ": the file is in use"};
    auto bytes = writeCompoundImage(*doc_->root);
    if (!bytes) return bytes.error();
    auto fd = replaceFileSafely(path, *bytes, {});
    if (!fd) return fd.error();
    return {};
}

void CompoundFile::close() {
    if (!doc_) return;
    closeDocument(*doc_);
    doc_.reset();
}

const std::string& CompoundFile::path() const {
    static const std::string none;
    return doc_ ? doc_->path : none;
}

bool CompoundFile::readOnly() const {
    return !doc_ || doc_->readOnly;
}

}  // namespace j4::platform
