#include "links/artnet/tests/udp_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace j4::links::test {

uint32_t ipv4(const std::string& dotted) {
    in_addr a{};
    inet_pton(AF_INET, dotted.c_str(), &a);
    return a.s_addr;
}

UdpPeer::UdpPeer(const std::string& address, uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = ipv4(address);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

UdpPeer::~UdpPeer() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<Datagram> UdpPeer::receive(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
    Datagram d;
    d.bytes.resize(65536);
    sockaddr_in from{};
    socklen_t len = sizeof from;
    ssize_t n = ::recvfrom(fd_, d.bytes.data(), d.bytes.size(), 0,
                           reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) return std::nullopt;
    d.bytes.resize(static_cast<size_t>(n));
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    d.fromAddress = text;
    d.fromPort = ntohs(from.sin_port);
    return d;
}

bool UdpPeer::sendTo(const std::string& address, uint16_t port, const std::vector<uint8_t>& b) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = ipv4(address);
    return ::sendto(fd_, b.data(), b.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a) ==
           static_cast<ssize_t>(b.size());
}

void UdpPeer::drain() {
    while (receive(0)) {
    }
}

}  // namespace j4::links::test
