#pragma once
// A scripted stand-in for the vendor library: it records every call with the timeouts in
// force, answers writes through a responder, and keeps a virtual clock so timed-out reads
// cost simulated time instead of real time.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/link/vendor_usb.h"

namespace quillmark::test_support {

class FakeVendorUsb : public VendorUsb {
public:
    enum class Op { Open, Close, Read, Write, SetTimeouts, GetTimeouts };
    struct Event {
        Op op;
        std::vector<std::uint8_t> data; // bytes written or bytes returned
        std::uint32_t count = 0;        // bytes asked for
        std::uint32_t readTimeout = 0;  // in force during the call (after it for SetTimeouts)
        std::uint32_t writeTimeout = 0;
        Status status = kSuccess;
    };

    static constexpr std::uint32_t kInitialReadTimeout = 1234;
    static constexpr std::uint32_t kInitialWriteTimeout = 5678;
    static constexpr Handle kHandleValue = 7;

    bool present = true;
    std::vector<int> failingOpens;  // 1-based numbers of open calls that fail
    long vanishAfterReadBytes = -1; // device is gone once this many bytes were read
    long writeShortBy = 0;          // next write reports this many bytes fewer
    std::function<void(FakeVendorUsb&, const std::vector<std::uint8_t>&)> onWrite;
    // The `number`-th read or write (from 1) ends with `status` after at most `bytes` bytes.
    struct TransferFault {
        Op op;
        int number;
        Status status;
        std::uint32_t bytes = 0;
    };
    std::optional<TransferFault> transferFault;
    Status failingOpenStatus = kDeviceNotFound; // what a failing open reports
    std::string backendStep;                    // failedStep() once something failed
    // Loggers to list; with none the fake cannot list and has device 0 only.
    std::vector<Device> devices;
    std::uint32_t openedIndex = 0;
    int cancels = 0;
    std::deque<std::uint8_t> rx; // bytes waiting for the host
    std::vector<Event> events;
    std::uint32_t readTimeout = kInitialReadTimeout;
    std::uint32_t writeTimeout = kInitialWriteTimeout;
    std::chrono::milliseconds clock{0};
    int openHandles = 0;

    std::chrono::steady_clock::time_point now() const {
        return std::chrono::steady_clock::time_point(clock);
    }
    bool gone() const {
        return !present || (vanishAfterReadBytes >= 0 && readBytes_ >= vanishAfterReadBytes);
    }
    void push(std::initializer_list<std::uint8_t> bytes) { rx.insert(rx.end(), bytes); }
    void push(const std::vector<std::uint8_t>& bytes) {
        rx.insert(rx.end(), bytes.begin(), bytes.end());
    }

    std::vector<std::vector<std::uint8_t>> writes() const {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& e : events)
            if (e.op == Op::Write)
                out.push_back(e.data);
        return out;
    }
    std::vector<Event> transfers() const {
        std::vector<Event> out;
        for (const auto& e : events)
            if (e.op == Op::Read || e.op == Op::Write)
                out.push_back(e);
        return out;
    }
    int count(Op op) const {
        int n = 0;
        for (const auto& e : events)
            n += e.op == op;
        return n;
    }

    bool listDevices(std::vector<Device>& out) override {
        out = devices;
        return !devices.empty();
    }
    std::string failedStep() const override { return failed_ ? backendStep : std::string(); }
    void cancel() override { ++cancels; }

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override {
        ++opens_;
        Status s = kSuccess;
        if (gone() || deviceIndex >= std::max<std::size_t>(1, devices.size()))
            s = kDeviceNotFound;
        for (int n : failingOpens)
            if (n == opens_)
                s = failingOpenStatus;
        failed_ = s != kSuccess;
        openedIndex = deviceIndex;
        if (s == kSuccess) {
            handle = kHandleValue;
            ++openHandles;
        } else {
            handle = kInvalidHandle;
        }
        log(Op::Open, {}, 0, s);
        return s;
    }
    Status closeDevice(Handle handle) override {
        Status s = kSuccess;
        if (handle == kHandleValue && openHandles > 0)
            --openHandles;
        else
            s = kInvalidHandleStatus;
        log(Op::Close, {}, 0, s);
        return s;
    }
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override {
        returned = 0;
        std::vector<std::uint8_t> got;
        Status s = kSuccess;
        const bool faulty = hits(Op::Read, ++reads_);
        const std::uint32_t limit = faulty ? std::min(count, transferFault->bytes) : count;
        if (handle != kHandleValue || openHandles == 0) {
            s = kInvalidHandleStatus;
        } else {
            while (returned < limit && !rx.empty() && !gone()) {
                buffer[returned++] = rx.front();
                got.push_back(rx.front());
                rx.pop_front();
                ++readBytes_;
            }
            if (faulty) {
                s = transferFault->status;
            } else if (returned < count) {
                if (gone()) {
                    s = kDeviceNotFound;
                } else {
                    clock += std::chrono::milliseconds(readTimeout);
                    s = kReadTimedOut;
                }
            }
        }
        failed_ = s != kSuccess;
        log(Op::Read, got, count, s);
        return s;
    }
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override {
        written = 0;
        std::vector<std::uint8_t> data(buffer, buffer + count);
        Status s = kSuccess;
        const bool faulty = hits(Op::Write, ++writes_);
        if (handle != kHandleValue || openHandles == 0)
            s = kInvalidHandleStatus;
        else if (gone())
            s = kDeviceNotFound;
        else if (faulty)
            s = transferFault->status;
        failed_ = s != kSuccess;
        if (faulty)
            written = std::min(count, transferFault->bytes);
        if (s == kSuccess) {
            written = count - static_cast<std::uint32_t>(writeShortBy);
            writeShortBy = 0;
        }
        log(Op::Write, data, count, s);
        if (s == kSuccess && onWrite)
            onWrite(*this, data);
        return s;
    }
    Status setTimeouts(std::uint32_t r, std::uint32_t w) override {
        readTimeout = r;
        writeTimeout = w;
        log(Op::SetTimeouts, {}, 0, kSuccess);
        return kSuccess;
    }
    Status getTimeouts(std::uint32_t& r, std::uint32_t& w) override {
        r = readTimeout;
        w = writeTimeout;
        log(Op::GetTimeouts, {}, 0, kSuccess);
        return kSuccess;
    }

private:
    bool hits(Op op, int number) const {
        return transferFault && transferFault->op == op && transferFault->number == number;
    }
    void log(Op op, std::vector<std::uint8_t> data, std::uint32_t count, Status s) {
        events.push_back({op, std::move(data), count, readTimeout, writeTimeout, s});
    }
    int opens_ = 0;
    int reads_ = 0;
    int writes_ = 0;
    bool failed_ = false;
    long readBytes_ = 0;
};

} // namespace quillmark::test_support
