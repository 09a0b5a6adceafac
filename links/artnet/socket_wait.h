#pragma once
// Socket helpers for sender threads. A thread never blocks in recv() or send(): it
// polls its socket together with its stop event, because closing a socket from
// another thread does not wake a blocked call on Linux.

#include <cstddef>
#include <cstdint>

namespace j4::platform {
class Event;
}

namespace j4::links {

// Owns one socket descriptor.
class SocketFd {
  public:
    SocketFd() = default;
    explicit SocketFd(int fd) : fd_(fd) {}
    ~SocketFd() { close(); }
    SocketFd(SocketFd&& o) noexcept : fd_(o.release()) {}
    SocketFd& operator=(SocketFd&& o) noexcept;
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }
    void close();

  private:
    int fd_ = -1;
};

enum class WaitResult { Ready, Stopped, TimedOut, Failed };

// Waits until `fd` is readable (or writable) or `stop` is set; stop wins when both
// are. timeoutMs < 0 waits without limit.
WaitResult waitReadable(int fd, const platform::Event& stop, int timeoutMs);
WaitResult waitWritable(int fd, const platform::Event& stop, int timeoutMs);

enum class IoResult { Done, Stopped, Closed, Failed };

// Sends every byte on a non-blocking stream socket, waiting for room as needed.
IoResult sendAll(int fd, const uint8_t* data, size_t size, const platform::Event& stop);
// Reads exactly `size` bytes from a non-blocking stream socket.
IoResult receiveAll(int fd, uint8_t* data, size_t size, const platform::Event& stop);

bool setNonBlocking(int fd);

}  // namespace j4::links
