#include "engine/startup/headless_run.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>
#include <algorithm>

#include "engine/startup/status_line.h"

namespace j4::engine {

namespace {

sigset_t exitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

int64_t nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1'000'000;
}

}  // namespace

bool blockExitSignals() {
    const sigset_t set = exitSignals();
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

int runHeadless(ConsoleApp& app, const HeadlessOptions& options) {
    const sigset_t set = exitSignals();
    const int sfd = signalfd(-1, &set, SFD_CLOEXEC);
    if (sfd < 0) return -1;

    const int interval = options.inPlace ? options.refreshMs : 1000;
    // The main loop also looks for a lost interface now and then, so it never sleeps
    // longer than this even without a status line.
    const int serviceMs = options.status ? interval : 250;
    int64_t nextStatus = nowMs();
    int signal = 0;
    while (signal == 0) {
        pollfd fds[2] = {{sfd, POLLIN, 0}, {app.mainWakeUp().fd(), POLLIN, 0}};
        const int wait = static_cast<int>(
            std::max<int64_t>(0, std::min<int64_t>(serviceMs, nextStatus - nowMs())));
        const int n = ::poll(fds, 2, options.status ? wait : serviceMs);
        if (n > 0 && (fds[0].revents & POLLIN)) {
            signalfd_siginfo info{};
            if (::read(sfd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
                signal = static_cast<int>(info.ssi_signo);
        }
        if (n > 0 && (fds[1].revents & POLLIN)) app.mainWakeUp().tryAcquire();
        app.serviceMainThread();
        if (options.status && nowMs() >= nextStatus) {
            const std::string line = statusLineText(readConsoleStatus(app.engine()));
            if (options.inPlace)
                *options.status << '\r' << line << "\033[K" << std::flush;
            else
                *options.status << line << std::endl;
            nextStatus = nowMs() + interval;
        }
    }
    if (options.status && options.inPlace) *options.status << '\n' << std::flush;
    ::close(sfd);
    return signal;
}

}  // namespace j4::engine
