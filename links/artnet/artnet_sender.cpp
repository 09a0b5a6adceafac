#include "links/artnet/artnet_sender.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "links/artnet/interface_address.h"
#include "links/artnet/socket_wait.h"
#include "platform/waitable.h"

namespace j4::links {

namespace {

// Datagrams a discovery reads before it gives up (its own poll counts too).
constexpr int MAX_DISCOVERY_DATAGRAMS = 100;
// Where "No" sends: this machine, and for the VJ link universe 15 of subnet 0.
constexpr uint16_t LOCAL_VJ_PORT_ADDRESS = 15;

sockaddr_in ipv4(uint32_t address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = address;
    a.sin_port = htons(port);
    return a;
}

}  // namespace

ArtNetSender::ArtNetSender(SenderRole role) : role_(role) {}

ArtNetSender::~ArtNetSender() {
    stop();
}

int ArtNetSender::start(const NetworkSettings& settings, std::string_view targetName) {
    if (started_) return 0;
    startError_.clear();
    if (role_ == SenderRole::VjNode && targetName.size() >= SHORT_NAME_BYTES) {
        startError_ = "the target name is longer than a short name (17 characters)";
        return -1;
    }
    auto iface = resolveInterface(settings.interfaceAddress, &startError_);
    if (!iface) return -1;
    if (!stop_.valid() || !answerEvent_.valid() || !frames_.frameEvent().valid()) {
        startError_ = "cannot create the sender's events";
        return -1;
    }
    settings_ = settings;
    broadcast_ = iface->broadcast;
    targetName_ = role_ == SenderRole::VjNode ? std::string(targetName) : std::string();
    stop_.reset();
    answerEvent_.reset();
    frames_.frameEvent().reset();
    framesSent_ = packetsSent_ = sendErrors_ = searches_ = 0;
    lastError_ = 0;
    destination_ = 0;
    portAddress_ = 0;
    state_ = SenderState::Discovering;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        state_ = SenderState::Stopped;
        startError_ = std::string("cannot start the sender thread: ") + e.what();
        return -1;
    }
    started_ = true;
    return 0;
}

void ArtNetSender::stop() {
    if (!started_) return;
    stop_.set();
    if (thread_.joinable()) thread_.join();
    state_ = SenderState::Stopped;
    started_ = false;
}

int ArtNetSender::sendFrame(int firstChannel, int length, const uint8_t* bytes) {
    return frames_.store(firstChannel, length, bytes);
}

void ArtNetSender::setSendLength(int universe, int highestChannel) {
    lengths_.set(universe, highestChannel);
}

int ArtNetSender::trySetSendLength(int universe, int highestChannel) {
    return lengths_.set(universe, highestChannel) ? 0 : -1;
}

int ArtNetSender::sendLength(int universe) const {
    if (universe < 1 || universe > common::UNIVERSES) return 0;
    return lengths_.bytes(universe - 1);
}

SenderStatus ArtNetSender::status() const {
    SenderStatus s;
    s.started = started_;
    s.state = state_;
    s.destination = destination_;
    s.portAddress = portAddress_;
    s.framesSent = framesSent_;
    s.packetsSent = packetsSent_;
    s.sendErrors = sendErrors_;
    s.searches = searches_;
    s.lastError = lastError_;
    return s;
}

void ArtNetSender::answerNoNode(bool keepSearching) {
    if (state_ != SenderState::AwaitingAnswer) return;
    keepSearching_ = keepSearching;
    answerEvent_.set();
}

void ArtNetSender::fail(int error) {
    lastError_ = error;
    state_ = SenderState::Failed;
}

void ArtNetSender::run() {
    while (!stop_.isSet()) {
        state_ = SenderState::Discovering;
        Target target;
        Found found = discover(target);
        if (found == Found::Stopped) return;
        if (found == Found::Failed) return;
        if (found == Found::NoNode) {
            ++searches_;
            bool keepSearching = true;
            if (settings_.askWhenNoNode) {
                answerEvent_.reset();
                state_ = SenderState::AwaitingAnswer;
                if (platform::waitAny({&stop_, &answerEvent_}, platform::WAIT_FOREVER) != 1) return;
                keepSearching = keepSearching_;
            }
            if (keepSearching) {
                // A frame also ends the pause early, as the console always did.
                int w = platform::waitAny({&stop_, &frames_.frameEvent()}, settings_.retryDelayMs);
                if (w == 0 || w == platform::WAIT_FAILED) return;
                continue;
            }
            target.address = htonl(INADDR_LOOPBACK);
            target.portAddress = role_ == SenderRole::VjNode ? LOCAL_VJ_PORT_ADDRESS : 0;
        }
        Ended ended = sendLoop(target);
        if (ended != Ended::Rediscover) return;
    }
}

ArtNetSender::Found ArtNetSender::discover(Target& target) {
    SocketFd s(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.valid()) {
        fail(errno);
        return Found::Failed;
    }
    int on = 1;
    ::setsockopt(s.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(s.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in any = ipv4(htonl(INADDR_ANY), ARTNET_PORT);
    if (::bind(s.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        fail(errno);
        return Found::Failed;
    }
    // The poll goes only to the broadcast address of the chosen interface.
    auto poll = artPollPacket();
    sockaddr_in to = ipv4(broadcast_, ARTNET_PORT);
    if (::sendto(s.get(), poll.data(), poll.size(), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to) < 0)
        lastError_ = errno;  // nothing will answer; the wait below times out

    for (int received = 0; received < MAX_DISCOVERY_DATAGRAMS;) {
        WaitResult w = waitReadable(s.get(), stop_, settings_.discoveryTimeoutMs);
        if (w == WaitResult::Stopped) return Found::Stopped;
        if (w == WaitResult::TimedOut) return Found::NoNode;
        if (w == WaitResult::Failed) {
            fail(errno);
            return Found::Failed;
        }
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        ssize_t n = ::recvfrom(s.get(), receive_.data(), receive_.size(), 0,
                               reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            fail(errno);
            return Found::Failed;
        }
        ++received;
        if (fromLen < sizeof from || from.sin_family != AF_INET) continue;
        if (accepts(std::span<const uint8_t>(receive_.data(), static_cast<size_t>(n)), target)) {
            target.address = from.sin_addr.s_addr;
            return Found::Node;
        }
    }
    return Found::NoNode;
}

bool ArtNetSender::accepts(std::span<const uint8_t> datagram, Target& target) const {
    auto reply = parsePollReply(datagram);
    if (!reply) return false;
    if (role_ == SenderRole::AllUniverses) return true;
    // The VJ link needs the fields that give its port address.
    if (!reply->hasSubSwitch || !reply->hasSwOut) return false;
    if (!targetName_.empty() && (!reply->shortName || *reply->shortName != targetName_))
        return false;
    target.portAddress = static_cast<uint16_t>(reply->subSwitch * 16 + (reply->swOut & 15));
    return true;
}

ArtNetSender::Ended ArtNetSender::sendLoop(const Target& target) {
    SocketFd s(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!s.valid()) {
        fail(errno);
        return Ended::Failed;
    }
    int on = 1;
    ::setsockopt(s.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // Connecting checks the route (no route: search again). The socket is then
    // disconnected and sends with sendto(): a connected UDP socket turns every ICMP
    // "port unreachable" into a failed send that drops the next datagram.
    sockaddr_in to = ipv4(target.address, ARTNET_PORT);
    if (::connect(s.get(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        lastError_ = errno;
        return Ended::Rediscover;
    }
    sockaddr unspec{};
    unspec.sa_family = AF_UNSPEC;
    ::connect(s.get(), &unspec, sizeof unspec);
    destination_ = target.address;
    portAddress_ = target.portAddress;
    state_ = SenderState::Sending;
    for (;;) {
        int w = platform::waitAny({&stop_, &frames_.frameEvent()}, platform::WAIT_FOREVER);
        if (w == 0) return Ended::Stopped;
        if (w != 1) {
            fail(errno);
            return Ended::Failed;
        }
        sendRound(s.get(), target);
    }
}

void ArtNetSender::sendRound(int fd, const Target& target) {
    const sockaddr_in to = ipv4(target.address, ARTNET_PORT);
    frames_.snapshot(snapshot_);
    for (int k = 0; k < common::UNIVERSES; ++k) {
        if (role_ == SenderRole::VjNode && k != (target.portAddress & 15)) continue;
        int n = lengths_.bytes(k);
        if (n == 0) continue;
        uint16_t port = role_ == SenderRole::VjNode ? target.portAddress : static_cast<uint16_t>(k);
        size_t size = writeArtDmxHeader(packet_.data(), static_cast<uint8_t>(k), port, n);
        std::memcpy(packet_.data() + ARTDMX_HEADER_SIZE,
                    snapshot_.data() + k * common::CHANNELS_PER_UNIVERSE, n);
        if (::sendto(fd, packet_.data(), size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to) < 0) {
            // A refused datagram (an ICMP error from a node that went away, a full
            // buffer) costs one packet, not the whole output: count it and go on.
            ++sendErrors_;
            lastError_ = errno;
        } else {
            ++packetsSent_;
        }
    }
    ++framesSent_;
}

}  // namespace j4::links
