#pragma once
// The logger byte pipe over a Unix stream socket: open connects, close disconnects, write
// sends, read gathers until the count or the read timeout. A peer that hangs up is a
// vanished logger. Another process (the simulator, a test harness, a bridge) plays the logger.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"

namespace quillmark::transport {

class SocketVendorUsb : public VendorUsbWithTimeouts {
public:
    explicit SocketVendorUsb(std::string path);
    ~SocketVendorUsb() override;

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override;
    Status closeDevice(Handle handle) override;
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override;
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override;
    void cancel() override { cancelled_ = true; }

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::mutex mutex_;
    int fd_ = -1;
    Handle handle_ = kInvalidHandle;
    Handle nextHandle_ = 1;
    std::atomic<bool> cancelled_{false};
};

// The socket path appearing counts as a logger arriving.
class SocketDetector : public LoggerDetector {
public:
    explicit SocketDetector(std::string path, int pollMs = 200);
    ~SocketDetector() override;
    bool enumerate() override { return true; }
    bool start(ArrivalCallback onArrival) override;
    void stop() override;

private:
    std::string path_;
    int pollMs_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

} // namespace quillmark::transport
