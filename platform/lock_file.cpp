#include "platform/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/file_util.h"

namespace j4::platform {

namespace {

int flockNoWait(int fd, int mode) {
    for (;;) {
        if (flock(fd, mode | LOCK_NB) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

}  // namespace

LockFile::~LockFile() {
    unlock();
}

LockFile::LockFile(LockFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LockFile& LockFile::operator=(LockFile&& other) noexcept {
    if (this != &other) {
        unlock();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

LockFile::Result LockFile::tryLock(const std::string& path) {
    unlock();
    if (path.empty()) return Result::Failed;
    const std::string folder = parentFolder(path);
    if (!folder.empty() && !makeFolders(folder, 0700)) return Result::Failed;
    // O_NOFOLLOW: a symbolic link planted in a shared folder must not make us create or
    // lock some other file.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::Failed;
    const int err = flockNoWait(fd, LOCK_EX);
    if (err != 0) {
        close(fd);
        return err == EWOULDBLOCK ? Result::InUse : Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void LockFile::unlock() {
    if (fd_ >= 0) {
        // Closing the last descriptor of the open file releases the flock.
        close(fd_);
        fd_ = -1;
    }
}

bool LockFile::isHeld(const std::string& path) {
    if (path.empty()) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;  // no file: nobody can hold it
    // A shared probe: two processes checking at once never see each other's probe as
    // the holder; only an exclusive holder makes it fail.
    const int err = flockNoWait(fd, LOCK_SH);
    close(fd);  // drops the probe lock if we got it
    return err == EWOULDBLOCK;
}

std::string LockFile::runtimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/corvanta-j4";
    return "/tmp/corvanta-j4-" + std::to_string(getuid());
}

}  // namespace j4::platform
