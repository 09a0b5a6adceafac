#include "links/citp/citp_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "links/artnet/interface_address.h"
#include "links/artnet/socket_wait.h"
#include "platform/waitable.h"

namespace j4::links {

namespace {

constexpr size_t DISCOVERY_BUFFER = 256;
constexpr uint32_t FPTC = fourCc("FPTC"), SDMX = fourCc("SDMX");
constexpr uint32_t PTCH = fourCc("Ptch"), UPTC = fourCc("UPtc"), CHBK = fourCc("ChBk");

sockaddr_in ipv4(uint32_t address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = address;
    a.sin_port = htons(port);
    return a;
}

}  // namespace

CitpLink::CitpLink() {
    patch_.reserve(MAX_FIXTURES);
    selection_.reserve(MAX_FIXTURES);
    selectionCopy_.reserve(MAX_FIXTURES);
    selectMessage_.reserve(28 + 2 * MAX_SELECTION);
}

CitpLink::~CitpLink() {
    stop();
}

int CitpLink::start(const NetworkSettings& settings) {
    if (started_) return 0;
    startError_.clear();
    if (!resolveInterface(settings.interfaceAddress, &startError_)) return -1;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) {
        startError_ = "cannot read the computer's host name";
        return -1;
    }
    if (!stop_.valid() || !selectionEvent_.valid() || !broken_.valid() || !sessionEnd_.valid() ||
        !frames_.frameEvent().valid()) {
        startError_ = "cannot create the link's events";
        return -1;
    }
    settings_ = settings;
    peerName_ = std::string("Corvanta J4@") + host;
    stop_.reset();
    selectionEvent_.reset();
    frames_.frameEvent().reset();
    clearLists();
    frameWakeups_ = blocksSent_ = connections_ = framingLosses_ = messagesRefused_ = 0;
    lastError_ = 0;
    peer_ = 0;
    state_ = CitpState::Discovering;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        state_ = CitpState::Stopped;
        startError_ = std::string("cannot start the link thread: ") + e.what();
        return -1;
    }
    started_ = true;
    return 0;
}

void CitpLink::stop() {
    if (!started_) return;
    stop_.set();
    if (thread_.joinable()) thread_.join();
    clearLists();
    connected_ = false;
    state_ = CitpState::Stopped;
    started_ = false;
}

int CitpLink::sendFrame(int firstChannel, int length, const uint8_t* bytes) {
    return frames_.store(firstChannel, length, bytes);
}

void CitpLink::setSendLength(int universe, int highestChannel) {
    lengths_.set(universe, highestChannel);
}

int CitpLink::trySetSendLength(int universe, int highestChannel) {
    return lengths_.set(universe, highestChannel) ? 0 : -1;
}

void CitpLink::setSelection(std::span<const int> deviceBaseAddresses) {
    {
        std::lock_guard lock(lock_);
        selection_.clear();
        for (const Patched& p : patch_) {
            int at = p.universe * common::CHANNELS_PER_UNIVERSE + p.channel;
            if (std::find(deviceBaseAddresses.begin(), deviceBaseAddresses.end(), at) !=
                deviceBaseAddresses.end())
                selection_.push_back(p.fixture);
        }
    }
    selectionEvent_.set();
}

CitpStatus CitpLink::status() const {
    CitpStatus s;
    s.started = started_;
    s.connected = connected_;
    s.state = state_;
    s.peer = peer_;
    s.frameWakeups = frameWakeups_;
    s.blocksSent = blocksSent_;
    s.connections = connections_;
    s.framingLosses = framingLosses_;
    s.messagesRefused = messagesRefused_;
    s.lastError = lastError_;
    std::lock_guard lock(lock_);
    s.patchedFixtures = patch_.size();
    return s;
}

std::vector<uint16_t> CitpLink::patchedFixtures() const {
    std::lock_guard lock(lock_);
    std::vector<uint16_t> ids;
    for (const Patched& p : patch_) ids.push_back(p.fixture);
    return ids;
}

void CitpLink::clearLists() {
    std::lock_guard lock(lock_);
    patch_.clear();
    selection_.clear();
}

void CitpLink::fail(int error) {
    lastError_ = error;
    state_ = CitpState::Failed;
}

void CitpLink::run() {
    while (!stop_.isSet()) {
        state_ = CitpState::Discovering;
        uint32_t peer = 0;
        Ended e = discover(peer);
        if (e == Ended::Stopped || e == Ended::Failed) return;
        if (e == Ended::Again) continue;
        e = session(peer);
        if (e == Ended::Stopped || e == Ended::Failed) return;
    }
}

CitpLink::Ended CitpLink::discover(uint32_t& peer) {
    SocketFd s(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.valid()) {
        fail(errno);
        return Ended::Failed;
    }
    int on = 1;
    ::setsockopt(s.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any = ipv4(htonl(INADDR_ANY), CITP_DISCOVERY_PORT);
    if (::bind(s.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        fail(errno);
        return Ended::Failed;
    }
    WaitResult w = waitReadable(s.get(), stop_, settings_.discoveryTimeoutMs);
    if (w == WaitResult::Stopped) return Ended::Stopped;
    if (w == WaitResult::Failed) {
        fail(errno);
        return Ended::Failed;
    }
    if (w == WaitResult::TimedOut) {
        // Nobody announced itself: try the visualizer on this computer.
        peer = htonl(INADDR_LOOPBACK);
        return Ended::Found;
    }
    uint8_t buffer[DISCOVERY_BUFFER];
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    ssize_t n =
        ::recvfrom(s.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) return Ended::Again;
        fail(errno);
        return Ended::Failed;
    }
    if (n < 4 || std::memcmp(buffer, "CITP", 4) != 0 || from.sin_family != AF_INET)
        return Ended::Again;
    peer = from.sin_addr.s_addr;
    return Ended::Found;
}

CitpLink::Ended CitpLink::session(uint32_t peer) {
    clearLists();
    state_ = CitpState::Connecting;
    peer_ = peer;
    SocketFd s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.valid()) {
        fail(errno);
        return Ended::Failed;
    }
    sockaddr_in to = ipv4(peer, CITP_SESSION_PORT);
    if (::connect(s.get(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        if (errno != EINPROGRESS) {
            lastError_ = errno;
            return Ended::Again;
        }
        WaitResult w = waitWritable(s.get(), stop_, settings_.discoveryTimeoutMs);
        if (w == WaitResult::Stopped) return Ended::Stopped;
        int error = 0;
        socklen_t len = sizeof error;
        if (w != WaitResult::Ready ||
            ::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            lastError_ = error ? error : ETIMEDOUT;
            return Ended::Again;
        }
    }
    halfRateToggle_ = false;
    patchTimer_ = 0;
    frameWakeups_ = 0;
    sessionEnd_.reset();
    broken_.reset();
    try {
        receiver_ = std::thread([this, fd = s.get()] { receive(fd); });
    } catch (const std::system_error&) {
        fail(EAGAIN);
        return Ended::Failed;
    }
    ++connections_;
    connected_ = true;
    state_ = CitpState::Connected;
    Ended e = serve(s.get());
    connected_ = false;
    sessionEnd_.set();
    receiver_.join();
    if (e == Ended::Again || e == Ended::Failed) state_ = CitpState::Discovering;
    return e;
}

bool CitpLink::sendBytes(int fd, const uint8_t* data, size_t size, Ended& ended) {
    IoResult r = sendAll(fd, data, size, stop_);
    if (r == IoResult::Done) return true;
    if (r == IoResult::Stopped) {
        ended = Ended::Stopped;
    } else {
        lastError_ = errno;
        ended = Ended::Again;  // a failed send ends the connection, not the link
    }
    return false;
}

CitpLink::Ended CitpLink::serve(int fd) {
    Ended ended = Ended::Again;
    auto name = peerNameMessage(peerName_);
    if (!sendBytes(fd, name.data(), name.size(), ended)) return ended;
    for (int k = 0; k < common::UNIVERSES; ++k) {
        char text[8];
        std::snprintf(text, sizeof text, "Out %02d", k + 1);
        auto m = universeNameMessage(static_cast<uint8_t>(k), text);
        if (!sendBytes(fd, m.data(), m.size(), ended)) return ended;
    }
    for (;;) {
        int w = platform::waitAny({&stop_, &broken_, &frames_.frameEvent(), &selectionEvent_},
                                  platform::WAIT_FOREVER);
        switch (w) {
            case 0:
                return Ended::Stopped;
            case 1:
                return Ended::Again;
            case 2:
                if (!sendFrameRound(fd, ended)) return ended;
                break;
            case 3:
                if (!sendSelection(fd, ended)) return ended;
                break;
            default:
                fail(errno);
                return Ended::Failed;
        }
    }
}

bool CitpLink::sendFrameRound(int fd, Ended& ended) {
    ++frameWakeups_;
    if (halfRateToggle_) {
        halfRateToggle_ = false;
    } else {
        frames_.snapshot(snapshot_);
        for (int k = 0; k < common::UNIVERSES; ++k) {
            int n = lengths_.bytes(k);
            if (n == 0) continue;
            size_t size = writeChannelBlock(block_.data(), static_cast<uint8_t>(k),
                                            snapshot_.data() + k * common::CHANNELS_PER_UNIVERSE,
                                            static_cast<uint16_t>(n));
            if (!sendBytes(fd, block_.data(), size, ended)) return false;
            ++blocksSent_;
        }
        halfRateToggle_ = true;
    }
    if (++patchTimer_ >= PATCH_REQUEST_WAKEUPS) {
        patchTimer_ = 0;
        {
            std::lock_guard lock(lock_);
            patch_.clear();
        }
        auto request = patchRequestMessage();
        if (!sendBytes(fd, request.data(), request.size(), ended)) return false;
    }
    return true;
}

bool CitpLink::sendSelection(int fd, Ended& ended) {
    auto deselect = deselectAllMessage();
    if (!sendBytes(fd, deselect.data(), deselect.size(), ended)) return false;
    {
        std::lock_guard lock(lock_);
        selectionCopy_.assign(selection_.begin(), selection_.end());
    }
    writeSelectMessage(selectMessage_, selectionCopy_);
    return sendBytes(fd, selectMessage_.data(), selectMessage_.size(), ended);
}

void CitpLink::receive(int fd) {
    for (;;) {
        IoResult r = receiveAll(fd, message_.data(), CITP_HEADER_SIZE, sessionEnd_);
        if (r == IoResult::Stopped) return;
        if (r != IoResult::Done) {
            broken_.set();
            return;
        }
        auto header = parseCitpHeader(std::span<const uint8_t>(message_.data(), CITP_HEADER_SIZE));
        if (!header || header->size > MAX_SKIPPED_MESSAGE) {
            // Nothing after this point can be trusted to start a message.
            ++framingLosses_;
            broken_.set();
            return;
        }
        size_t rest = header->size - CITP_HEADER_SIZE;
        if (header->size > MAX_MESSAGE) {
            // Read past a message too big to be one the link knows.
            while (rest > 0) {
                size_t chunk = std::min(rest, message_.size());
                r = receiveAll(fd, message_.data(), chunk, sessionEnd_);
                if (r == IoResult::Stopped) return;
                if (r != IoResult::Done) {
                    broken_.set();
                    return;
                }
                rest -= chunk;
            }
            continue;
        }
        r = receiveAll(fd, message_.data() + CITP_HEADER_SIZE, rest, sessionEnd_);
        if (r == IoResult::Stopped) return;
        if (r != IoResult::Done) {
            broken_.set();
            return;
        }
        handleMessage(std::span<const uint8_t>(message_.data(), header->size));
    }
}

void CitpLink::handleMessage(std::span<const uint8_t> m) {
    auto header = parseCitpHeader(m);
    uint32_t type = citpMessageType(m);
    if (header->layer == FPTC && type == UPTC) {
        auto u = parseUnpatch(m);
        if (!u) {
            ++messagesRefused_;
            return;
        }
        std::lock_guard lock(lock_);
        if (u->count() == 0) {
            patch_.clear();
            return;
        }
        for (size_t i = 0; i < u->count(); ++i) {
            uint16_t id = u->at(i);
            std::erase_if(patch_, [id](const Patched& p) { return p.fixture == id; });
        }
    } else if (header->layer == FPTC && type == PTCH) {
        auto p = parsePatch(m);
        if (!p) {
            ++messagesRefused_;
            return;
        }
        std::lock_guard lock(lock_);
        bool known = std::any_of(patch_.begin(), patch_.end(),
                                 [&](const Patched& q) { return q.fixture == p->fixture; });
        if (!known && patch_.size() < MAX_FIXTURES)
            patch_.push_back({p->fixture, p->universe, p->channel});
    } else if (header->layer == SDMX && type == CHBK) {
        auto b = parseChannelBlock(m);
        if (!b) {
            ++messagesRefused_;
            return;
        }
        if (!b->levels.empty())
            incoming_.push(b->universe * common::CHANNELS_PER_UNIVERSE + b->firstChannel,
                           b->levels.data(), static_cast<int>(b->levels.size()));
    }
}

}  // namespace j4::links
