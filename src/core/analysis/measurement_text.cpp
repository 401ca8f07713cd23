#include "core/analysis/measurement_text.h"

#include <cmath>
#include <optional>

#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"

namespace quillmark {

// The limits are single-precision values; their shortest text is what was entered.
std::string figureLimit(float v) {
    if (!std::isfinite(v))
        return "--";
    std::string s;
    appendShortest(s, v);
    return s;
}

// "1 sample", "2 samples".
std::string figureCount(std::int64_t n, const char* what) {
    std::string s;
    appendInt(s, n);
    s = s + " " + what;
    if (n != 1)
        s += "s";
    return s;
}

std::string figureValue(double v) {
    if (!std::isfinite(v))
        return "--";
    std::string s;
    appendFixed(s, v, 4);
    return s;
}

std::string figureSeconds(double v) {
    std::string s = figureValue(v);
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

namespace {

std::string alarmText(const AlarmFigures& a, const char* unit) {
    return figureLimit(a.limit) + " " + unit + ": " + figureCount(a.samples, "sample") + ", " +
           figureSeconds(a.seconds) + " s, " + figureCount(a.excursions, "excursion") +
           ", longest " + figureCount(a.longestSamples, "sample");
}

} // namespace

std::vector<MeasurementLine> measurementLines(const Recording& rec, const RangeStatistics& s,
                                              const DisplayUnit& unit) {
    std::vector<MeasurementLine> lines;
    if (s.count <= 0)
        return lines;
    IsoSampleTimes timeOf(rec);
    const auto extreme = [&](double value, std::int64_t index) {
        if (index < 0)
            return std::string("--");
        std::string t = figureValue(value) + " " + unit.name + " at sample ";
        appendInt(t, index);
        return t + ", " + timeOf(index);
    };
    const bool anyValid = s.minIndex >= 0;

    std::string range;
    appendInt(range, s.first);
    range += " .. ";
    appendInt(range, s.last);
    range += " (";
    appendInt(range, s.count);
    range += " samples)";
    lines.push_back({"Range:", range});
    lines.push_back({"Start:", timeOf(s.first)});
    lines.push_back({"End:", timeOf(s.last)});
    lines.push_back({"Duration:", figureSeconds(s.durationSeconds) + " s"});
    lines.push_back({"Unit:", unit.name});
    lines.push_back({"Min:", extreme(s.min, s.minIndex)});
    lines.push_back({"Max:", extreme(s.max, s.maxIndex)});
    lines.push_back({"Mean:", anyValid ? figureValue(s.mean) + " " + unit.name : "--"});
    lines.push_back({"StdDev:", anyValid ? figureValue(s.stddev) + " " + unit.name : "--"});
    lines.push_back({"OverRange:", figureCount(s.overRange, "sample")});
    lines.push_back({"AlarmHigh:", "above " + alarmText(s.alarmHigh, unit.name)});
    lines.push_back({"AlarmLow:", "below " + alarmText(s.alarmLow, unit.name)});
    return lines;
}

std::string measurementText(const std::vector<MeasurementLine>& lines) {
    std::string out;
    for (const MeasurementLine& l : lines) {
        out += l.label;
        if (l.label.size() < 13)
            out.append(13 - l.label.size(), ' ');
        out += l.value;
        out += '\n';
    }
    return out;
}

} // namespace quillmark
