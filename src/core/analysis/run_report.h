#pragma once
// The text of a run report: the facts of a recording, the statistics and alarm figures of a
// sample range and its first excursions, as labelled rows ready for any page layout. The
// figures are those of `quillmark-cli stats`, word for word.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/range_analysis.h"
#include "core/data/recording.h"

namespace quillmark {

inline constexpr const char* kDefaultReportTitle = "Recording report";
// The excursion table lists this many; the rest are counted.
inline constexpr std::size_t kReportExcursions = 50;

struct ReportRow {
    std::string label;
    std::string value;
};

struct ReportSection {
    std::string heading; // "Run", "Statistics", "Alarms"
    std::vector<ReportRow> rows;
};

// One row of the excursion table; the columns as in excursionColumns().
using ReportTableRow = std::vector<std::string>;

struct RunReport {
    std::string title;
    std::string fileName;
    std::string created; // "Created <ISO time> by Quillmark <version>"
    std::vector<ReportSection> sections;
    std::vector<std::string> excursionColumns;
    std::vector<ReportTableRow> excursions;
    std::int64_t moreExcursions = 0; // excursions beyond the listed ones
};

struct ReportRequest {
    std::string title = kDefaultReportTitle;
    std::string fileName; // as shown; the caller picks the form
    std::int32_t model = 0;
    std::int64_t first = 0; // sample range, inclusive, inside the recording
    std::int64_t last = -1;
    int unitIndex = 0;
    std::int64_t createdAt = 0; // seconds since the epoch
    std::string version;
};

// `analysis` must be built on `rec`.
RunReport buildRunReport(const Recording& rec, const RangeAnalysis& analysis,
                         const ReportRequest& request);

// "… and N more" under a table that lists only the first excursions.
std::string moreExcursionsText(std::int64_t n);

} // namespace quillmark
