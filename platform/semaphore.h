#pragma once
// Counting semaphore with a maximum. A release beyond the maximum saturates at the
// maximum instead of failing, so a producer that runs ahead (the frame clock while the
// engine is busy) never gets an error and never loses more than the excess.

#include <mutex>

#include "platform/waitable.h"

namespace j4::platform {

class Semaphore : public Waitable {
  public:
    Semaphore(int initialCount, int maximumCount);
    ~Semaphore() override;
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    bool valid() const { return fd_ >= 0; }
    // Adds `count` (clamped at the maximum); returns the count before the release.
    int release(int count = 1);
    // Takes one count; true on success, false on time-out.
    bool wait(int timeoutMs);
    int count() const;

    int fd() const override { return fd_; }
    bool tryAcquire() override;

  private:
    int fd_ = -1;
    int maximum_;
    int count_;
    mutable std::mutex mutex_;
};

}  // namespace j4::platform
