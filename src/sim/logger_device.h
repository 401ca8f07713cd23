#pragma once
// The logger's side of the wire protocol, independent of how bytes reach it: it takes the
// write command and settings block and acknowledges them, logs samples at the configured
// rate on a clock that may run faster than real time, and answers memory read requests.
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "core/data/recording.h"

namespace quillmark::sim {

struct SimOptions {
    double clockSpeed = 1.0;       // simulated seconds per real second
    long vanishAfterBytes = -1;    // the logger disappears after sending this many
    long stallAfterBytes = -1;     // the logger stays but sends no more after this many
    bool neverAcknowledge = false; // take the settings block but never send 0xFF
    int junkBeforeAcknowledge = 0; // other bytes sent before the 0xFF
    std::optional<std::int32_t> badRecordedPoints; // reported instead of the real count
    bool demoRecording = true;                     // start with a recording in memory
};

class LoggerDevice {
public:
    enum class State { Idle, AwaitingButton, Logging, Stopped };

    explicit LoggerDevice(const SimOptions& options = {});

    // Bytes from the host.
    void receive(const std::uint8_t* data, std::size_t size);
    // Takes up to `max` bytes waiting for the host.
    std::size_t take(std::uint8_t* out, std::size_t max);
    std::size_t pending() const;
    bool vanished() const;

    // The button in the housing: starts logging that waits for it.
    void pressButton();
    // Moves the simulated clock forward (tests, fast demos).
    void advanceClock(double seconds);

    State state() const;
    HeaderBlock settings() const;
    // Samples logged so far (up to the block's sample points and the memory size).
    std::int32_t loggedPoints() const;
    // Raw value of the simulated signal at simulated time t (seconds since logging began).
    static std::uint16_t signalAt(double t);

private:
    double nowLocked() const;
    std::int32_t loggedPointsLocked() const;
    void handleReadRequest(std::uint8_t page, std::uint8_t blocks);
    void takeSettings();
    void stopLogging();
    void send(const std::uint8_t* data, std::size_t size);

    SimOptions options_;
    mutable std::mutex mutex_;
    std::chrono::steady_clock::time_point realStart_;
    double offset_ = 0.0;
    HeaderBlock settings_{};
    std::vector<std::uint16_t> memory_;
    State state_ = State::Idle;
    double logStart_ = 0.0;
    std::int32_t frozenPoints_ = 0;
    std::vector<std::uint8_t> input_;
    bool expectingBlock_ = false;
    std::deque<std::uint8_t> output_;
    long sent_ = 0;
};

// Capacity of the logger's sample memory in samples (16 pages of 4096 bytes).
inline constexpr std::int32_t kMemorySamples = 32768;

} // namespace quillmark::sim
