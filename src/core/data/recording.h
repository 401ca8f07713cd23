#pragma once
// The one recording a document holds: the 64-byte header the logger returned, the raw
// samples (thousandths of the base unit) and the statistics computed from them.
#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/common/header_layout.h"
#include "core/common/model_units.h"

namespace quillmark {

using HeaderBlock = std::array<std::uint8_t, block::kSize>;

// Raw samples above this are stored as the over-range code.
inline constexpr std::uint16_t kOverRangeThresholdRaw = 31000;
inline constexpr std::uint16_t kOverRangeRaw = 45000;
// An average strictly above this (base unit) is shown and written as "OL".
inline constexpr double kOverRangeLimit = 31.0;
// Fast sampling (400 Hz): the single-precision value nearest 0.0025.
inline constexpr float kFastInterval = 0.0025f;

struct Recording {
    HeaderBlock header{};
    std::vector<std::uint16_t> samples;
    std::int32_t sampleCount = 0;
    std::int32_t maxIndex = -1;
    std::int32_t minIndex = -1;
    double average = 0.0;
    std::int32_t unitIndex = 0;

    // Header fields this program reads.
    std::int32_t recordedPoints() const;
    std::uint32_t intervalSeconds() const;
    std::int32_t startYear() const;
    float alarmLow() const;
    float alarmHigh() const;
    std::uint8_t startMonth() const;
    std::uint8_t startDay() const;
    std::uint8_t startHour() const;
    std::uint8_t startMinute() const;
    std::uint8_t startSecond() const;
    std::uint8_t modeFlags() const;
    bool fastSampling() const; // high nibble of modeFlags equal to 1
    // 0.0025f in fast sampling, else intervalSeconds as a float.
    float effectiveInterval() const;
    // "%.4f" of the effective interval in fast sampling, "%d" of intervalSeconds otherwise.
    std::string intervalText() const;
};

// The Recording of a new, empty document: interval 2 s and the given local time as start;
// when the local time cannot be determined the date is 0 and the time fields 255.
Recording newDocumentRecording(std::time_t now);

// sampleCount, limited to the samples actually held, so nothing reads past them.
std::int64_t presentSampleCount(const Recording& rec);

// Statistics pass after a download: max/min (ties at the last occurrence, chosen on raw
// values), then the over-range substitution, then the average of the substituted values.
void computeStatistics(Recording& rec);

// Display unit table (model_units.h). Row 0 is the base unit named by the logger model.
struct DisplayUnit {
    const char* name;
    double factor;
};
std::array<DisplayUnit, kDisplayUnitCount> displayUnits(std::int32_t model);
// unitIndex outside 0..4 falls back to the base unit row.
DisplayUnit displayUnit(std::int32_t model, std::int32_t unitIndex);

inline double convertedValue(std::uint16_t raw, double factor) {
    return raw * factor / 1000.0;
}
// The average's rule: a base-unit value above 31.0.
inline bool isOverRange(double converted) {
    return converted > kOverRangeLimit;
}
// "%.2f" of the value (always with a full stop), or "OL" above 31.0. For the average, which
// is always in the base unit; samples go through sampleValueText.
std::string convertedValueText(double converted);
void appendConvertedValueText(std::string& out, double converted);

// A sample is over range by its raw value as stored (above 31000, normally the code 45000),
// judged once in the base unit, so it is "OL" in every display unit and every other sample
// is a number in every unit.
inline bool isOverRangeSample(std::uint16_t raw) {
    return raw > kOverRangeThresholdRaw;
}
// Appends the value text of one sample: "%.2f" of raw x factor / 1000, or "OL" when over
// range. Every writer and, through sampleValueText, the plot's texts use this.
void appendSampleValueText(std::string& out, std::uint16_t raw, double factor);

// Start time from the header as local calendar time, or nothing when a field is out of
// range (the year 1 to 9999, for the last sample's time as well) or the platform cannot
// represent that local time.
std::optional<std::int64_t> startTime(const Recording& rec);

// Text of a local time: "%.2d-%.2d-%d,%.2d:%.2d:%.2d"; 0 date and -1 time when the
// time cannot be broken down.
std::string formatLocalTime(std::int64_t t);

// Time stamp text of sample i (fast sampling adds ".dddd").
std::string sampleTime(const Recording& rec, std::int64_t start, std::int64_t i);
// Time of a sample index in whole seconds (start + trunc(interval * index)).
std::string extremeTime(const Recording& rec, std::int64_t start, std::int64_t index);

} // namespace quillmark
