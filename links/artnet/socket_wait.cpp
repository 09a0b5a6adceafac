#include "links/artnet/socket_wait.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/event.h"

namespace j4::links {

SocketFd& SocketFd::operator=(SocketFd&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.release();
    }
    return *this;
}

void SocketFd::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

namespace {

WaitResult waitFor(int fd, short events, const platform::Event& stop, int timeoutMs) {
    pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {fd, events, 0}};
    for (;;) {
        int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return WaitResult::Failed;
        if (n == 0) return WaitResult::TimedOut;
        if (fds[0].revents & POLLIN) return WaitResult::Stopped;
        if (fds[1].revents & POLLNVAL) return WaitResult::Failed;
        // Errors and hang-ups count as ready: the next call reports them.
        return WaitResult::Ready;
    }
}

}  // namespace

WaitResult waitReadable(int fd, const platform::Event& stop, int timeoutMs) {
    return waitFor(fd, POLLIN, stop, timeoutMs);
}

WaitResult waitWritable(int fd, const platform::Event& stop, int timeoutMs) {
    return waitFor(fd, POLLOUT, stop, timeoutMs);
}

IoResult sendAll(int fd, const uint8_t* data, size_t size, const platform::Event& stop) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            WaitResult w = waitWritable(fd, stop, -1);
            if (w == WaitResult::Stopped) return IoResult::Stopped;
            if (w != WaitResult::Ready) return IoResult::Failed;
            continue;
        }
        return IoResult::Failed;
    }
    return IoResult::Done;
}

IoResult receiveAll(int fd, uint8_t* data, size_t size, const platform::Event& stop) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::recv(fd, data + done, size - done, 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) return IoResult::Closed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            WaitResult w = waitReadable(fd, stop, -1);
            if (w == WaitResult::Stopped) return IoResult::Stopped;
            if (w != WaitResult::Ready) return IoResult::Failed;
            continue;
        }
        return IoResult::Failed;
    }
    return IoResult::Done;
}

bool setNonBlocking(int fd) {
    int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace j4::links
