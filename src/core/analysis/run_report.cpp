#include "core/analysis/run_report.h"

#include <optional>

#include "core/analysis/excursions.h"
#include "core/analysis/measurement_text.h"
#include "core/data/recording_info.h"
#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"

namespace quillmark {
namespace {

// The value of the stats line with this label; the lines always hold every label.
std::string line(const std::vector<MeasurementLine>& lines, const char* label) {
    for (const MeasurementLine& l : lines)
        if (l.label == label)
            return l.value;
    return "--";
}

std::string isoTime(std::int64_t t) {
    const LocalFields f = breakDownLocal(t);
    if (!f.valid)
        return "invalid";
    std::string s;
    appendIsoLocal(s, f);
    appendIsoOffset(s, f.utcOffset);
    return s;
}

// Share of the range's samples, so a range wholly beyond a limit reads 100.0 %.
std::string percentOf(std::int64_t part, std::int64_t whole) {
    if (whole <= 0)
        return "--";
    return formatFixed(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1) + " %";
}

} // namespace

std::string moreExcursionsText(std::int64_t n) {
    std::string s = "\xE2\x80\xA6 and ";
    appendInt(s, n);
    return s + " more";
}

RunReport buildRunReport(const Recording& rec, const RangeAnalysis& analysis,
                         const ReportRequest& request) {
    const DisplayUnit unit = displayUnit(request.model, request.unitIndex);
    const RangeStatistics s = analysis.statistics(request.first, request.last, unit.factor);
    const std::vector<MeasurementLine> lines = measurementLines(rec, s, unit);
    const double interval = rec.effectiveInterval();
    const std::string unitName = unit.name;

    RunReport r;
    r.title = request.title;
    r.fileName = request.fileName;
    r.created = "Created " + isoTime(request.createdAt) + " by Quillmark " + request.version;

    std::string model;
    appendInt(model, request.model);
    model += std::string(" (") + modelKindName(request.model) + ")";
    std::string rate = rec.intervalText() + " second (effective ";
    appendShortest(rate, rec.effectiveInterval());
    rate += " s)";
    r.sections.push_back({"Run",
                          {{"Logger name:", printableText(loggerName(rec))},
                           {"Model:", model},
                           {"Start:", line(lines, "Start:")},
                           {"End:", line(lines, "End:")},
                           {"Duration:", line(lines, "Duration:")},
                           {"SampleRate:", rate},
                           {"Range:", line(lines, "Range:")},
                           {"Unit:", line(lines, "Unit:")},
                           {"Low limit:", figureLimit(s.alarmLow.limit) + " " + unitName},
                           {"High limit:", figureLimit(s.alarmHigh.limit) + " " + unitName}}});
    ReportSection stats{"Statistics", {}};
    for (const char* label : {"Min:", "Max:", "Mean:", "StdDev:", "OverRange:"})
        stats.rows.push_back({label, line(lines, label)});
    r.sections.push_back(stats);

    ReportSection alarms{"Alarms", {}};
    const auto alarm = [&](const AlarmFigures& a, const char* label, const char* side) {
        alarms.rows.push_back({label, line(lines, label)});
        alarms.rows.push_back(
            {std::string("Time ") + side + ":",
             figureSeconds(a.seconds) + " s, " + percentOf(a.samples, s.count) + " of the range"});
        alarms.rows.push_back({std::string("Longest ") + side + ":",
                               figureCount(a.longestSamples, "sample") + ", " +
                                   figureSeconds(static_cast<double>(a.longestSamples) * interval) +
                                   " s"});
    };
    alarm(s.alarmHigh, "AlarmHigh:", "above");
    alarm(s.alarmLow, "AlarmLow:", "below");
    r.sections.push_back(alarms);

    r.excursionColumns = {"Kind",    "Start",        "End",
                          "Samples", "Duration (s)", "Extreme (" + unitName + ")"};
    const auto list = listExcursions(rec, analysis, s.first, s.last, kReportExcursions);
    IsoSampleTimes timeOf(rec);
    for (const Excursion& e : list) {
        std::string samples;
        appendInt(samples, e.samples());
        r.excursions.push_back(
            {e.kind == Excursion::Kind::High ? "High" : "Low", timeOf(e.first), timeOf(e.last),
             samples, figureSeconds(static_cast<double>(e.samples()) * interval),
             e.overRange() ? "OL" : figureValue(e.extremeRaw * unit.factor / 1000.0)});
    }
    r.moreExcursions =
        s.alarmHigh.excursions + s.alarmLow.excursions - static_cast<std::int64_t>(list.size());
    return r;
}

} // namespace quillmark
