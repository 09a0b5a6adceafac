#include "platform/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace j4::platform {

// The eventfd counter is non-zero exactly while the event is set. Setting adds one
// (a set event stays set however often it is set again); taking or resetting reads the
// counter, which empties it atomically, so only one reader can win an auto-reset event.

Event::Event(Reset reset, bool initiallySet) : reset_(reset) {
    fd_ = eventfd(initiallySet ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Event::~Event() {
    if (fd_ >= 0) close(fd_);
}

void Event::set() {
    if (fd_ < 0) return;
    const uint64_t one = 1;
    // EAGAIN would mean the counter is at its ceiling: the event is set anyway.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Event::reset() {
    if (fd_ < 0) return;
    uint64_t value = 0;
    while (read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool Event::isSet() const {
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const int r = poll(&p, 1, 0);
        if (r < 0 && errno == EINTR) continue;
        return r > 0 && (p.revents & POLLIN);
    }
}

bool Event::tryAcquire() {
    if (fd_ < 0) return false;
    if (reset_ == Reset::Manual) return isSet();
    uint64_t value = 0;
    for (;;) {
        if (read(fd_, &value, sizeof value) == static_cast<ssize_t>(sizeof value)) return true;
        if (errno != EINTR) return false;  // EAGAIN: another waiter took it
    }
}

bool Event::wait(int timeoutMs) {
    return waitAny({this}, timeoutMs) == 0;
}

}  // namespace j4::platform
