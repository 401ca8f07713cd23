#pragma once
// The byte pipe to one logger: device index, last status and open handle over a VendorUsb,
// with per-transfer timeouts that are set before each transfer and put back after it.
#include <cstdint>
#include <string>

#include "core/link/vendor_usb.h"

namespace quillmark {

// What a logger dialog's caption says about the connection: "Connecting..." until its
// one-shot probe has run, then the probe's outcome.
enum class ProbeState { Connecting, Connected, NotConnected };
const char* probeCaption(ProbeState state);
inline ProbeState probeState(bool connected) {
    return connected ? ProbeState::Connected : ProbeState::NotConnected;
}

// One failed open, read or write, as data: what the exchange was doing, what the backend was
// doing inside it, and how the transfer ended. linkFaultText turns it into the line that
// follows "Failed reading data from the datalogger." and the other fixed messages.
struct LinkFault {
    enum class Op { Open, Read, Write };
    Op op = Op::Open;
    std::string step;        // the exchange's step, "reading page 3 of 5"
    std::string backendStep; // VendorUsb::failedStep() after the failure
    VendorUsb::Status status = VendorUsb::kSuccess;
    std::uint32_t asked = 0;     // bytes asked for (reads and writes)
    std::uint32_t done = 0;      // bytes that went through before it failed
    std::uint32_t timeoutMs = 0; // the timeout in force for the transfer

    bool operator==(const LinkFault&) const = default;
};
// "reading page 3 of 5: timed out after 60 s with only 31 of 4096 bytes".
std::string linkFaultText(const LinkFault& fault);

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
    // The most recent failed open, read or write (its step is left to the exchange).
    const LinkFault& lastFault() const { return fault_; }
    // The fault of the step that just failed: lastFault() with `step` filled in.
    LinkFault faultAt(std::string step) const;

private:
    VendorUsb& usb_;
    std::uint32_t deviceIndex_;
    VendorUsb::Status lastStatus_ = VendorUsb::kSuccess;
    VendorUsb::Handle handle_ = VendorUsb::kInvalidHandle;
    VendorUsb::Status transferStatus_ = VendorUsb::kSuccess;
    LinkFault fault_;

    void noteFault(LinkFault::Op op, VendorUsb::Status status, std::uint32_t asked,
                   std::uint32_t done, std::uint32_t timeoutMs);
};

} // namespace quillmark
