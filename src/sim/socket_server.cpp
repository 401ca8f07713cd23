#include "sim/socket_server.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillmark::sim {

namespace {

struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    void reset(int value = -1) {
        if (fd >= 0)
            ::close(fd);
        fd = value;
    }
};

// Sends everything the device has for the host; false when the host is gone.
bool flush(LoggerDevice& device, int fd) {
    std::uint8_t buf[4096];
    for (;;) {
        const std::size_t n = device.take(buf, sizeof buf);
        if (n == 0)
            return true;
        std::size_t off = 0;
        while (off < n) {
            const ssize_t w = ::send(fd, buf + off, n - off, MSG_NOSIGNAL);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            off += static_cast<std::size_t>(w);
        }
    }
}

// The path may be taken when nothing is there or when it is a socket nobody listens on
// (left by a simulator that was killed); anything else belongs to someone else.
bool mayTakePath(const std::string& path, const sockaddr_un& addr, std::string* error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return true;
    if (!S_ISSOCK(st.st_mode)) {
        if (error)
            *error = path + " exists and is not a socket; not replacing it";
        return false;
    }
    Fd probe;
    probe.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (probe.fd >= 0 &&
        ::connect(probe.fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
        if (error)
            *error = "another simulator is already serving " + path;
        return false;
    }
    if (probe.fd < 0 || errno != ECONNREFUSED) {
        if (error)
            *error = "cannot check the socket " + path + ": " + std::strerror(errno);
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

} // namespace

bool serveSocket(LoggerDevice& device, const std::string& path, const std::atomic<bool>& stop,
                 std::string* error) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        if (error)
            *error = "socket path too long: " + path;
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (!mayTakePath(path, addr, error))
        return false;
    Fd listener;
    listener.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (listener.fd < 0 ||
        ::bind(listener.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener.fd, 4) != 0) {
        if (error)
            *error = "cannot listen on " + path + ": " + std::strerror(errno);
        return false;
    }

    Fd client;
    while (!stop.load()) {
        if (device.vanished()) {
            client.reset();
            break;
        }
        pollfd fds[2] = {{listener.fd, POLLIN, 0}, {client.fd, POLLIN, 0}};
        const int n = ::poll(fds, client.fd >= 0 ? 2 : 1, 100);
        if (n < 0 && errno != EINTR)
            break;
        if (n <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                // A new opener replaces the old one (its close may not have reached us).
                client.reset(fd);
                continue;
            }
        }
        if (client.fd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            std::uint8_t buf[4096];
            const ssize_t r = ::recv(client.fd, buf, sizeof buf, 0);
            if (r <= 0) {
                if (r < 0 && errno == EINTR)
                    continue;
                client.reset();
                continue;
            }
            device.receive(buf, static_cast<std::size_t>(r));
            if (!flush(device, client.fd))
                client.reset();
        }
    }
    ::unlink(path.c_str());
    return true;
}

} // namespace quillmark::sim
