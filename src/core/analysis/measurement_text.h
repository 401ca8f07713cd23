#pragma once
// The figures of a sample range as text lines, one place for `quillmark-cli stats` and the
// Measurements panel so both say the same.
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

// The lines as the command line prints them: labels padded to 13 columns, one per line.
std::string measurementText(const std::vector<MeasurementLine>& lines);

} // namespace quillmark
