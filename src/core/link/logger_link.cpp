#include "core/link/logger_link.h"

#include "core/link/wire_protocol.h"

namespace quillmark {

LoggerLink::LoggerLink(VendorUsb& usb, std::uint32_t deviceIndex)
    : usb_(usb), deviceIndex_(deviceIndex) {}

LoggerLink::~LoggerLink() {
    close();
}

bool LoggerLink::open() {
    lastStatus_ = usb_.openDevice(deviceIndex_, handle_);
    if (lastStatus_ != VendorUsb::kSuccess) {
        if (handle_ != VendorUsb::kInvalidHandle)
            usb_.closeDevice(handle_);
        handle_ = VendorUsb::kInvalidHandle;
        return false;
    }
    return handle_ != VendorUsb::kInvalidHandle;
}

void LoggerLink::close() {
    if (handle_ == VendorUsb::kInvalidHandle)
        return;
    usb_.closeDevice(handle_);
    handle_ = VendorUsb::kInvalidHandle;
}

bool LoggerLink::read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                      std::uint32_t* returned) {
    std::uint32_t oldRead = 0;
    std::uint32_t oldWrite = 0;
    usb_.getTimeouts(oldRead, oldWrite);
    usb_.setTimeouts(timeoutMs, 0);
    std::uint32_t got = 0;
    const VendorUsb::Status status = usb_.read(handle_, buffer, count, got);
    usb_.setTimeouts(oldRead, oldWrite);
    transferStatus_ = status;
    if (returned)
        *returned = got;
    return status == VendorUsb::kSuccess;
}

bool LoggerLink::write(const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* written) {
    std::uint32_t oldRead = 0;
    std::uint32_t oldWrite = 0;
    usb_.getTimeouts(oldRead, oldWrite);
    usb_.setTimeouts(0, wire::kWriteTimeoutMs);
    std::uint32_t sent = 0;
    const VendorUsb::Status status = usb_.write(handle_, buffer, count, sent);
    usb_.setTimeouts(oldRead, oldWrite);
    transferStatus_ = status;
    if (written)
        *written = sent;
    return status == VendorUsb::kSuccess;
}

const char* probeCaption(ProbeState state) {
    switch (state) {
    case ProbeState::Connected:
        return "Connected";
    case ProbeState::NotConnected:
        return "Not Connected";
    case ProbeState::Connecting:
        break;
    }
    return "Connecting...";
}

bool LoggerLink::probe() {
    lastStatus_ = usb_.openDevice(deviceIndex_, handle_);
    if (lastStatus_ == VendorUsb::kSuccess && handle_ != VendorUsb::kInvalidHandle) {
        lastStatus_ = usb_.closeDevice(handle_);
        handle_ = VendorUsb::kInvalidHandle;
        return true;
    }
    // A failed open must not leave a stale value that a later close would act on.
    handle_ = VendorUsb::kInvalidHandle;
    return false;
}

} // namespace quillmark
