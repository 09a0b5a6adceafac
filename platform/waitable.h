#pragma once
// Waitable kernel objects built on eventfd, so that a thread can wait on several at
// once (the stand-in for waiting on multiple event and semaphore handles).

#include <cstdint>
#include <initializer_list>

namespace j4::platform {

class Waitable {
  public:
    virtual ~Waitable() = default;
    // The descriptor that poll() reports readable while the object is signalled.
    virtual int fd() const = 0;
    // Consumes the signal if it is still there (auto-reset events and semaphores);
    // false when another waiter took it first.
    virtual bool tryAcquire() = 0;
};

inline constexpr int WAIT_FOREVER = -1;
inline constexpr int WAIT_TIMEOUT = -1;
inline constexpr int WAIT_FAILED = -2;

// Waits until one of the objects is signalled and acquired; returns its index in the
// list, WAIT_TIMEOUT after timeoutMs (WAIT_FOREVER: no time-out), WAIT_FAILED on error.
// When several are signalled, the lowest index wins (as a multi-wait on Windows does).
int waitAny(std::initializer_list<Waitable*> objects, int timeoutMs);

}  // namespace j4::platform
