#pragma once
// The simulated logger as an in-process vendor backend: the same six operations as the
// real transports, answered by a LoggerDevice.
#include <memory>
#include <mutex>

#include "core/link/vendor_usb.h"
#include "sim/logger_device.h"

namespace quillmark::sim {

class SimulatedLogger : public VendorUsbWithTimeouts {
public:
    explicit SimulatedLogger(const SimOptions& options = {});

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override;
    Status closeDevice(Handle handle) override;
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override;
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override;

    LoggerDevice& device() { return device_; }

private:
    LoggerDevice device_;
    std::mutex mutex_;
    bool open_ = false;
    Handle nextHandle_ = 1;
    Handle handle_ = kInvalidHandle;
};

} // namespace quillmark::sim
