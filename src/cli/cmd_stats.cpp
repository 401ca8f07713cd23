// quillmark-cli stats FILE.smpq [--first N] [--last M] [--unit 0-4] [--json]
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

namespace quillmark::cli {
namespace {

void statsUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: quillmark-cli stats FILE.smpq [--first N] [--last M] [--unit 0-4] "
                 "[--json]\n\n"
                 "Statistics and alarm excursions of samples N to M (0-based, inclusive;\n"
                 "default all). Over-range samples are counted apart and left out of the\n"
                 "minimum, maximum, mean and standard deviation; they count as above the\n"
                 "high alarm limit.\n\n"
                 "  --first N   first sample of the range\n"
                 "  --last M    last sample of the range\n"
                 "  --unit N    display unit row: 0 base unit, 1 ft/min, 2 knots, 3 km/h, 4 MPH\n"
                 "                (1 to 4 for air-speed recordings only)\n"
                 "  --json      one JSON object instead of text\n");
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

const CommandSyntax kStatsSyntax{"stats",
                                 {{"--first", "", OptionKind::Value},
                                  {"--last", "", OptionKind::Value},
                                  {"--unit", "", OptionKind::Value},
                                  {"--json", "", OptionKind::Flag}},
                                 1,
                                 1};

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

    const auto loaded = loadRecordingOrSay(input);
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

    const DisplayUnit unit = displayUnit(loaded->model, *unitArg);
    const RangeStatistics s = RangeAnalysis(rec).statistics(first, last, unit.factor);
    std::string startText, endText;
    const auto start = startTime(rec);
    const bool timed = start.has_value();
    if (timed) {
        SampleClock clock(rec, *start);
        clock.appendIsoSampleTime(startText, first);
        clock.appendIsoSampleTime(endText, last);
    }

    std::string out;
    if (json) {
        JsonObject o;
        o.integer("first", s.first).integer("last", s.last).integer("count", s.count);
        if (timed)
            o.string("start", startText).string("end", endText);
        else
            o.null("start").null("end");
        o.number("duration_s", s.durationSeconds)
            .string("unit", unit.name)
            .number("min", s.min)
            .index("min_index", s.minIndex)
            .number("max", s.max)
            .index("max_index", s.maxIndex)
            .number("mean", s.mean)
            .number("stddev", s.stddev)
            .integer("over_range", s.overRange)
            .raw("alarm_high", alarmJson(s.alarmHigh))
            .raw("alarm_low", alarmJson(s.alarmLow));
        out = o.text() + "\n";
    } else {
        out = measurementText(measurementLines(rec, s, unit));
    }
    // A failed standard output is reported once, with its reason, when the command ends.
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const CommandRegistrar registrar({"stats", "statistics and alarm excursions of a sample range",
                                  runStats});

} // namespace
} // namespace quillmark::cli
