// quillmark-cli stats FILE.smpq [--first N] [--last M] [--unit 0-4] [--json]
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/json_writer.h"
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
                 "  --json      one JSON object instead of text\n");
}

std::optional<std::int64_t> parseIndex(const std::string& text) {
    std::int64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || text[0] == '-' || ec != std::errc() || ptr != end)
        return std::nullopt;
    return v;
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

int runStats(const std::vector<std::string>& args) {
    if (hasFlag(args, "--help")) {
        statsUsage(stdout);
        return 0;
    }
    std::string input, firstText, lastText, unitText = "0";
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* value = a == "--first"  ? &firstText
                             : a == "--last" ? &lastText
                             : a == "--unit" ? &unitText
                                             : nullptr;
        if (value) {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "quillmark-cli stats: %s needs a value\n", a.c_str());
                return 2;
            }
            *value = args[++i];
        } else if (a == "--json") {
            json = true;
        } else if (a.rfind("-", 0) == 0) {
            std::fprintf(stderr, "quillmark-cli stats: unknown option %s\n", a.c_str());
            return 2;
        } else if (input.empty()) {
            input = a;
        } else {
            std::fprintf(stderr, "quillmark-cli stats: more than one input file\n");
            return 2;
        }
    }
    if (input.empty()) {
        statsUsage(stderr);
        return 2;
    }
    if (unitText.size() != 1 || unitText[0] < '0' || unitText[0] > '4') {
        std::fprintf(stderr, "quillmark-cli stats: --unit takes 0 to 4\n");
        return 2;
    }
    const auto firstArg =
        firstText.empty() ? std::optional<std::int64_t>(0) : parseIndex(firstText);
    const auto lastArg = lastText.empty() ? std::optional<std::int64_t>() : parseIndex(lastText);
    if (!firstArg || (!lastText.empty() && !lastArg)) {
        std::fprintf(stderr, "quillmark-cli stats: --first and --last take a sample index\n");
        return 2;
    }

    const auto loaded = loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    const Recording& rec = loaded->recording;
    const std::int64_t n = presentSampleCount(rec);
    if (n == 0 && firstText.empty() && lastText.empty()) {
        std::fprintf(stderr, "quillmark-cli stats: the recording holds no samples\n");
        return 1;
    }
    const std::int64_t first = *firstArg;
    const std::int64_t last = lastArg ? *lastArg : n - 1;
    if (first >= n || last >= n) {
        std::fprintf(stderr,
                     "quillmark-cli stats: the range %lld..%lld lies outside the recording's "
                     "samples 0..%lld\n",
                     static_cast<long long>(first), static_cast<long long>(last),
                     static_cast<long long>(n - 1));
        return 2;
    }
    if (first > last) {
        std::fprintf(stderr, "quillmark-cli stats: --first %lld is after --last %lld\n",
                     static_cast<long long>(first), static_cast<long long>(last));
        return 2;
    }

    const DisplayUnit unit = displayUnit(loaded->model, unitText[0] - '0');
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
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "quillmark-cli stats: cannot write the output\n");
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar({"stats", "statistics and alarm excursions of a sample range",
                                  runStats});

} // namespace
} // namespace quillmark::cli
