// quillmark-cli info FILE.smpq [--json]
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "core/app/logger_model.h"
#include "core/data/recording_file.h"
#include "core/data/recording_info.h"
#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"

namespace quillmark::cli {
namespace {

const CommandSyntax kInfoSyntax{"info", {{"--json", "", OptionKind::Flag}}, 1, 1};

int runInfo(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(kInfoSyntax, args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        std::printf("Usage: quillmark-cli info FILE.smpq [--json]\n\n"
                    "Prints the model code, sample count, statistics, start time, interval,\n"
                    "alarm limits and logger name of a recording file.\n");
        return 0;
    }
    const std::string& path = parsed->positional()[0];
    const auto loaded = loadRecordingOrSay(path);
    if (!loaded)
        return 1;
    const Recording& rec = loaded->recording;
    const DisplayUnit base = displayUnit(loaded->model, 0);
    const auto start = startTime(rec);
    std::string maxLine, minLine;
    if (start) {
        appendExtremeLine(maxLine, rec, *start, rec.maxIndex, base);
        appendExtremeLine(minLine, rec, *start, rec.minIndex, base);
    }

    if (parsed->has("--json")) {
        JsonObject o;
        o.integer("model", loaded->model)
            .string("unit", base.name)
            .integer("sampleCount", rec.sampleCount)
            .integer("maxIndex", rec.maxIndex)
            .integer("minIndex", rec.minIndex)
            .fixed("average", rec.average, 6)
            .integer("unitIndex", rec.unitIndex);
        if (start) {
            const LocalFields f = breakDownLocal(*start);
            std::string startIso;
            appendIsoLocal(startIso, f);
            appendIsoOffset(startIso, f.utcOffset);
            o.string("startTime", startIso);
        } else {
            o.null("startTime");
        }
        o.integer("intervalSeconds", rec.intervalSeconds())
            .boolean("fastSampling", rec.fastSampling())
            .raw("interval", rec.intervalText())
            .fixed("alarmLow", rec.alarmLow(), 6)
            .fixed("alarmHigh", rec.alarmHigh(), 6)
            .string("loggerName", loggerName(rec));
        std::printf("%s\n", o.text().c_str());
        return 0;
    }
    std::printf("Model:       %d (%s)\n", loaded->model, modelKindName(loaded->model));
    std::printf("Samples:     %d\n", rec.sampleCount);
    if (start) {
        std::printf("StartTime:   %s\n", formatLocalTime(*start).c_str());
        if (rec.sampleCount > 0) {
            std::printf("Max:         %s\n", maxLine.c_str());
            std::printf("Min:         %s\n", minLine.c_str());
        }
    } else {
        std::printf("StartTime:   invalid\n");
    }
    std::printf("Average:     %s\n", convertedValueText(rec.average).c_str());
    std::printf("SampleRate:  %s second\n", rec.intervalText().c_str());
    std::printf("AlarmLow:    %s %s\n", formatFixed(rec.alarmLow(), 2).c_str(), base.name);
    std::printf("AlarmHigh:   %s %s\n", formatFixed(rec.alarmHigh(), 2).c_str(), base.name);
    std::printf("LoggerName:  %s\n", printableText(loggerName(rec)).c_str());
    return 0;
}

const CommandRegistrar registrar({"info", "show what a recording file holds", runInfo});

} // namespace
} // namespace quillmark::cli
