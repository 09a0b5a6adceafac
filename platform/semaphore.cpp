#include "platform/semaphore.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace j4::platform {

// The count lives in count_ under the mutex; the eventfd only mirrors "count > 0" so
// that poll() can wait on it together with other objects. Every change of count_ from
// or to zero updates the eventfd while the mutex is held, so the two never disagree for
// longer than one critical section.

namespace {

void signalFd(int fd) {
    const uint64_t one = 1;
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void drainFd(int fd) {
    uint64_t value = 0;
    while (read(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

}  // namespace

Semaphore::Semaphore(int initialCount, int maximumCount)
    : maximum_(maximumCount), count_(initialCount) {
    // Like its Windows model, a semaphore with a maximum below 1 or an initial count
    // outside 0..maximum is not created (valid() reports it).
    if (maximumCount < 1 || initialCount < 0 || initialCount > maximumCount) {
        count_ = 0;
        return;
    }
    fd_ = eventfd(initialCount > 0 ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Semaphore::~Semaphore() {
    if (fd_ >= 0) close(fd_);
}

int Semaphore::release(int count) {
    std::lock_guard lock(mutex_);
    const int before = count_;
    if (fd_ < 0 || count <= 0) return before;
    // Saturate: the excess beyond the maximum is dropped, never an error.
    count_ = count >= maximum_ - count_ ? maximum_ : count_ + count;
    if (before == 0 && count_ > 0) signalFd(fd_);
    return before;
}

bool Semaphore::tryAcquire() {
    std::lock_guard lock(mutex_);
    if (fd_ < 0 || count_ == 0) return false;
    if (--count_ == 0) drainFd(fd_);
    return true;
}

bool Semaphore::wait(int timeoutMs) {
    return waitAny({this}, timeoutMs) == 0;
}

int Semaphore::count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

}  // namespace j4::platform
