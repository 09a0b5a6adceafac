#pragma once
// The two small contracts between the engine and its outputs.

#include <cstdint>

#include "common/dmx_frame.h"

namespace j4::common {

// Every output takes the finished frame through one operation. The engine always
// passes (1, 8192, frame). The output copies the bytes and returns at once: 0 on
// success, -1 for a range it refuses. It must not allocate or block.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual int sendFrame(int firstChannel, int length, const uint8_t* bytes) = 0;
};

// A range an output may accept: channels numbered from 1, nothing past byte 8192.
constexpr bool isFrameRange(int firstChannel, int length) {
    return firstChannel >= 1 && length >= 0 && firstChannel - 1 <= FRAME_CHANNELS - length;
}

// After each change of the patch, every output hears per universe (1..16) the
// highest patched channel (0 = none). Network outputs send ceil(channel/32)*32 bytes
// of that universe; before the first notice they send 32.
class SendLengthListener {
public:
    virtual ~SendLengthListener() = default;
    virtual void setSendLength(int universe, int highestChannel) = 0;
};

inline constexpr int SEND_BLOCK = 32;
inline constexpr int DEFAULT_SEND_BYTES = 32;

constexpr int sendBytesFor(int highestChannel) {
    return (highestChannel + SEND_BLOCK - 1) / SEND_BLOCK * SEND_BLOCK;
}

}  // namespace j4::common
