#pragma once
// "In use" and single-instance marks between processes: an exclusive flock on a lock
// file. The kernel drops the lock when the process dies, so a crash never leaves a
// resource marked in use.

#include <string>

namespace j4::platform {

class LockFile {
  public:
    LockFile() = default;
    ~LockFile();
    LockFile(LockFile&& other) noexcept;
    LockFile& operator=(LockFile&& other) noexcept;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    enum class Result { Acquired, InUse, Failed };
    // Creates the file (and its folder) when missing and takes the lock without
    // waiting.
    Result tryLock(const std::string& path);
    void unlock();
    bool locked() const { return fd_ >= 0; }

    // True when another process holds the lock on `path` right now.
    static bool isHeld(const std::string& path);

    // Folder for the user's lock files: $XDG_RUNTIME_DIR/corvanta-j4, else
    // /tmp/corvanta-j4-<uid>.
    static std::string runtimeFolder();

  private:
    int fd_ = -1;
};

}  // namespace j4::platform
