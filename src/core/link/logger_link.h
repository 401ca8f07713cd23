#pragma once
// The byte pipe to one logger: device index, last status and open handle over a VendorUsb,
// with per-transfer timeouts that are set before each transfer and put back after it.
#include <cstdint>

#include "core/link/vendor_usb.h"

namespace quillmark {

// What a logger dialog's caption says about the connection: "Connecting..." until its
// one-shot probe has run, then the probe's outcome.
enum class ProbeState { Connecting, Connected, NotConnected };
const char* probeCaption(ProbeState state);
inline ProbeState probeState(bool connected) {
    return connected ? ProbeState::Connected : ProbeState::NotConnected;
}

class LoggerLink {
public:
    explicit LoggerLink(VendorUsb& usb, std::uint32_t deviceIndex = 0);
    ~LoggerLink();
    LoggerLink(const LoggerLink&) = delete;
    LoggerLink& operator=(const LoggerLink&) = delete;

    // Opens the device; true for status 0 and a valid handle.
    bool open();
    // Closes the handle when it is valid; nothing otherwise.
    void close();
    // Reads `count` bytes with the given read timeout (write timeout 0). True when the
    // status is 0; the number of bytes that came is reported through `returned` only.
    bool read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t timeoutMs,
              std::uint32_t* returned = nullptr);
    // Writes `count` bytes with a 1000 ms write timeout (read timeout 0).
    bool write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* written = nullptr);
    // Opens and closes at once; no byte goes over the wire.
    bool probe();

    bool isOpen() const { return handle_ != VendorUsb::kInvalidHandle; }
    VendorUsb::Status lastStatus() const { return lastStatus_; }
    VendorUsb::Handle handle() const { return handle_; }
    std::uint32_t deviceIndex() const { return deviceIndex_; }
    // Status of the most recent read or write (kept apart from the open's last status).
    VendorUsb::Status lastTransferStatus() const { return transferStatus_; }

private:
    VendorUsb& usb_;
    std::uint32_t deviceIndex_;
    VendorUsb::Status lastStatus_ = VendorUsb::kSuccess;
    VendorUsb::Handle handle_ = VendorUsb::kInvalidHandle;
    VendorUsb::Status transferStatus_ = VendorUsb::kSuccess;
};

} // namespace quillmark
