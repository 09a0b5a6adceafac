#include "show/new_identity.h"

#include <random>

namespace j4::show {

common::Identity newIdentity() {
    // One generator per thread, seeded from the system's entropy source once.
    thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    common::Identity id;
    for (int i = 0; i < 16; i += 8) {
        const uint64_t bits = generator();
        for (int b = 0; b < 8; ++b) id.bytes[i + b] = static_cast<uint8_t>(bits >> (8 * b));
    }
    // Version 4 (random) and the standard variant; byte 7 is the high byte of the
    // little-endian third group.
    id.bytes[7] = static_cast<uint8_t>((id.bytes[7] & 0x0F) | 0x40);
    id.bytes[8] = static_cast<uint8_t>((id.bytes[8] & 0x3F) | 0x80);
    return id;
}

}  // namespace j4::show
