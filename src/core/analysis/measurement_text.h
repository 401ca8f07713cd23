#pragma once
// The figures of a sample range as text lines, one place for `quillmark-cli stats` and the
// Measurements panel so both say the same.
#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/range_analysis.h"
#include "core/data/recording.h"

namespace quillmark {

struct MeasurementLine {
    std::string label; // "Range:", "Min:", ...
    std::string value;
};

// Range, start and end times, duration, unit, minimum and maximum with their samples and
// times, mean, deviation, over-range count and the two alarm limits' figures. Times are
// ISO 8601 with UTC offset, or "invalid" when the recording's start time is not a date.
// Empty when the range holds no samples.
std::vector<MeasurementLine> measurementLines(const Recording& rec, const RangeStatistics& s,
                                              const DisplayUnit& unit);

// The number forms of those lines, for other texts that must say the same: a value with four
// decimals, seconds without trailing zeros ("20", "0.025"), a limit as entered, "3 samples";
// "--" for a value that is not a number.
std::string figureValue(double v);
std::string figureSeconds(double v);
std::string figureLimit(float v);
std::string figureCount(std::int64_t n, const char* what);

// The lines as the command line prints them: labels padded to 13 columns, one per line.
std::string measurementText(const std::vector<MeasurementLine>& lines);

} // namespace quillmark
