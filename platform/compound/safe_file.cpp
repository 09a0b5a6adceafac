#include "platform/compound/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace j4::platform::compound_detail {

namespace {

CompoundError ioError(const std::string& what, int err) {
    return CompoundError{CompoundErrorCode::Io, what + ": " + std::strerror(err)};
}

struct flock wholeFile(short type) {
    struct flock lk {};
    lk.l_type = type;
    lk.l_whence = SEEK_SET;
    lk.l_start = 0;
    lk.l_len = 0;  // to the end, however the file grows
    return lk;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The process's umask without changing it (umask() itself would race other threads
// that create files).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string uniqueSuffix() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char buf[24];
    std::snprintf(buf, sizeof buf, ".tmp%06llx", static_cast<unsigned long long>(rng() & 0xFFFFFF));
    return buf;
}

// Puts the current content of `path` under `backup`, replacing an older backup, while
// `path` itself stays in place: a hard link under a fresh name renamed over the backup.
CompoundStatus linkBackup(const std::string& path, const std::string& backup) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string temp = backup + uniqueSuffix();
        if (::link(path.c_str(), temp.c_str()) == 0) {
            if (::rename(temp.c_str(), backup.c_str()) == 0) return {};
            const int err = errno;
            ::unlink(temp.c_str());
            return ioError("cannot rename the backup to " + backup, err);
        }
        if (errno == ENOENT) return {};  // no old file: nothing to keep
        if (errno != EEXIST) {
            // A file system without hard links: copy the old bytes instead.
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return errno == ENOENT ? CompoundStatus{} : ioError("cannot read " + path, errno);
            auto bytes = readWholeFile(fd, UINT64_MAX);
            ::close(fd);
            if (!bytes) return bytes.error();
            auto r = replaceFileSafely(backup, *bytes, {});
            if (!r) return r.error();
            return {};
        }
    }
    return CompoundError{CompoundErrorCode::Io, "cannot find a free name next to " + backup};
}

}  // namespace

CompoundStatus lockWholeFile(int fd, bool exclusive) {
    struct flock lk = wholeFile(exclusive ? F_WRLCK : F_RDLCK);
    if (::fcntl(fd, F_OFD_SETLK, &lk) == 0) return {};
    if (errno == EAGAIN || errno == EACCES)
        return CompoundError{CompoundErrorCode::InUse, "the file is in use"};
    return ioError("cannot lock the file", errno);
}

bool lockedByOthers(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock lk = wholeFile(F_WRLCK);
    const bool locked = ::fcntl(fd, F_OFD_GETLK, &lk) == 0 && lk.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

CompoundResult<int> openLocked(const std::string& path, bool exclusive) {
    const int fd = ::open(path.c_str(), (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return CompoundError{CompoundErrorCode::NotFound, "no file " + path};
        return ioError("cannot open " + path, errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return CompoundError{CompoundErrorCode::Io, path + " is not a regular file"};
    }
    if (auto s = lockWholeFile(fd, exclusive); !s) {
        ::close(fd);
        CompoundError e = s.error();
        e.message = path + ": " + e.message;
        return e;
    }
    return fd;
}

CompoundResult<std::vector<uint8_t>> readWholeFile(int fd, uint64_t maxSize) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return ioError("cannot read the file", errno);
    if (static_cast<uint64_t>(st.st_size) > maxSize)
        return CompoundError{CompoundErrorCode::TooLarge, "the file is too large"};
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return ioError("cannot read the file", errno);
        }
        if (n == 0) break;  // shrunk meanwhile: parse what is there
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

CompoundResult<int> replaceFileSafely(const std::string& path, std::span<const uint8_t> bytes,
                                      const SafeWriteOptions& options) {
    std::string temp = path + ".tmpXXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return ioError("cannot create a temporary file next to " + path, errno);
    auto fail = [&](CompoundError e) -> CompoundResult<int> {
        ::close(fd);
        ::unlink(temp.c_str());
        return e;
    };
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    const mode_t mode =
        ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0) return fail(ioError("cannot set the mode of " + temp, errno));
    if (options.keepLocked) {
        if (auto s = lockWholeFile(fd, true); !s) return fail(s.error());
    }
    if (!writeAll(fd, bytes)) return fail(ioError("cannot write " + temp, errno));
    if (::fsync(fd) != 0) return fail(ioError("cannot flush " + temp, errno));
    if (options.backupPath) {
        if (auto s = linkBackup(path, *options.backupPath); !s) return fail(s.error());
    }
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(ioError("cannot rename " + temp + " to " + path, errno));
    // Make the rename itself durable. A file system that cannot flush a folder has
    // still renamed, so that is no failure.
    const int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    if (options.keepLocked) return fd;
    ::close(fd);
    return -1;
}

}  // namespace j4::platform::compound_detail
