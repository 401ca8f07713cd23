#include "sim/simulated_logger.h"

#include <chrono>
#include <thread>

namespace quillmark::sim {

SimulatedLogger::SimulatedLogger(const SimOptions& options) : device_(options) {}

VendorUsb::Status SimulatedLogger::openDevice(std::uint32_t deviceIndex, Handle& handle) {
    std::lock_guard lock(mutex_);
    handle = kInvalidHandle;
    if (deviceIndex != 0 || device_.vanished())
        return kDeviceNotFound;
    if (open_)
        return kIoFailed; // one opener at a time, like the real bridge
    open_ = true;
    handle_ = nextHandle_++;
    handle = handle_;
    return kSuccess;
}

VendorUsb::Status SimulatedLogger::closeDevice(Handle handle) {
    std::lock_guard lock(mutex_);
    if (!open_ || handle != handle_)
        return kInvalidHandleStatus;
    open_ = false;
    handle_ = kInvalidHandle;
    return kSuccess;
}

VendorUsb::Status SimulatedLogger::read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                                        std::uint32_t& returned) {
    returned = 0;
    std::uint32_t timeoutMs = 0;
    {
        std::lock_guard lock(mutex_);
        if (!open_ || handle != handle_)
            return kInvalidHandleStatus;
        timeoutMs = readTimeout();
    }
    // The device answers synchronously, so whatever is missing now stays missing: the
    // read waits out its timeout like the real one, unless the logger has gone.
    returned = static_cast<std::uint32_t>(device_.take(buffer, count));
    if (returned == count)
        return kSuccess;
    if (device_.vanished())
        return kDeviceNotFound;
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    returned += static_cast<std::uint32_t>(device_.take(buffer + returned, count - returned));
    return returned == count ? kSuccess : kReadTimedOut;
}

VendorUsb::Status SimulatedLogger::write(Handle handle, const std::uint8_t* buffer,
                                         std::uint32_t count, std::uint32_t& written) {
    written = 0;
    {
        std::lock_guard lock(mutex_);
        if (!open_ || handle != handle_)
            return kInvalidHandleStatus;
    }
    if (device_.vanished())
        return kDeviceNotFound;
    device_.receive(buffer, count);
    written = count;
    return kSuccess;
}

} // namespace quillmark::sim
