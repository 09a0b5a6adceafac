#include "engine/startup/signalled_thread.h"

#include <pthread.h>
#include <sched.h>

#include <system_error>

namespace j4::engine {

namespace {
constexpr int ENGINE_REALTIME_PRIORITY = 20;  // of SCHED_FIFO's 1..99
}  // namespace

SignalledThread::~SignalledThread() {
    stop();
}

bool SignalledThread::start(platform::Waitable& trigger, std::function<void()> handler,
                            ThreadPriority priority) {
    if (thread_.joinable() || !stop_.valid() || !handler) return false;
    stop_.reset();
    handler_ = std::move(handler);
    try {
        thread_ = std::thread([this, &trigger] { run(trigger); });
    } catch (const std::system_error&) {
        return false;
    }
    if (priority == ThreadPriority::TimeCritical) {
        // The engine paces the show: it must win against every normal thread. A failure
        // (no real-time privilege) leaves it at normal priority, as on a system that
        // refuses the priority class. A middle real-time priority, not the highest: the
        // kernel's own real-time threads and the driver's I/O must still come first.
        sched_param param{};
        param.sched_priority = ENGINE_REALTIME_PRIORITY;
        raised_ = pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &param) == 0;
    }
    return true;
}

void SignalledThread::stop() {
    if (!thread_.joinable()) return;
    stop_.set();
    thread_.join();
    stop_.reset();
}

void SignalledThread::run(platform::Waitable& trigger) {
    for (;;) {
        // The stop event comes first: once it is set no further trigger is handled.
        const int which = platform::waitAny({&stop_, &trigger}, platform::WAIT_FOREVER);
        if (which == 0) return;
        if (which == 1) handler_();
        // Any other result (a failed poll) is ignored and the thread waits again.
    }
}

}  // namespace j4::engine
