#include "transport/socket_vendor_usb.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillmark::transport {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, for poll(); -1 waits without end.
int remainingMs(Clock::time_point deadline, bool forever) {
    if (forever)
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// 0xFFFFFFFF is "no timeout", as the vendor library treats it.
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// A blocked transfer looks at the cancel flag this often.
constexpr int kCancelSliceMs = 200;

int slice(int wait) {
    return wait < 0 || wait > kCancelSliceMs ? kCancelSliceMs : wait;
}

bool socketExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

} // namespace

SocketVendorUsb::SocketVendorUsb(std::string path) : path_(std::move(path)) {}

SocketVendorUsb::~SocketVendorUsb() {
    if (fd_ >= 0)
        ::close(fd_);
}

VendorUsb::Status SocketVendorUsb::openDevice(std::uint32_t deviceIndex, Handle& handle) {
    std::lock_guard lock(mutex_);
    handle = kInvalidHandle;
    if (deviceIndex != 0)
        return kDeviceNotFound;
    if (fd_ >= 0)
        return kIoFailed; // already open
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.size() >= sizeof addr.sun_path)
        return kInvalidParameter;
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kIoFailed;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        const int err = errno;
        ::close(fd);
        return err == EACCES || err == EPERM ? kAccessDenied : kDeviceNotFound;
    }
    fd_ = fd;
    cancelled_ = false;
    handle_ = nextHandle_++;
    handle = handle_;
    return kSuccess;
}

VendorUsb::Status SocketVendorUsb::closeDevice(Handle handle) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0 || handle != handle_)
        return kInvalidHandleStatus;
    ::close(fd_);
    fd_ = -1;
    handle_ = kInvalidHandle;
    return kSuccess;
}

VendorUsb::Status SocketVendorUsb::read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                                        std::uint32_t& returned) {
    std::lock_guard lock(mutex_);
    returned = 0;
    if (fd_ < 0 || handle != handle_)
        return kInvalidHandleStatus;
    const std::uint32_t readMs = readTimeout();
    const bool forever = readMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readMs);
    while (returned < count) {
        if (cancelled_)
            return kCancelled;
        const ssize_t r = ::recv(fd_, buffer + returned, count - returned, MSG_DONTWAIT);
        if (r > 0) {
            returned += static_cast<std::uint32_t>(r);
            continue;
        }
        if (r == 0)
            return kDeviceNotFound; // the peer hung up
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errno == ECONNRESET ? kDeviceNotFound : kReadError;
        const int wait = remainingMs(deadline, forever);
        if (wait == 0)
            return kReadTimedOut;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, slice(wait)) < 0 && errno != EINTR)
            return kReadError;
    }
    return kSuccess;
}

VendorUsb::Status SocketVendorUsb::write(Handle handle, const std::uint8_t* buffer,
                                         std::uint32_t count, std::uint32_t& written) {
    std::lock_guard lock(mutex_);
    written = 0;
    if (fd_ < 0 || handle != handle_)
        return kInvalidHandleStatus;
    const std::uint32_t writeMs = writeTimeout();
    const bool forever = writeMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(writeMs);
    while (written < count) {
        if (cancelled_)
            return kCancelled;
        const ssize_t w =
            ::send(fd_, buffer + written, count - written, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (w > 0) {
            written += static_cast<std::uint32_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN))
            return kDeviceNotFound;
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return kWriteError;
        const int wait = remainingMs(deadline, forever);
        if (wait == 0)
            return kWriteTimedOut;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, slice(wait)) < 0 && errno != EINTR)
            return kWriteError;
    }
    return kSuccess;
}

SocketDetector::SocketDetector(std::string path, int pollMs)
    : path_(std::move(path)), pollMs_(pollMs) {}

SocketDetector::~SocketDetector() {
    stop();
}

bool SocketDetector::start(ArrivalCallback onArrival) {
    stop();
    running_ = true;
    thread_ = std::thread([this, onArrival = std::move(onArrival)] {
        bool present = socketExists(path_);
        while (running_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs_));
            const bool now = socketExists(path_);
            if (now && !present && running_ && onArrival)
                onArrival();
            present = now;
        }
    });
    return true;
}

void SocketDetector::stop() {
    running_ = false;
    if (thread_.joinable())
        thread_.join();
}

} // namespace quillmark::transport
