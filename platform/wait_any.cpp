#include <poll.h>
#include <time.h>

#include <cerrno>
#include <cstdint>

#include "platform/waitable.h"

namespace j4::platform {

namespace {

// The same limit as a multi-wait on Windows; it also lets the poll set live on the
// stack, so the engine thread's wait on every frame allocates nothing.
constexpr size_t MAX_WAIT_OBJECTS = 64;

int64_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

}  // namespace

int waitAny(std::initializer_list<Waitable*> objects, int timeoutMs) {
    if (objects.size() == 0 || objects.size() > MAX_WAIT_OBJECTS) return WAIT_FAILED;
    pollfd fds[MAX_WAIT_OBJECTS];
    Waitable* const* list = objects.begin();
    const nfds_t count = objects.size();
    for (nfds_t i = 0; i < count; ++i) {
        if (list[i] == nullptr || list[i]->fd() < 0) return WAIT_FAILED;
        fds[i] = pollfd{list[i]->fd(), POLLIN, 0};
    }

    const bool forever = timeoutMs < 0;
    const int64_t deadline = forever ? 0 : monotonicMs() + timeoutMs;
    for (;;) {
        int remaining = -1;
        if (!forever) {
            const int64_t left = deadline - monotonicMs();
            remaining = left > 0 ? static_cast<int>(left) : 0;
        }
        const int ready = poll(fds, count, remaining);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return WAIT_FAILED;
        }
        if (ready == 0) {
            // poll() may wake a little early on coarse clocks; only give up once the
            // deadline has really passed.
            if (!forever && monotonicMs() < deadline) continue;
            return WAIT_TIMEOUT;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents & (POLLERR | POLLNVAL)) return WAIT_FAILED;
        }
        // Lowest index first. A readable object may already have been taken by another
        // waiter between poll() and here; then we poll again for what is left of the
        // time-out.
        for (nfds_t i = 0; i < count; ++i) {
            if ((fds[i].revents & POLLIN) && list[i]->tryAcquire()) return static_cast<int>(i);
        }
        if (!forever && monotonicMs() >= deadline) return WAIT_TIMEOUT;
    }
}

}  // namespace j4::platform
