#include "automation/shared_block.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/lock_file.h"

namespace j4::automation {

namespace {

// Another process may be initialising the block under the same flock; it holds it for
// microseconds, so a bounded retry is enough and a stopped process cannot hang us.
bool lockForInit(int fd) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        const timespec oneMs{0, 1'000'000};
        nanosleep(&oneMs, nullptr);
    }
    return false;
}

bool initialise(BlockLayout* b, std::string* error) {
    std::memset(static_cast<void*>(b), 0, sizeof *b);
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    const int rc = pthread_mutex_init(&b->postLock, &attr);
    pthread_mutexattr_destroy(&attr);
    if (rc != 0) {
        *error = "cannot initialise the queue lock: " + std::string(std::strerror(rc));
        return false;
    }
    b->version = BLOCK_VERSION;
    b->size = sizeof(BlockLayout);
    // The magic goes last: a block without it was never finished.
    std::atomic_ref<uint32_t>(b->magic).store(BLOCK_MAGIC, std::memory_order_release);
    return true;
}

std::string describe(const std::string& name, const std::string& problem) {
    return "shared block " + name + ": " + problem;
}

}  // namespace

SharedBlock::~SharedBlock() {
    munmap(layout_, sizeof(BlockLayout));
}

std::string SharedBlock::defaultName() {
    const char* forced = std::getenv("J4_AUTOMATION_BLOCK");
    if (forced != nullptr && forced[0] != '\0') return forced;
    return "/j4auto-" + std::to_string(getuid());
}

bool SharedBlock::isValidName(std::string_view name) {
    return name.size() >= 2 && name.size() <= 201 && name[0] == '/' &&
           name.find('/', 1) == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::unique_ptr<SharedBlock> SharedBlock::attach(const std::string& name, std::string* error) {
    std::string ignored;
    if (error == nullptr) error = &ignored;
    if (!isValidName(name)) {
        *error = describe(name, "invalid name (expected \"/\" and a name without \"/\")");
        return nullptr;
    }
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        *error = describe(name, std::strerror(errno));
        return nullptr;
    }
    struct Closer {
        int fd;
        ~Closer() {
            // Explicitly: the mapping keeps the open file alive, and with it the flock.
            flock(fd, LOCK_UN);
            close(fd);
        }
    } closer{fd};

    if (!lockForInit(fd)) {
        *error = describe(name, "cannot lock it for initialisation");
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        *error = describe(name, std::strerror(errno));
        return nullptr;
    }
    // Another user could have made the name first: never share a block with them.
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
        *error = describe(name, "belongs to another user or is open to others");
        return nullptr;
    }
    const bool fresh = st.st_size == 0;
    if (fresh) {
        if (ftruncate(fd, sizeof(BlockLayout)) != 0) {
            *error = describe(name, std::strerror(errno));
            return nullptr;
        }
    } else if (st.st_size != static_cast<off_t>(sizeof(BlockLayout))) {
        *error = describe(name, "its size does not match this library's version");
        return nullptr;
    }
    void* mapped = mmap(nullptr, sizeof(BlockLayout), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        *error = describe(name, std::strerror(errno));
        return nullptr;
    }
    auto* layout = static_cast<BlockLayout*>(mapped);
    std::unique_ptr<SharedBlock> block(new SharedBlock(name, layout));

    const uint32_t magic = std::atomic_ref<uint32_t>(layout->magic).load(std::memory_order_acquire);
    if (fresh || magic == 0) {
        // magic 0 with the right size: the creator died before finishing. We hold the
        // init lock, so nobody else is initialising it now.
        if (!initialise(layout, error)) return nullptr;
    } else if (magic != BLOCK_MAGIC || layout->version != BLOCK_VERSION ||
               layout->size != sizeof(BlockLayout)) {
        *error = describe(name, "its header does not match this library's version");
        return nullptr;
    }
    return block;
}

bool SharedBlock::remove(const std::string& name) {
    return shm_unlink(name.c_str()) == 0;
}

std::string SharedBlock::consoleLockPath() const {
    return platform::LockFile::runtimeFolder() + "/" + name_.substr(1) + ".console";
}

}  // namespace j4::automation
