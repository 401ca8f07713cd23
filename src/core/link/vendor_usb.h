#pragma once
// The six operations the program needs from a logger byte pipe. Every backend (libusb,
// Unix socket, simulated logger) offers exactly these, so nothing above can tell them apart.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace quillmark {

class VendorUsb {
public:
    using Handle = std::uint64_t;
    using Status = std::uint32_t;

    static constexpr Handle kInvalidHandle = ~Handle{0};

    // Status values. 0 is success; every other value is a failure whose meaning is ours.
    static constexpr Status kSuccess = 0;
    static constexpr Status kInvalidHandleStatus = 0x01;
    static constexpr Status kReadError = 0x02;
    static constexpr Status kWriteError = 0x04;
    static constexpr Status kInvalidParameter = 0x06;
    static constexpr Status kIoFailed = 0x08;
    static constexpr Status kReadTimedOut = 0x0D;
    static constexpr Status kWriteTimedOut = 0x0E;
    // The logger is present but this user may not open it (device permissions).
    static constexpr Status kAccessDenied = 0x20;
    // The endpoint stalled (the device answered a transfer with STALL).
    static constexpr Status kPipeStalled = 0x21;
    // Babble: the device sent more than the transfer could take.
    static constexpr Status kOverflow = 0x22;
    // Another program holds the logger's interface.
    static constexpr Status kBusy = 0x23;
    // Ended by cancel() before it completed.
    static constexpr Status kCancelled = 0x24;
    // No logger at that index, or it went away (unplugged, peer hung up).
    static constexpr Status kDeviceNotFound = 0xFF;

    // One logger as a backend that can tell several apart lists it.
    struct Device {
        std::string location; // "BUS:PORTPATH", e.g. "1:3.2"
        std::string serial;   // empty when the bridge has none
        bool operator==(const Device&) const = default;
    };

    virtual ~VendorUsb() = default;

    // Opens logger number `deviceIndex`; on success `handle` is valid.
    virtual Status openDevice(std::uint32_t deviceIndex, Handle& handle) = 0;
    virtual Status closeDevice(Handle handle) = 0;
    // Waits up to the read timeout in force for `count` bytes; `returned` says how many came.
    // Fewer bytes with status 0 is allowed; a timeout with bytes missing is kReadTimedOut.
    virtual Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                        std::uint32_t& returned) = 0;
    virtual Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                         std::uint32_t& written) = 0;
    // Timeouts in milliseconds, one setting for the whole process (not per handle).
    virtual Status setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual Status getTimeouts(std::uint32_t& readMs, std::uint32_t& writeMs) = 0;

    // The loggers present, in the order openDevice numbers them. False for a backend that
    // reaches one logger only and cannot list (it is always device 0).
    virtual bool listDevices(std::vector<Device>& out) {
        out.clear();
        return false;
    }
    // Opens the logger listed at `location`; kDeviceNotFound when none is there.
    virtual Status openDeviceAt(const std::string& location, Handle& handle);
    // What the backend was doing inside its most recent failed operation, when that says more
    // than the status ("the bridge's enable request"); empty otherwise.
    virtual std::string failedStep() const { return {}; }
    // Ends the transfer in progress, and every later one until the next open, with
    // kCancelled. Safe from any thread; closing still works (and tells the bridge).
    virtual void cancel() {}
};

inline VendorUsb::Status VendorUsb::openDeviceAt(const std::string& location, Handle& handle) {
    std::vector<Device> devices;
    handle = kInvalidHandle;
    if (!listDevices(devices))
        return kDeviceNotFound;
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].location == location)
            return openDevice(static_cast<std::uint32_t>(i), handle);
    return kDeviceNotFound;
}

// Every call passed on to another backend; a wrapper overrides only what it changes.
class ForwardingVendorUsb : public VendorUsb {
public:
    explicit ForwardingVendorUsb(VendorUsb& inner) : inner_(inner) {}

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override {
        return inner_.openDevice(deviceIndex, handle);
    }
    Status closeDevice(Handle handle) override { return inner_.closeDevice(handle); }
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override {
        return inner_.read(handle, buffer, count, returned);
    }
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override {
        return inner_.write(handle, buffer, count, written);
    }
    Status setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        return inner_.setTimeouts(readMs, writeMs);
    }
    Status getTimeouts(std::uint32_t& readMs, std::uint32_t& writeMs) override {
        return inner_.getTimeouts(readMs, writeMs);
    }
    bool listDevices(std::vector<Device>& out) override { return inner_.listDevices(out); }
    Status openDeviceAt(const std::string& location, Handle& handle) override {
        return inner_.openDeviceAt(location, handle);
    }
    std::string failedStep() const override { return inner_.failedStep(); }
    void cancel() override { inner_.cancel(); }

protected:
    VendorUsb& inner() const { return inner_; }

private:
    VendorUsb& inner_;
};

// A backend whose timeouts are the plain process-wide pair every transfer reads.
class VendorUsbWithTimeouts : public VendorUsb {
public:
    Status setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) final {
        readTimeout_.store(readMs);
        writeTimeout_.store(writeMs);
        return kSuccess;
    }
    Status getTimeouts(std::uint32_t& readMs, std::uint32_t& writeMs) final {
        readMs = readTimeout_.load();
        writeMs = writeTimeout_.load();
        return kSuccess;
    }

protected:
    std::uint32_t readTimeout() const { return readTimeout_.load(); }
    std::uint32_t writeTimeout() const { return writeTimeout_.load(); }

private:
    std::atomic<std::uint32_t> readTimeout_{1000};
    std::atomic<std::uint32_t> writeTimeout_{1000};
};

} // namespace quillmark
