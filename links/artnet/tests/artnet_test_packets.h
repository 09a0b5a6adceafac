#pragma once
// ArtPollReply datagrams as the tests' fake nodes send them.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace j4::links::test {

// A standard 239-byte ArtPollReply (or cut to `size`), with the short name written
// zero-terminated unless it fills all 18 bytes.
inline std::vector<uint8_t> pollReply(const std::string& shortName, uint8_t subSwitch,
                                      uint8_t swOut, size_t size = 239) {
    std::vector<uint8_t> d(239, 0);
    std::memcpy(d.data(), "Art-Net", 8);
    d[8] = 0x00;
    d[9] = 0x21;
    d[10] = 127;  // the node's IP, unused by the console
    d[19] = subSwitch;
    std::memcpy(d.data() + 26, shortName.data(), std::min<size_t>(shortName.size(), 18));
    d[190] = swOut;
    d.resize(size);
    return d;
}

}  // namespace j4::links::test
