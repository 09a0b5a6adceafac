#include "automation/command_queue.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

namespace j4::automation {

namespace {

using Clock = std::chrono::steady_clock;

std::atomic_ref<int32_t> at(int32_t& v) {
    return std::atomic_ref<int32_t>(v);
}

bool isSlotIndex(int32_t i) {
    return i >= 0 && i < SLOT_COUNT;
}
int32_t nextIndex(int32_t i) {
    return i + 1 == SLOT_COUNT ? 0 : i + 1;
}

constexpr std::chrono::nanoseconds LOCK_SLICE = std::chrono::milliseconds(50);

}  // namespace

const char* resultText(int code) {
    switch (code) {
        case J4AUTO_OK:
            return "queued";
        case J4AUTO_FAILED:
            return "the automation block is unavailable (or the queue is empty)";
        case J4AUTO_IN_USE:
            return "another console is running";
        case J4AUTO_NOT_CONNECTED:
            return "no console is running, nothing queued";
        case J4AUTO_OUT_OF_RANGE:
            return "argument out of range, nothing queued";
        case J4AUTO_DROPPED:
            return "the console did not take commands in time, dropped";
        case J4AUTO_INVALID_COMMAND:
            return "an invalid command was discarded";
    }
    return "unknown result";
}

const char* postResultText(PostResult result) {
    return resultText(toResultCode(result));
}

int toResultCode(PostResult result) {
    switch (result) {
        case PostResult::Posted:
            return J4AUTO_OK;
        case PostResult::OutOfRange:
            return J4AUTO_OUT_OF_RANGE;
        case PostResult::NotConnected:
            return J4AUTO_NOT_CONNECTED;
        case PostResult::Dropped:
            return J4AUTO_DROPPED;
        case PostResult::Failed:
            return J4AUTO_FAILED;
    }
    return J4AUTO_FAILED;
}

CommandQueue::Lock CommandQueue::lock(Clock::time_point deadline) {
    // pthread_mutex_timedlock measures on the wall clock, which may jump; waiting in
    // short slices against the monotonic deadline keeps the bound whatever it does.
    for (;;) {
        const auto left = std::clamp(
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()),
            std::chrono::nanoseconds(0), LOCK_SLICE);
        timespec until{};
        clock_gettime(CLOCK_REALTIME, &until);
        const long long ns = until.tv_nsec + left.count();
        until.tv_sec += static_cast<time_t>(ns / 1'000'000'000);
        until.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        const int rc = pthread_mutex_timedlock(&block_.postLock, &until);
        if (rc == 0) return Lock::Locked;
        if (rc == EOWNERDEAD) {
            // A client died while posting. It moves the write index only after its slot
            // is complete, so the queue is whole; indexes are checked by every user.
            pthread_mutex_consistent(&block_.postLock);
            return Lock::Locked;
        }
        if (rc != ETIMEDOUT) return Lock::Failed;
        if (Clock::now() >= deadline) return Lock::TimedOut;
    }
}

void CommandQueue::unlock() {
    pthread_mutex_unlock(&block_.postLock);
}

void CommandQueue::wakeConsole() {
    std::atomic_ref<uint32_t>(block_.wakeSequence).fetch_add(1, std::memory_order_release);
    // Not FUTEX_PRIVATE: the waiter is in another process.
    syscall(SYS_futex, &block_.wakeSequence, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

PostResult CommandQueue::post(int32_t code, int32_t argument1, int32_t argument2,
                              std::string_view path, std::chrono::milliseconds timeout,
                              const std::function<bool()>& consoleAlive) {
    if (checkCommand(code, argument1, argument2, path) != CommandCheck::Valid)
        return PostResult::OutOfRange;
    if (code != static_cast<int32_t>(CommandCode::Load)) path = {};

    const auto deadline = Clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    auto nextAliveCheck = Clock::now();
    for (;;) {
        const Lock l = lock(deadline);
        if (l == Lock::TimedOut) return PostResult::Dropped;
        if (l == Lock::Failed) return PostResult::Failed;

        int32_t w = at(block_.writeIndex).load(std::memory_order_relaxed);
        const int32_t r = at(block_.readIndex).load(std::memory_order_acquire);
        if (!isSlotIndex(w) || !isSlotIndex(r)) {
            // Damaged indexes: the console repairs them when it takes; never write
            // through them.
            unlock();
            return PostResult::Failed;
        }
        if (nextIndex(w) != r) {
            CommandSlot& slot = block_.slots[w];
            slot.code = code;
            slot.argument1 = argument1;
            slot.argument2 = argument2;
            if (!path.empty()) std::memcpy(slot.path, path.data(), path.size());
            slot.path[path.size()] = '\0';
            at(block_.writeIndex).store(nextIndex(w), std::memory_order_release);
            unlock();
            wakeConsole();
            return PostResult::Posted;
        }
        // Full: let other clients and the console's clear() in while we wait.
        unlock();
        const auto now = Clock::now();
        if (now >= deadline) return PostResult::Dropped;
        if (now >= nextAliveCheck) {
            if (consoleAlive && !consoleAlive()) return PostResult::NotConnected;
            nextAliveCheck = now + std::chrono::milliseconds(20);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TakeResult CommandQueue::take(J4AutoCommand& out) {
    const int32_t r = at(block_.readIndex).load(std::memory_order_relaxed);
    const int32_t w = at(block_.writeIndex).load(std::memory_order_acquire);
    if (!isSlotIndex(r) || !isSlotIndex(w)) {
        // Somebody scribbled over the indexes: start again from an empty queue rather
        // than read outside the slots.
        clear(std::chrono::milliseconds(100));
        return TakeResult::Empty;
    }
    if (r == w) return TakeResult::Empty;

    const CommandSlot& slot = block_.slots[r];
    J4AutoCommand taken;
    taken.code = slot.code;
    taken.argument1 = slot.argument1;
    taken.argument2 = slot.argument2;
    std::memcpy(taken.path, slot.path, sizeof taken.path);
    at(block_.readIndex).store(nextIndex(r), std::memory_order_release);

    // Check the copy, not the shared slot, which a client could change meanwhile.
    bool valid;
    if (taken.code == static_cast<int32_t>(CommandCode::Load)) {
        valid = isValidPathField(taken.path, sizeof taken.path) &&
                checkCommand(taken.code, taken.argument1, taken.argument2, taken.path) ==
                    CommandCheck::Valid;
    } else {
        valid =
            checkCommand(taken.code, taken.argument1, taken.argument2, {}) == CommandCheck::Valid;
        taken.path[0] = '\0';
    }
    if (!valid) taken.path[0] = '\0';
    out = taken;
    return valid ? TakeResult::Taken : TakeResult::Invalid;
}

bool CommandQueue::clear(std::chrono::milliseconds timeout) {
    if (lock(Clock::now() + timeout) != Lock::Locked) return false;
    int32_t w = at(block_.writeIndex).load(std::memory_order_relaxed);
    if (!isSlotIndex(w)) {
        w = 0;
        at(block_.writeIndex).store(0, std::memory_order_relaxed);
    }
    at(block_.readIndex).store(w, std::memory_order_release);
    unlock();
    return true;
}

bool CommandQueue::empty() const {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(block_.readIndex)).load() ==
           std::atomic_ref<int32_t>(const_cast<int32_t&>(block_.writeIndex)).load();
}

}  // namespace j4::automation
