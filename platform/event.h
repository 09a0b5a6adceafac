#pragma once
// Auto-reset and manual-reset events that any number of threads may wait on.

#include "platform/waitable.h"

namespace j4::platform {

class Event : public Waitable {
  public:
    enum class Reset { Auto, Manual };
    explicit Event(Reset reset = Reset::Auto, bool initiallySet = false);
    ~Event() override;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // False when the descriptor could not be created.
    bool valid() const { return fd_ >= 0; }
    void set();
    void reset();
    bool isSet() const;
    // Returns true when the event was (and for auto-reset: is now taken) set.
    bool wait(int timeoutMs);

    int fd() const override { return fd_; }
    bool tryAcquire() override;

  private:
    int fd_ = -1;
    Reset reset_;
};

}  // namespace j4::platform
