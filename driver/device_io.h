#pragma once
// The boundary between the driver and the interfaces' kernel driver: one operation
// per control code, each a synchronous call on one open handle. A DeviceBus opens
// handles by device name. Real hardware and the simulated interface sit behind it.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace j4::driver {

// Control codes, kept for traces and for a backend that speaks them.
inline constexpr uint32_t IOCTL_VENDOR_REQUEST = 0x222014;
inline constexpr uint32_t IOCTL_FIRMWARE_BLOCK = 0x22206D;
inline constexpr uint32_t IOCTL_SELECT_INTERFACE = 0x222040;
inline constexpr uint32_t IOCTL_ABORT_PIPE = 0x22203D;
inline constexpr uint32_t IOCTL_RESET_PIPE = 0x222035;
inline constexpr uint32_t IOCTL_BULK_READ = 0x22204E;
inline constexpr uint32_t IOCTL_BULK_WRITE = 0x222051;

inline constexpr int PACKET_BYTES = 64;
using Packet = std::array<uint8_t, PACKET_BYTES>;
using VendorRequestBytes = std::array<uint8_t, 10>;

class DeviceIo {
  public:
    virtual ~DeviceIo() = default;
    virtual bool vendorRequest(const VendorRequestBytes& request) = 0;
    virtual bool downloadFirmwareBlock(uint16_t startAddress, std::span<const uint8_t> bytes) = 0;
    virtual bool selectInterface(uint8_t interfaceNumber, uint8_t alternateSetting) = 0;
    virtual bool abortPipe(uint32_t pipe) = 0;
    virtual bool resetPipe(uint32_t pipe) = 0;
    // Blocks until a packet arrives, the pipe is aborted, the handle is cancelled or
    // the device goes away; false in every case but the first.
    virtual bool bulkRead(uint32_t pipe, Packet& packet) = 0;
    virtual bool bulkWrite(uint32_t pipe, std::span<const uint8_t> bytes) = 0;
    // Makes the pending and every later transfer on this handle fail at once. The
    // driver uses it at shutdown so that a thread blocked in a read always ends, even
    // when the pipe abort came before the thread started its read.
    virtual void cancel() = 0;
};

class DeviceBus {
  public:
    virtual ~DeviceBus() = default;
    // Null when no device of that name is present (the stand-in for a failed open).
    virtual std::unique_ptr<DeviceIo> open(const std::string& deviceName) = 0;
};

// A bus without devices: the driver on a machine without an interface.
class EmptyBus : public DeviceBus {
  public:
    std::unique_ptr<DeviceIo> open(const std::string&) override { return nullptr; }
};

}  // namespace j4::driver
