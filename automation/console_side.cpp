#include "automation/console_side.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <system_error>

namespace j4::automation {

namespace {

std::atomic_ref<uint32_t> wakeWord(BlockLayout& b) {
    return std::atomic_ref<uint32_t>(b.wakeSequence);
}

void futexWake(uint32_t* word) {
    syscall(SYS_futex, word, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

// A console that is just starting may find a client probing the lock for a moment.
platform::LockFile::Result lockWithRetry(platform::LockFile& lock, const std::string& path) {
    platform::LockFile::Result result = platform::LockFile::Result::Failed;
    for (int attempt = 0; attempt < 50; ++attempt) {
        result = lock.tryLock(path);
        if (result != platform::LockFile::Result::InUse) return result;
        const timespec twoMs{0, 2'000'000};
        nanosleep(&twoMs, nullptr);
    }
    return result;
}

}  // namespace

ConsoleSide::ConsoleSide(std::string blockName) : name_(std::move(blockName)) {
    block_ = SharedBlock::attach(name_, &error_);
}

ConsoleSide::~ConsoleSide() {
    unregisterConsole();
}

std::string ConsoleSide::error() const {
    std::lock_guard guard(registrationMutex_);
    return error_;
}

bool ConsoleSide::registered() const {
    std::lock_guard guard(registrationMutex_);
    return consoleLock_.locked();
}

int ConsoleSide::registerConsole(platform::Event* wakeUp) {
    if (wakeUp == nullptr) {
        unregisterConsole();
        return J4AUTO_OK;
    }
    std::lock_guard guard(registrationMutex_);
    if (!block_) return J4AUTO_FAILED;
    stopWaiter();
    if (!consoleLock_.locked()) {
        const std::string path = block_->consoleLockPath();
        if (platform::LockFile::isHeld(path)) return J4AUTO_IN_USE;
        // Before clients can see us: commands queued for a console that died (one of
        // them may be what made it die) must not run in this one. A client stuck
        // holding the queue lock only costs us the clearing.
        if (!CommandQueue(block_->layout()).clear(std::chrono::milliseconds(500)))
            error_ = "queued commands of an earlier console could not be discarded";
        switch (lockWithRetry(consoleLock_, path)) {
            case platform::LockFile::Result::Acquired:
                break;
            case platform::LockFile::Result::InUse:
                return J4AUTO_IN_USE;
            case platform::LockFile::Result::Failed:
                error_ = "cannot create the console lock " + path;
                return J4AUTO_FAILED;
        }
    }
    stopWaiter_.store(false);
    try {
        waiter_ = std::thread([this, wakeUp] { waitForPosts(wakeUp); });
    } catch (const std::system_error& e) {
        // Nothing may cross the exported functions; without a waiter nobody would wake
        // the console, so it must not look connected either.
        consoleLock_.unlock();
        error_ = std::string("cannot start the wake-up thread: ") + e.what();
        return J4AUTO_FAILED;
    }
    return J4AUTO_OK;
}

void ConsoleSide::unregisterConsole() {
    std::lock_guard guard(registrationMutex_);
    stopWaiter();
    consoleLock_.unlock();
}

void ConsoleSide::stopWaiter() {
    if (!waiter_.joinable()) return;
    stopWaiter_.store(true);
    wakeWord(block_->layout()).fetch_add(1);
    futexWake(&block_->layout().wakeSequence);
    waiter_.join();
}

void ConsoleSide::waitForPosts(platform::Event* wakeUp) {
    BlockLayout& b = block_->layout();
    uint32_t seen = wakeWord(b).load(std::memory_order_acquire);
    if (!CommandQueue(b).empty()) wakeUp->set();
    while (!stopWaiter_.load()) {
        // Sleeps only while the word still equals `seen`, so a post between the load and
        // the wait is never missed. The time-out is a safety net, not the wake-up path.
        const timespec second{1, 0};
        syscall(SYS_futex, &b.wakeSequence, FUTEX_WAIT, seen, &second, nullptr, 0);
        const uint32_t now = wakeWord(b).load(std::memory_order_acquire);
        if (now != seen && !stopWaiter_.load()) wakeUp->set();
        seen = now;
    }
}

int ConsoleSide::take(J4AutoCommand& out) {
    if (!block_) return J4AUTO_EMPTY;
    switch (CommandQueue(block_->layout()).take(out)) {
        case TakeResult::Taken:
            return J4AUTO_OK;
        case TakeResult::Empty:
            return J4AUTO_EMPTY;
        case TakeResult::Invalid:
            return J4AUTO_INVALID_COMMAND;
    }
    return J4AUTO_EMPTY;
}

void ConsoleSide::publishClock(const ClockValues& values) {
    if (block_) automation::publishClock(block_->layout(), values);
}

}  // namespace j4::automation
