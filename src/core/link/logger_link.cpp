#include "core/link/logger_link.h"

#include <cstdio>

#include "core/link/wire_protocol.h"

namespace quillmark {

LoggerLink::LoggerLink(VendorUsb& usb, std::uint32_t deviceIndex)
    : usb_(usb), deviceIndex_(deviceIndex) {}

LoggerLink::~LoggerLink() {
    close();
}

void LoggerLink::noteFault(LinkFault::Op op, VendorUsb::Status status, std::uint32_t asked,
                           std::uint32_t done, std::uint32_t timeoutMs) {
    fault_ = LinkFault{op, {}, usb_.failedStep(), status, asked, done, timeoutMs};
}

LinkFault LoggerLink::faultAt(std::string step) const {
    LinkFault fault = fault_;
    fault.step = std::move(step);
    return fault;
}

bool LoggerLink::open() {
    lastStatus_ = usb_.openDevice(deviceIndex_, handle_);
    if (lastStatus_ != VendorUsb::kSuccess) {
        noteFault(LinkFault::Op::Open, lastStatus_, 0, 0, 0);
        if (handle_ != VendorUsb::kInvalidHandle)
            usb_.closeDevice(handle_);
        handle_ = VendorUsb::kInvalidHandle;
        return false;
    }
    if (handle_ == VendorUsb::kInvalidHandle)
        noteFault(LinkFault::Op::Open, VendorUsb::kInvalidHandleStatus, 0, 0, 0);
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
    if (status != VendorUsb::kSuccess)
        noteFault(LinkFault::Op::Read, status, count, got, timeoutMs);
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
    if (status != VendorUsb::kSuccess)
        noteFault(LinkFault::Op::Write, status, count, sent, wire::kWriteTimeoutMs);
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
    noteFault(LinkFault::Op::Open,
              lastStatus_ == VendorUsb::kSuccess ? VendorUsb::kInvalidHandleStatus : lastStatus_, 0,
              0, 0);
    handle_ = VendorUsb::kInvalidHandle;
    return false;
}

namespace {

// "60 s", "3 s", "0.3 s".
std::string seconds(std::uint32_t ms) {
    char text[32];
    if (ms % 1000 == 0)
        std::snprintf(text, sizeof text, "%u s", ms / 1000);
    else
        std::snprintf(text, sizeof text, "%g s", ms / 1000.0);
    return text;
}

// ", after 31 of 64 bytes" when part of the transfer went through.
std::string partial(const LinkFault& f, const char* lead) {
    if (f.op == LinkFault::Op::Open || f.done == 0 || f.done >= f.asked)
        return {};
    char text[96];
    std::snprintf(text, sizeof text, "%s%u of %u bytes", lead, f.done, f.asked);
    return text;
}

// The reason alone, from the status and the transfer's numbers: "endpoint stalled".
std::string vendorStatusReason(const LinkFault& f) {
    const bool open = f.op == LinkFault::Op::Open;
    switch (f.status) {
    case VendorUsb::kReadTimedOut:
    case VendorUsb::kWriteTimedOut: {
        std::string text = f.timeoutMs ? "timed out after " + seconds(f.timeoutMs) : "timed out";
        if (f.op == LinkFault::Op::Open)
            return text;
        if (f.done == 0)
            return text + (f.op == LinkFault::Op::Read ? ", nothing arrived" : ", nothing sent");
        return text + partial(f, " with only ");
    }
    case VendorUsb::kDeviceNotFound:
        return open ? "no logger found" : "the logger was unplugged" + partial(f, " after ");
    case VendorUsb::kPipeStalled:
        return "endpoint stalled" + partial(f, " after ");
    case VendorUsb::kOverflow:
        return "babble (the logger sent more than was asked for)";
    case VendorUsb::kAccessDenied:
        return "permission denied";
    case VendorUsb::kBusy:
        return "the logger is in use by another program";
    case VendorUsb::kCancelled:
        return "interrupted" + partial(f, " after ");
    case VendorUsb::kInvalidHandleStatus:
        return open ? "the backend gave no handle" : "the link was not open";
    case VendorUsb::kInvalidParameter:
        return "invalid parameter";
    case VendorUsb::kReadError:
    case VendorUsb::kWriteError:
    case VendorUsb::kIoFailed:
        return "input/output error" + partial(f, " after ");
    case VendorUsb::kSuccess:
        break;
    }
    char text[64];
    if (f.status == VendorUsb::kSuccess) {
        std::snprintf(text, sizeof text, "only %u of %u bytes", f.done, f.asked);
        return text;
    }
    std::snprintf(text, sizeof text, "status 0x%02X", f.status);
    return text;
}

} // namespace

std::string linkFaultText(const LinkFault& f) {
    std::string text = f.step.empty() ? std::string() : f.step + ": ";
    if (!f.backendStep.empty())
        text += f.backendStep + ": ";
    return text + vendorStatusReason(f);
}

} // namespace quillmark
