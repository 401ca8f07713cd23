#pragma once
// The real logger over libusb-1.0: a USB-to-MCU bridge with a vendor-specific interface 0,
// one bulk IN and one bulk OUT endpoint. Reads gather packets until the asked count or the
// read timeout and keep what is left of a packet for the next read.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"

struct libusb_context;
struct libusb_device;
struct libusb_device_handle;

namespace quillmark::transport {

struct UsbId {
    std::uint16_t vendor;
    std::uint16_t product;
    bool operator==(const UsbId&) const = default;
};

// The ids to look for: QUILLMARK_USB_IDS ("10c4:ea61,1234:5678") when set and valid,
// else the bridge's default 10C4:EA61.
std::vector<UsbId> configuredUsbIds();
// Parses "vvvv:pppp[,vvvv:pppp...]" (hex); empty on any error.
std::vector<UsbId> parseUsbIds(const std::string& text);

class UsbVendorUsb : public VendorUsbWithTimeouts {
public:
    explicit UsbVendorUsb(std::vector<UsbId> ids = configuredUsbIds());
    ~UsbVendorUsb() override;
    UsbVendorUsb(const UsbVendorUsb&) = delete;
    UsbVendorUsb& operator=(const UsbVendorUsb&) = delete;

    // False when libusb could not be initialised (every open then fails).
    bool available() const { return ctx_ != nullptr; }

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override;
    Status closeDevice(Handle handle) override;
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override;
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override;
    // Loggers by bus and port path, the order openDevice numbers them; the serial number is
    // the kernel's copy of the bridge's (no device is opened to list).
    bool listDevices(std::vector<Device>& out) override;
    Status openDeviceAt(const std::string& location, Handle& handle) override;
    std::string failedStep() const override;
    void cancel() override;

private:
    void closeLocked();
    Status openFound(libusb_device* found);
    void noteStep(const char* step);

    std::vector<UsbId> ids_;
    libusb_context* ctx_ = nullptr;
    std::mutex mutex_;
    libusb_device_handle* device_ = nullptr;
    Handle handle_ = kInvalidHandle;
    Handle nextHandle_ = 1;
    std::uint8_t endpointIn_ = 0x81;
    std::uint8_t endpointOut_ = 0x01;
    std::uint16_t packetIn_ = 64;
    std::uint16_t packetOut_ = 64;
    std::vector<std::uint8_t> leftover_;
    std::atomic<bool> cancelled_{false};
    mutable std::mutex stepMutex_;
    std::string failedStep_;
};

// "BUS:PORTPATH" from a bus number and the port numbers from the root down: "1:3.2".
std::string usbLocation(int bus, const std::vector<int>& ports);

// Arrivals through libusb hotplug on an event thread, or, where hotplug is missing,
// a scan of the bus once a second.
class UsbDetector : public LoggerDetector {
public:
    explicit UsbDetector(std::vector<UsbId> ids = configuredUsbIds());
    ~UsbDetector() override;
    bool enumerate() override;
    bool start(ArrivalCallback onArrival) override;
    void stop() override;

private:
    int countLoggers();

    std::vector<UsbId> ids_;
    libusb_context* ctx_ = nullptr;
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::vector<int> callbacks_;
    ArrivalCallback onArrival_;
};

} // namespace quillmark::transport
