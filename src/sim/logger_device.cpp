#include "sim/logger_device.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <numbers>

#include "core/common/byte_order.h"
#include "core/link/wire_protocol.h"

namespace quillmark::sim {

namespace {

constexpr std::uint8_t kModeManual = 1;
constexpr std::uint8_t kModeInstant = 2;
constexpr double kFastInterval = 0.0025;

// A 64-byte block describing a finished demo run of 600 samples at 2 s, ended now.
HeaderBlock demoBlock(std::int32_t points) {
    HeaderBlock b{};
    putU32LE(b.data() + block::kStartMarker, block::kMarker);
    putU32LE(b.data() + block::kSamplePoints, 1000);
    putI32LE(b.data() + block::kRecordedPoints, 0);
    putU32LE(b.data() + block::kIntervalSeconds, 2);
    std::time_t start = std::time(nullptr) - 2 * points;
    std::tm local{};
    if (localtime_r(&start, &local) != nullptr) {
        putI32LE(b.data() + block::kStartYear, local.tm_year + 1900);
        b[block::kStartMonth] = static_cast<std::uint8_t>(local.tm_mon + 1);
        b[block::kStartDay] = static_cast<std::uint8_t>(local.tm_mday);
        b[block::kStartHour] = static_cast<std::uint8_t>(local.tm_hour);
        b[block::kStartMinute] = static_cast<std::uint8_t>(local.tm_min);
        b[block::kStartSecond] = static_cast<std::uint8_t>(local.tm_sec);
    }
    putF32LE(b.data() + block::kAlarmLow, 2.5f);
    putF32LE(b.data() + block::kAlarmHigh, 4.0f);
    b[block::kLedControl] = 0x0A;
    const char name[] = "Demo";
    std::copy(name, name + sizeof name, b.begin() + block::kLoggerName);
    b[block::kModeFlags] = kModeInstant;
    putF32LE(b.data() + block::kAlarmLowCopy, 2.5f);
    putF32LE(b.data() + block::kAlarmHighCopy, 4.0f);
    putU32LE(b.data() + block::kEndMarker, block::kMarker);
    return b;
}

double intervalOf(const HeaderBlock& b) {
    const std::uint32_t s = getU32LE(b.data() + block::kIntervalSeconds);
    return s == 0 ? kFastInterval : static_cast<double>(s);
}

} // namespace

std::uint16_t LoggerDevice::signalAt(double t) {
    // A battery-like voltage: slow swell, a faster ripple and a little deterministic noise.
    const double slow = 1.1 * std::sin(2.0 * std::numbers::pi * t / 1800.0);
    const double ripple = 0.15 * std::sin(2.0 * std::numbers::pi * t / 97.0);
    const auto k = static_cast<std::uint32_t>(std::fmod(std::fabs(t) * 400.0, 4.0e9));
    const double noise = static_cast<double>((k * 2654435761u) >> 24) / 255.0 * 0.04 - 0.02;
    const double volts = std::clamp(3.3 + slow + ripple + noise, 0.0, 30.0);
    return static_cast<std::uint16_t>(std::lround(volts * 1000.0));
}

LoggerDevice::LoggerDevice(const SimOptions& options)
    : options_(options), realStart_(std::chrono::steady_clock::now()) {
    if (options_.demoRecording) {
        constexpr std::int32_t points = 600;
        settings_ = demoBlock(points);
        memory_.resize(points);
        for (std::int32_t i = 0; i < points; ++i)
            memory_[static_cast<std::size_t>(i)] = signalAt(2.0 * i);
        frozenPoints_ = points;
        state_ = State::Stopped;
    }
}

double LoggerDevice::nowLocked() const {
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - realStart_;
    return real.count() * options_.clockSpeed + offset_;
}

std::int32_t LoggerDevice::loggedPointsLocked() const {
    if (state_ != State::Logging)
        return frozenPoints_;
    const double elapsed = nowLocked() - logStart_;
    const auto limit =
        std::min<std::int64_t>(getU32LE(settings_.data() + block::kSamplePoints), kMemorySamples);
    const auto n = static_cast<std::int64_t>(std::floor(elapsed / intervalOf(settings_))) + 1;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 0, limit));
}

std::int32_t LoggerDevice::loggedPoints() const {
    std::lock_guard lock(mutex_);
    return loggedPointsLocked();
}

LoggerDevice::State LoggerDevice::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

HeaderBlock LoggerDevice::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

bool LoggerDevice::vanished() const {
    std::lock_guard lock(mutex_);
    return options_.vanishAfterBytes >= 0 && sent_ >= options_.vanishAfterBytes;
}

void LoggerDevice::pressButton() {
    std::lock_guard lock(mutex_);
    if (state_ == State::AwaitingButton) {
        state_ = State::Logging;
        logStart_ = nowLocked();
    }
}

void LoggerDevice::advanceClock(double seconds) {
    std::lock_guard lock(mutex_);
    offset_ += seconds;
}

void LoggerDevice::stopLogging() {
    if (state_ != State::Logging)
        return;
    const std::int32_t n = loggedPointsLocked();
    const double interval = intervalOf(settings_);
    memory_.resize(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i)
        memory_[static_cast<std::size_t>(i)] = signalAt(interval * i);
    frozenPoints_ = n;
    state_ = State::Stopped;
}

void LoggerDevice::send(const std::uint8_t* data, std::size_t size) {
    output_.insert(output_.end(), data, data + size);
}

void LoggerDevice::receive(const std::uint8_t* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (options_.vanishAfterBytes >= 0 && sent_ >= options_.vanishAfterBytes)
        return;
    input_.insert(input_.end(), data, data + size);
    for (;;) {
        if (expectingBlock_) {
            if (input_.size() < block::kSize)
                return;
            takeSettings();
            continue;
        }
        if (input_.empty())
            return;
        if (input_[0] != wire::kReadOpcode && input_[0] != wire::kWriteCommand[0]) {
            input_.erase(input_.begin());
            continue;
        }
        if (input_.size() < 3)
            return;
        const std::uint8_t op = input_[0];
        const std::uint8_t a = input_[1];
        const std::uint8_t b = input_[2];
        input_.erase(input_.begin(), input_.begin() + 3);
        if (op == wire::kReadOpcode)
            handleReadRequest(a, b);
        else if (a == wire::kWriteCommand[1] && b == wire::kWriteCommand[2])
            expectingBlock_ = true;
    }
}

void LoggerDevice::handleReadRequest(std::uint8_t page, std::uint8_t blocks) {
    if (blocks == 0 || blocks > wire::kBlocksPerPage || page > wire::kHeaderPage)
        return;    // not a request this logger knows: no answer
    stopLogging(); // a download stops a running log
    const std::int32_t points = frozenPoints_;
    const auto storedBytes = static_cast<std::uint16_t>(std::min<std::int64_t>(2 * points, 0xFFFF));
    const std::uint8_t reply[3] = {0x00, static_cast<std::uint8_t>(storedBytes),
                                   static_cast<std::uint8_t>(storedBytes >> 8)};
    send(reply, sizeof reply);
    std::vector<std::uint8_t> data(std::size_t{blocks} * wire::kBlockSize, 0);
    if (page == wire::kHeaderPage) {
        HeaderBlock header = settings_;
        putI32LE(header.data() + block::kRecordedPoints,
                 options_.badRecordedPoints.value_or(points));
        std::copy(header.begin(), header.end(), data.begin());
    } else {
        const std::size_t first = std::size_t{page} * wire::kPageSize / 2;
        for (std::size_t k = 0; k < data.size() / 2; ++k) {
            const std::size_t index = first + k;
            const std::uint16_t v = index < memory_.size() ? memory_[index] : 0xFFFF;
            putU16LE(data.data() + 2 * k, v);
        }
    }
    send(data.data(), data.size());
}

void LoggerDevice::takeSettings() {
    std::copy_n(input_.begin(), block::kSize, settings_.begin());
    input_.erase(input_.begin(), input_.begin() + block::kSize);
    expectingBlock_ = false;
    memory_.clear();
    frozenPoints_ = 0;
    const std::uint8_t mode = settings_[block::kModeFlags] & 0x0F;
    if (mode == kModeInstant) {
        state_ = State::Logging;
        logStart_ = nowLocked();
    } else if (mode == kModeManual) {
        state_ = State::AwaitingButton;
    } else {
        state_ = State::Idle; // calibration: the logger does not log
    }
    for (int i = 0; i < options_.junkBeforeAcknowledge; ++i) {
        const std::uint8_t junk = static_cast<std::uint8_t>(0x30 + i % 0x40);
        send(&junk, 1);
    }
    if (!options_.neverAcknowledge)
        send(&wire::kAcknowledge, 1);
}

std::size_t LoggerDevice::take(std::uint8_t* out, std::size_t max) {
    std::lock_guard lock(mutex_);
    std::size_t n = std::min(max, output_.size());
    for (const long limit : {options_.vanishAfterBytes, options_.stallAfterBytes})
        if (limit >= 0)
            n = std::min<std::size_t>(n,
                                      static_cast<std::size_t>(std::max<long>(0, limit - sent_)));
    std::copy_n(output_.begin(), n, out);
    output_.erase(output_.begin(), output_.begin() + static_cast<long>(n));
    sent_ += static_cast<long>(n);
    return n;
}

std::size_t LoggerDevice::pending() const {
    std::lock_guard lock(mutex_);
    return output_.size();
}

} // namespace quillmark::sim
