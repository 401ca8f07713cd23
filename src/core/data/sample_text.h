#pragma once
// Pieces shared by the text data file, the spreadsheet export and the CSV export:
// value texts with the over-range mark, per-sample time stamps, and chunked output.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/common/atomic_file.h"
#include "core/data/recording.h"
#include "core/data/time_stamp.h"

namespace quillmark {

// Receives output in chunks; returns false to stop (e.g. a write error).
using TextSink = OutputSink;

// sampleValueText of raw samples in one unit. Large recordings use a table of every raw
// value's text, built once.
class ValueTexts {
public:
    ValueTexts(double factor, bool useTable);
    void append(std::string& out, std::uint16_t raw) const;

private:
    double factor_;
    std::unique_ptr<std::array<char, 8>[]> table_; // [len, chars...]
};

// The value text of one sample: "%.2f" of raw x factor / 1000; with markOverRange an
// over-range sample (judged on its raw value, so in every unit alike) is "OL", as in the
// data files (the plot's statistics mark only for some models).
std::string sampleValueText(std::uint16_t raw, double factor, bool markOverRange);

// Time stamps of samples by index, with the fast-sampling rules: whole seconds from
// (i + 1) x interval, the fraction from i x interval.
class SampleClock {
public:
    SampleClock(const Recording& rec, std::int64_t start);
    struct Stamp {
        LocalFields fields;
        bool hasFraction = false;
        float fraction = 0.0f;
    };
    Stamp stamp(std::int64_t i);
    // "%.2d-%.2d-%d,%.2d:%.2d:%.2d" plus ".dddd" in fast sampling.
    void appendSampleTime(std::string& out, std::int64_t i);
    // ISO 8601 local time with UTC offset ("+HH:MM"), ".dddd" in fast sampling; the CSV form.
    void appendIsoSampleTime(std::string& out, std::int64_t i);

private:
    double delta_;
    std::int64_t start_;
    LocalTimeCache cache_;
};

// ISO sample times of a recording (appendIsoSampleTime), or "invalid" for every sample when
// its start time is not a date.
class IsoSampleTimes {
public:
    explicit IsoSampleTimes(const Recording& rec);
    std::string operator()(std::int64_t i);

private:
    std::optional<SampleClock> clock_;
};

// Buffers text and hands it to a sink in chunks of about a megabyte.
class ChunkedText {
public:
    explicit ChunkedText(const TextSink& sink) : sink_(sink) { buf_.reserve(kChunk + 256); }
    std::string& buf() { return buf_; }
    // Flushes when the buffer is full; false once the sink refused.
    bool maybeFlush() { return buf_.size() < kChunk || flush(); }
    bool flush();

private:
    static constexpr std::size_t kChunk = 1 << 20;
    const TextSink& sink_;
    std::string buf_;
    bool failed_ = false;
};

// A renderer of one of the text formats of a recording.
using RecordingRenderer = bool (*)(const Recording& rec, std::int32_t unitIndex, std::int32_t model,
                                   const TextSink& sink, std::string* error);
// Writes what a renderer produces to path (writeOutputFile), never onto one of inputs.
bool writeRenderedFile(const std::string& path, RecordingRenderer render, const Recording& rec,
                       std::int32_t unitIndex, std::int32_t model, std::string* error,
                       const std::vector<std::string>& inputs);

// The value line of a statistic: "%.2f @ %s  %s" or "OL @ ...", in the given unit;
// "--" when the index does not name a sample.
void appendExtremeLine(std::string& out, const Recording& rec, std::int64_t start,
                       std::int32_t index, const DisplayUnit& unit);

inline constexpr const char* kStartTimeError =
    "The recording's start time is not a valid date and time.";
// The start time, or nothing with kStartTimeError in error.
std::optional<std::int64_t> startTimeOrError(const Recording& rec, std::string* error);

} // namespace quillmark
