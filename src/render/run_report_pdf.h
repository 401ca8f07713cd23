#pragma once
// The run report as a PDF: title, the Run, Statistics and Alarms sections with the excursion
// table, and the plot of the range as vector graphics, on A4 or Letter pages numbered
// "Page k of n". Needs a QGuiApplication (fonts), no widgets.
//
//   ReportJob job(rec);
//   job.model = model; job.first = first; job.last = last;
//   if (!saveRunReport(job, "run.pdf", &error, {inputPath})) ...
#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/run_report.h"
#include "core/data/recording.h"
#include "core/plot/plot_colours.h"

namespace quillmark {

enum class ReportPage { A4, Letter };

struct ReportJob {
    explicit ReportJob(const Recording& recording) : rec(recording) {}
    const Recording& rec;
    std::int32_t model = 0;
    std::int64_t first = 0; // sample range, inclusive; first < last or a single sample
    std::int64_t last = -1;
    int unitIndex = 0;
    std::string title = kDefaultReportTitle;
    std::string fileName;
    ReportPage page = ReportPage::A4;
    PlotColours colours;
    std::int64_t createdAt = 0; // seconds since the epoch
};

// Writes the report through writeOutputFile (never onto one of `inputs`). False with a
// message naming the file and the reason in `error` (when not null), also when the
// recording's start time is not a date.
bool saveRunReport(const ReportJob& job, const std::string& path, std::string* error,
                   const std::vector<std::string>& inputs = {});

} // namespace quillmark
