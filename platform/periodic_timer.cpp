#include "platform/periodic_timer.h"

#include <poll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace j4::platform {

namespace {

// The timer whose tick is running on this thread, so that stop() called from inside a
// tick can tell without touching the std::thread member another thread may be
// assigning or joining.
thread_local const PeriodicTimer* currentTimer = nullptr;

timespec toTimespec(int64_t ns) {
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

PeriodicTimer::~PeriodicTimer() {
    stop();
}

bool PeriodicTimer::start(int64_t periodNs, std::function<void()> tick) {
    if (running() || periodNs <= 0 || !tick || !stop_.valid()) return false;
    const int timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd < 0) return false;

    // The first deadline is absolute and every later one follows from the interval, so
    // the kernel keeps tick n at start + n * period however late we read it.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t first = static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec + periodNs;
    itimerspec deadline{};
    deadline.it_value = toTimespec(first);
    deadline.it_interval = toTimespec(periodNs);
    if (timerfd_settime(timerFd, TFD_TIMER_ABSTIME, &deadline, nullptr) != 0) {
        close(timerFd);
        return false;
    }

    stop_.reset();
    tick_ = std::move(tick);
    try {
        thread_ = std::thread(&PeriodicTimer::run, this, timerFd, periodNs);
    } catch (...) {
        close(timerFd);
        tick_ = nullptr;
        return false;
    }
    return true;
}

void PeriodicTimer::stop() {
    // Called from inside a tick the thread cannot join itself; it ends after the tick
    // returns and the owner's next stop() or the destructor joins it.
    if (currentTimer == this) {
        stop_.set();
        return;
    }
    if (!thread_.joinable()) return;
    stop_.set();
    thread_.join();
    stop_.reset();
    tick_ = nullptr;
}

void PeriodicTimer::run(int timerFd, int64_t /*periodNs*/) {
    currentTimer = this;
    pollfd fds[2] = {{stop_.fd(), POLLIN, 0}, {timerFd, POLLIN, 0}};
    for (;;) {
        fds[0].revents = fds[1].revents = 0;
        const int ready = poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents != 0) break;
        if (!(fds[1].revents & POLLIN)) continue;
        uint64_t expirations = 0;
        if (read(timerFd, &expirations, sizeof expirations) != sizeof expirations) continue;
        // One tick per elapsed period, so a late wake-up catches up; a stop request
        // between them ends the burst at once.
        for (uint64_t i = 0; i < expirations; ++i) {
            if (stop_.isSet()) {
                close(timerFd);
                return;
            }
            tick_();
        }
    }
    close(timerFd);
}

}  // namespace j4::platform
