#pragma once
// A bus whose interfaces accept every call and never send a packet: the driver's own
// cost without a device behind it (allocation tests, benchmarks). Reads wait until
// their pipe is aborted or the handle is cancelled.

#include <condition_variable>
#include <memory>
#include <mutex>

#include "driver/device_io.h"

namespace j4::driver::testing {

class PassiveBus : public DeviceBus {
  public:
    std::unique_ptr<DeviceIo> open(const std::string&) override {
        return std::make_unique<Handle>(*this);
    }

  private:
    class Handle : public DeviceIo {
      public:
        explicit Handle(PassiveBus& bus) : bus_(bus) {}
        bool vendorRequest(const VendorRequestBytes&) override { return true; }
        bool downloadFirmwareBlock(uint16_t, std::span<const uint8_t>) override { return true; }
        bool selectInterface(uint8_t, uint8_t) override { return true; }
        bool abortPipe(uint32_t) override {
            std::lock_guard g(bus_.mutex_);
            ++bus_.aborts_;
            bus_.wake_.notify_all();
            return true;
        }
        bool resetPipe(uint32_t) override { return true; }
        bool bulkRead(uint32_t, Packet&) override {
            std::unique_lock g(bus_.mutex_);
            const int aborts = bus_.aborts_;
            bus_.wake_.wait(g, [&] { return cancelled_ || bus_.aborts_ != aborts; });
            return false;
        }
        bool bulkWrite(uint32_t, std::span<const uint8_t>) override { return true; }
        void cancel() override {
            std::lock_guard g(bus_.mutex_);
            cancelled_ = true;
            bus_.wake_.notify_all();
        }

      private:
        PassiveBus& bus_;
        bool cancelled_ = false;
    };

    std::mutex mutex_;
    std::condition_variable wake_;
    int aborts_ = 0;
};

}  // namespace j4::driver::testing
