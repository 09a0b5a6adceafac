#pragma once
// A UDP socket on loopback that plays a network peer in the tests (an Art-Net node,
// a visualizer announcing itself).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace j4::links::test {

struct Datagram {
    std::vector<uint8_t> bytes;
    std::string fromAddress;
    uint16_t fromPort = 0;
};

class UdpPeer {
  public:
    // Binds address:port with address reuse and broadcast allowed.
    UdpPeer(const std::string& address, uint16_t port);
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool valid() const { return fd_ >= 0; }
    std::optional<Datagram> receive(int timeoutMs);
    bool sendTo(const std::string& address, uint16_t port, const std::vector<uint8_t>& bytes);
    // Drops whatever has arrived.
    void drain();

  private:
    int fd_ = -1;
};

uint32_t ipv4(const std::string& dotted);

}  // namespace j4::links::test
