#include "driver/packets.h"

namespace j4::driver {

namespace {
template <int N>
constexpr std::array<int32_t, N> offsets() {
    std::array<int32_t, N> out{};
    for (int n = 0; n < N; ++n) out[n] = (n * 2000 + N) / (2 * N);  // round(n*1000/N)
    return out;
}
template <int N>
constexpr std::array<int32_t, N> increments() {
    auto off = offsets<N>();
    std::array<int32_t, N> out{};
    for (int n = 0; n < N; ++n) out[n] = (n + 1 == N ? 1000 : off[n + 1]) - off[n];
    return out;
}
constexpr uint8_t MAX_TIMECODE_DIGITS[8] = {2, 9, 5, 9, 5, 9, 2, 9};
}  // namespace

const std::array<int32_t, 30> OFFSET30 = offsets<30>();
const std::array<int32_t, 24> OFFSET24 = offsets<24>();
const std::array<int32_t, 30> INC30 = increments<30>();
const std::array<int32_t, 24> INC24 = increments<24>();

VendorRequestBytes cpuResetRequest(uint16_t cpuRegister, bool hold) {
    return {0xA0,
            0,
            static_cast<uint8_t>(cpuRegister & 0xFF),
            static_cast<uint8_t>(cpuRegister >> 8),
            0,
            0,
            1,
            0,
            0,
            static_cast<uint8_t>(hold ? 1 : 0)};
}

Packet dataHeaderPacket() {
    Packet p{};
    p[0] = 1;
    return p;
}

TransportPacket transportPacket(int32_t timeMs, int32_t mode, int32_t state, int32_t rateCode) {
    TransportPacket p{};
    p[0] = 2;
    p[1] = mode == 1 ? 2 : 1;
    p[2] = state == 0 ? 3 : state == 2 ? 4 : (mode == 2 ? 3 : 0);
    const int32_t t = timeMs < 0 ? 0 : timeMs;
    const int32_t hours = t / 3'600'000 % 24;
    const int32_t minutes = t % 3'600'000 / 60'000;
    const int32_t seconds = t % 60'000 / 1000;
    const int32_t m = t % 1000;
    const int32_t rest = m % 100;
    const int32_t frames = 3 * (m / 100) + (rest < 33 ? 0 : rest < 67 ? 1 : 2);
    const int32_t fields[4] = {hours, minutes, seconds, frames};
    for (int i = 0; i < 4; ++i) {
        p[3 + 2 * i] = static_cast<uint8_t>(fields[i] / 10);
        p[4 + 2 * i] = static_cast<uint8_t>(fields[i] % 10);
    }
    p[11] = static_cast<uint8_t>(rateCode);
    return p;
}

Packet configPacket(const std::array<uint8_t, 4>& blocks, int32_t inputBase) {
    Packet p{};
    p[0] = 3;
    for (int i = 0; i < 4; ++i) p[1 + i] = blocks[i];
    p[5] = static_cast<uint8_t>((inputBase >> 8) & 0xFF);
    p[6] = static_cast<uint8_t>(inputBase & 0xFF);
    return p;
}

int framesPerSecond(uint8_t flags) {
    switch (flags & FLAG_RATE_MASK) {
        case FLAG_RATE_25:
            return 25;
        case FLAG_RATE_24:
            return 24;
        default:
            return 30;
    }
}

int32_t frameMilliseconds(uint8_t flags, int32_t frameIndex) {
    switch (flags & FLAG_RATE_MASK) {
        case FLAG_RATE_25:
            return 40 * frameIndex;
        case FLAG_RATE_24:
            return OFFSET24[frameIndex];
        default:
            return OFFSET30[frameIndex];
    }
}

std::optional<Timecode> decodeTimecode(const Packet& s) {
    if (!(s[0] & FLAG_TIMECODE) || (s[1] & STATUS_SKIP_TIMECODE)) return std::nullopt;
    static constexpr uint8_t MASKS[8] = {0x03, 0x0F, 0x07, 0x0F, 0x07, 0x0F, 0x03, 0x0F};
    uint8_t d[8];
    for (int i = 0; i < 8; ++i) {
        d[i] = s[2 + i] & MASKS[i];
        if (d[i] > MAX_TIMECODE_DIGITS[i]) return std::nullopt;
    }
    const int hours = 10 * d[0] + d[1];
    const int frame = 10 * d[6] + d[7];
    if (hours > 23 || frame >= framesPerSecond(s[0])) return std::nullopt;
    Timecode tc;
    tc.flags = s[0];
    tc.seconds = 3600 * hours + 600 * d[2] + 60 * d[3] + 10 * d[4] + d[5];
    tc.frameIndex = frame;
    return tc;
}

void encodeTimecodeDigits(Packet& s, int hours, int minutes, int seconds, int frames) {
    const int fields[4] = {hours, minutes, seconds, frames};
    for (int i = 0; i < 4; ++i) {
        s[2 + 2 * i] = static_cast<uint8_t>(fields[i] / 10);
        s[3 + 2 * i] = static_cast<uint8_t>(fields[i] % 10);
    }
}

}  // namespace j4::driver
