#include "driver/sim/simulation_control.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace j4::driver::sim {

namespace {
constexpr size_t MAX_COMMAND = 4096;
constexpr int IO_TIMEOUT_MS = 2000;

bool socketAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Reads up to a line feed (or the peer's end) within the time limit.
std::optional<std::string> readLine(int fd) {
    std::string line;
    char c;
    while (line.size() < MAX_COMMAND) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, IO_TIMEOUT_MS) <= 0) return std::nullopt;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0) return std::nullopt;
        if (n == 0 || c == '\n') return line;
        line += c;
    }
    return std::nullopt;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool parseInt(const std::string& word, int low, int high, int& out) {
    if (word.empty() || word.size() > 9) return false;
    int value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    out = value;
    return true;
}

bool parseLabel(const std::string& text, TimecodeLabel& label) {
    int fields[4];
    std::istringstream in(text);
    std::string part;
    static constexpr int HIGH[4] = {23, 59, 59, 29};
    for (int i = 0; i < 4; ++i) {
        if (!std::getline(in, part, ':') || !parseInt(part, 0, HIGH[i], fields[i])) return false;
    }
    if (std::getline(in, part, ':')) return false;
    label = {fields[0], fields[1], fields[2], fields[3]};
    return true;
}
}  // namespace

std::string simulationSocketPath(const std::string& runtimeFolder, int slot) {
    return runtimeFolder + "/simulation-" + std::to_string(slot) + ".sock";
}

std::string executeSimulationCommand(SimulatedDevice& device, const std::string& command) {
    std::istringstream in(command);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    if (w.empty()) return "error: empty command";
    const std::string& verb = w[0];
    int n = 0;
    if (verb == "step" && w.size() == 2 && parseInt(w[1], 1, 100000, n)) {
        device.step(n);
    } else if (verb == "input" && w.size() >= 3 && w.size() <= 514 && parseInt(w[1], 1, 512, n)) {
        std::vector<uint8_t> levels;
        for (size_t i = 2; i < w.size(); ++i) {
            int v;
            if (!parseInt(w[i], 0, 255, v)) return "error: level out of range";
            levels.push_back(static_cast<uint8_t>(v));
        }
        device.setDmxInput(n, levels);
    } else if (verb == "timecode" && (w.size() == 3 || (w.size() == 4 && w[3] == "offset"))) {
        TimecodeInput input;
        if (w[1] == "30")
            input.rateFlags = FLAG_RATE_30;
        else if (w[1] == "29.97df")
            input.rateFlags = FLAG_RATE_30_DROP;
        else if (w[1] == "25")
            input.rateFlags = FLAG_RATE_25;
        else if (w[1] == "24")
            input.rateFlags = FLAG_RATE_24;
        else
            return "error: unknown rate";
        if (!parseLabel(w[2], input.start) ||
            input.start.frames >= framesPerSecond(input.rateFlags))
            return "error: bad timecode";
        input.addOffset = w.size() == 4;
        device.setTimecodeInput(input);
    } else if (verb == "notimecode" && w.size() == 1) {
        device.setTimecodeInput(std::nullopt);
    } else if ((verb == "stall" || verb == "failwrites") && w.size() == 2 &&
               parseInt(w[1], 0, 1, n)) {
        if (verb == "stall")
            device.setStalled(n == 1);
        else
            device.setFailWrites(n == 1);
    } else if (verb == "transmitted" && w.size() == 2 && parseInt(w[1], 1, 4, n)) {
        std::string reply = "ok";
        char hex[4];
        for (uint8_t b : device.transmitted(n)) {
            std::snprintf(hex, sizeof hex, " %02x", b);
            reply += hex;
        }
        return reply;
    } else if (verb == "unplug" && w.size() == 1) {
        device.unplug();
    } else {
        return "error: unknown command";
    }
    return "ok";
}

SimulationControl::~SimulationControl() {
    stop();
}

bool SimulationControl::start(const std::string& socketPath,
                              std::shared_ptr<SimulatedDevice> device) {
    if (thread_.joinable() || !device || !stop_.valid()) return false;
    sockaddr_un addr;
    if (!socketAddress(socketPath, addr)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // The path belongs to whoever owns the slot, which is this process now.
    ::unlink(socketPath.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    path_ = socketPath;
    device_ = std::move(device);
    stop_.reset();
    thread_ = std::thread(&SimulationControl::serve, this);
    return true;
}

void SimulationControl::stop() {
    if (!thread_.joinable()) return;
    stop_.set();
    thread_.join();
    ::close(listenFd_);
    listenFd_ = -1;
    ::unlink(path_.c_str());
    device_.reset();
}

void SimulationControl::serve() {
    for (;;) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) continue;
        if (p[1].revents) return;
        if (!(p[0].revents & POLLIN)) continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        const auto line = readLine(client);
        const std::string reply =
            line ? executeSimulationCommand(*device_, *line) : "error: no command";
        writeAll(client, reply + "\n");
        ::close(client);
    }
}

std::optional<std::string> sendSimulationCommand(const std::string& socketPath,
                                                 const std::string& command) {
    sockaddr_un addr;
    if (!socketAddress(socketPath, addr)) return std::nullopt;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        writeAll(fd, command + "\n"))
        reply = readLine(fd);
    ::close(fd);
    return reply;
}

}  // namespace j4::driver::sim
