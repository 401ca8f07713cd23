// quillmark-cli stats FILE.smpq [COMPARED.smpq ...] [--align start|clock] [--first N]
// [--last M] [--unit 0-4] [--json]
#include <cstdio>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "core/analysis/measurement_text.h"
#include "core/analysis/range_analysis.h"
#include "core/data/recording_file.h"
#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"
#include "core/plot/plot_view.h"

namespace quillmark::cli {
namespace {

void statsUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: quillmark-cli stats FILE.smpq [COMPARED.smpq ...] [--align start|clock]\n"
                 "                           [--first N] [--last M] [--unit 0-4] [--json]\n\n"
                 "Statistics and alarm excursions of samples N to M (0-based, inclusive;\n"
                 "default all). Over-range samples are counted apart and left out of the\n"
                 "minimum, maximum, mean and standard deviation; they count as above the\n"
                 "high alarm limit. For each compared recording (up to 8), the same figures\n"
                 "over its samples whose elapsed time lies within FILE's samples N to M.\n\n"
                 "  --align A   start: compared runs start with FILE (default); clock: by\n"
                 "              their own start times\n"
                 "  --first N   first sample of the range\n"
                 "  --last M    last sample of the range\n"
                 "  --unit N    display unit row: 0 base unit, 1 ft/min, 2 knots, 3 km/h, 4 MPH\n"
                 "                (1 to 4 for air-speed recordings only)\n"
                 "  --json      one JSON object instead of text (an array of them for several\n"
                 "              files)\n");
}

std::string alarmJson(const AlarmFigures& a) {
    return JsonObject()
        .number("limit", a.limit)
        .integer("samples", a.samples)
        .number("seconds", a.seconds)
        .integer("excursions", a.excursions)
        .integer("longest_samples", a.longestSamples)
        .text();
}

// The figures of samples first..last of one recording, as text or one JSON object (with
// `file` when given). An empty range (first > last) has count 0 and no figures.
std::string figures(const Recording& rec, const DisplayUnit& unit, std::int64_t first,
                    std::int64_t last, bool json, const std::string* file) {
    const bool empty = first > last;
    RangeStatistics s =
        empty ? RangeStatistics{} : RangeAnalysis(rec).statistics(first, last, unit.factor);
    if (empty) {
        // No sample: the limits still apply, in the display unit.
        const RangeStatistics limits = RangeAnalysis(rec).statistics(0, 0, unit.factor);
        s.alarmHigh.limit = limits.alarmHigh.limit;
        s.alarmLow.limit = limits.alarmLow.limit;
    }
    std::string startText, endText;
    const auto start = startTime(rec);
    const bool timed = start.has_value() && !empty;
    if (timed) {
        SampleClock clock(rec, *start);
        clock.appendIsoSampleTime(startText, first);
        clock.appendIsoSampleTime(endText, last);
    }
    if (!json) {
        const std::string text = measurementText(measurementLines(rec, s, unit));
        return file ? *file + "\n" + text : text;
    }
    JsonObject o;
    if (file)
        o.string("file", *file);
    if (empty)
        o.null("first").null("last");
    else
        o.integer("first", s.first).integer("last", s.last);
    o.integer("count", s.count);
    if (timed)
        o.string("start", startText).string("end", endText);
    else
        o.null("start").null("end");
    if (empty)
        o.null("duration_s");
    else
        o.number("duration_s", s.durationSeconds);
    o.string("unit", unit.name)
        .number("min", s.min)
        .index("min_index", s.minIndex)
        .number("max", s.max)
        .index("max_index", s.maxIndex)
        .number("mean", s.mean)
        .number("stddev", s.stddev)
        .integer("over_range", s.overRange)
        .raw("alarm_high", alarmJson(s.alarmHigh))
        .raw("alarm_low", alarmJson(s.alarmLow));
    return o.text() + "\n";
}

const CommandSyntax kStatsSyntax{"stats",
                                 {{"--first", "", OptionKind::Value},
                                  {"--last", "", OptionKind::Value},
                                  {"--unit", "", OptionKind::Value},
                                  {"--json", "", OptionKind::Flag},
                                  {"--align", "", OptionKind::Value}},
                                 1,
                                 1 + kMaxComparedRuns};

int statsUsageError(const std::string& why) {
    std::fprintf(stderr, "quillmark-cli stats: %s\n", why.c_str());
    return kUsageExit;
}

int runStats(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(kStatsSyntax, args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        statsUsage(stdout);
        return 0;
    }
    const std::string& input = parsed->positional()[0];
    const std::optional<int> unitArg = parseUnitOption(*parsed);
    const bool json = parsed->has("--json");
    if (!unitArg)
        return statsUsageError(kUnitRangeError);
    std::optional<std::int64_t> firstArg, lastArg;
    for (auto [name, value] : {std::pair{"--first", &firstArg}, std::pair{"--last", &lastArg}}) {
        if (const auto text = parsed->value(name); text && !(*value = parseSampleIndex(*text)))
            return statsUsageError(std::string(name) + " takes a sample index, not '" + *text +
                                   "'");
    }

    const std::string align = parsed->value("--align").value_or("start");
    if (align != "start" && align != "clock")
        return statsUsageError("--align takes start or clock");
    const auto loaded = parsed->positional().size() > 1 ? loadNamedRecordingOrSay(input)
                                                        : loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    const Recording& rec = loaded->recording;
    const std::int64_t n = presentSampleCount(rec);
    if (n == 0 && !firstArg && !lastArg) {
        std::fprintf(stderr, "quillmark-cli stats: the recording holds no samples\n");
        return 1;
    }
    if (const auto rangeError = sampleRangeError(firstArg, lastArg, n, true))
        return statsUsageError(*rangeError);
    if (const auto unitError = unitModelError(loaded->model, *unitArg))
        return statsUsageError(*unitError);
    const std::int64_t first = firstArg.value_or(0);
    const std::int64_t last = lastArg.value_or(n - 1);

    const std::vector<std::string>& files = parsed->positional();
    if (files.size() == 1) {
        const std::string out =
            figures(rec, displayUnit(loaded->model, *unitArg), first, last, json, nullptr);
        // A failed standard output is reported once, with its reason, when the command ends.
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }
    std::vector<LoadedRecording> runs;
    for (std::size_t i = 1; i < files.size(); ++i) {
        auto run = loadNamedRecordingOrSay(files[i]);
        if (!run)
            return 1;
        if (const auto unitError = unitModelError(run->model, *unitArg))
            return statsUsageError(files[i] + ": " + *unitError);
        runs.push_back(std::move(*run));
    }
    // The plot model places the runs, so the figures cover what the plot shows.
    const auto start = startTime(rec);
    PlotView view;
    view.setRecording(std::make_shared<const Recording>(rec), start.value_or(0));
    view.setAlignment(align == "clock" ? RunAlignment::ByClock : RunAlignment::AtStart);
    if (align == "clock" && !start)
        std::fprintf(stderr,
                     "quillmark-cli stats: %s has no valid start time; its runs are "
                     "aligned at the start\n",
                     files[0].c_str());
    std::vector<std::string> blocks;
    blocks.push_back(
        figures(rec, displayUnit(loaded->model, *unitArg), first, last, json, &files[0]));
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Recording& r = runs[i].recording;
        view.addRun(std::make_shared<const Recording>(r));
        if (align == "clock" && start && !startTime(r))
            std::fprintf(stderr,
                         "quillmark-cli stats: %s has no valid start time; it is "
                         "aligned at the start\n",
                         files[i + 1].c_str());
        const auto span = view.runSpan(i, first, last);
        blocks.push_back(figures(r, displayUnit(runs[i].model, *unitArg), span ? span->first : 0,
                                 span ? span->last : -1, json, &files[i + 1]));
    }
    std::string out;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (json) {
            out += (i == 0 ? "[" : ",\n ") + blocks[i].substr(0, blocks[i].size() - 1);
        } else {
            out += (i == 0 ? "" : "\n") + blocks[i];
        }
    }
    if (json)
        out += "]\n";
    // A failed standard output is reported once, with its reason, when the command ends.
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const CommandRegistrar registrar({"stats", "statistics and alarm excursions of a sample range",
                                  runStats});

} // namespace
} // namespace quillmark::cli
