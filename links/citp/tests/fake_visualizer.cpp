#include "links/citp/tests/fake_visualizer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "links/artnet/tests/udp_peer.h"

namespace j4::links::test {

namespace {

void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

sockaddr_in at(const std::string& address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = ipv4(address);
    return a;
}

}  // namespace

std::vector<uint8_t> citpMessage(const char* layer, const char* type,
                                 const std::vector<uint8_t>& body) {
    std::vector<uint8_t> m = {'C', 'I', 'T', 'P', 1, 0, 0, 0};
    uint32_t size = static_cast<uint32_t>(24 + body.size());
    for (int i = 0; i < 4; ++i) m.push_back(static_cast<uint8_t>(size >> (8 * i)));
    put16(m, 1);
    put16(m, 1);
    m.insert(m.end(), layer, layer + 4);
    m.insert(m.end(), type, type + 4);
    m.insert(m.end(), body.begin(), body.end());
    return m;
}

std::vector<uint8_t> patchMessage(uint16_t fixture, uint8_t universe, uint16_t channel) {
    std::vector<uint8_t> body = {0, 0, 0, 0};  // content hint
    put16(body, fixture);
    body.push_back(universe);
    body.push_back(0);
    put16(body, channel);
    put16(body, 4);  // channel count, then the visualizer's further fields
    body.push_back('x');
    body.push_back(0);
    return citpMessage("FPTC", "Ptch", body);
}

std::vector<uint8_t> unpatchMessage(const std::vector<uint16_t>& fixtures) {
    std::vector<uint8_t> body = {0, 0, 0, 0};
    put16(body, static_cast<uint16_t>(fixtures.size()));
    for (uint16_t f : fixtures) put16(body, f);
    return citpMessage("FPTC", "UPtc", body);
}

std::vector<uint8_t> channelBlockMessage(uint8_t universe, uint16_t first,
                                         const std::vector<uint8_t>& levels) {
    std::vector<uint8_t> body = {0, universe};
    put16(body, first);
    put16(body, static_cast<uint16_t>(levels.size()));
    body.insert(body.end(), levels.begin(), levels.end());
    return citpMessage("SDMX", "ChBk", body);
}

FakeVisualizer::FakeVisualizer(const std::string& address) : address_(address) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = at(address, 4811);
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listen_, 4) != 0) {
        ::close(listen_);
        listen_ = -1;
    }
}

FakeVisualizer::~FakeVisualizer() {
    disconnect();
    if (listen_ >= 0) ::close(listen_);
}

bool FakeVisualizer::accept(int timeoutMs) {
    disconnect();
    pollfd p{listen_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    conn_ = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    return conn_ >= 0;
}

void FakeVisualizer::disconnect() {
    if (conn_ >= 0) ::close(conn_);
    conn_ = -1;
}

bool FakeVisualizer::readExact(uint8_t* p, size_t n, int timeoutMs) {
    size_t done = 0;
    while (done < n) {
        pollfd pf{conn_, POLLIN, 0};
        if (::poll(&pf, 1, timeoutMs) <= 0) return false;
        ssize_t r = ::recv(conn_, p + done, n - done, 0);
        if (r <= 0) return false;
        done += static_cast<size_t>(r);
    }
    return true;
}

std::optional<ReceivedMessage> FakeVisualizer::next(int timeoutMs) {
    if (conn_ < 0) return std::nullopt;
    std::vector<uint8_t> m(20);
    if (!readExact(m.data(), 20, timeoutMs)) return std::nullopt;
    uint32_t size = m[8] | m[9] << 8 | m[10] << 16 | uint32_t(m[11]) << 24;
    bool headerOk = std::memcmp(m.data(), "CITP", 4) == 0 && m[4] == 1 && m[5] == 0 && m[6] == 0 &&
                    m[7] == 0 && m[12] == 1 && m[13] == 0 && m[14] == 1 && m[15] == 0 &&
                    size >= 24 && size < 100000;
    if (!headerOk) {
        error_ = "malformed header";
        return std::nullopt;
    }
    m.resize(size);
    if (!readExact(m.data() + 20, size - 20, timeoutMs)) return std::nullopt;
    return ReceivedMessage{std::string(m.begin() + 16, m.begin() + 20),
                           std::string(m.begin() + 20, m.begin() + 24), m};
}

std::optional<ReceivedMessage> FakeVisualizer::nextOf(const std::string& type, int timeoutMs) {
    for (;;) {
        auto m = next(timeoutMs);
        if (!m || m->type == type) return m;
    }
}

bool FakeVisualizer::send(const std::vector<uint8_t>& bytes) {
    return conn_ >= 0 && ::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                             static_cast<ssize_t>(bytes.size());
}

bool FakeVisualizer::announce(const std::vector<uint8_t>& datagram) {
    UdpPeer udp(address_, 0);
    return udp.sendTo("127.0.0.1", 4810, datagram);
}

}  // namespace j4::links::test
