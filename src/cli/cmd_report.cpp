// quillmark-cli report FILE.smpq -o OUT.pdf [--first N] [--last M] [--unit 0-4]
// [--page a4|letter] [--title TEXT]
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/headless_app.h"
#include "cli/options.h"
#include "core/data/recording_file.h"
#include "core/data/sample_text.h"
#include "core/plot/plot_colours.h"
#include "core/settings/ini_store.h"
#include "render/run_report_pdf.h"

namespace quillmark::cli {
namespace {

void reportUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: quillmark-cli report FILE.smpq -o OUT.pdf [--first N] [--last M]\n"
                 "                            [--unit 0-4] [--page a4|letter] [--title TEXT]\n\n"
                 "Writes a PDF report of samples N to M (0-based, inclusive; default all):\n"
                 "the run's facts, its statistics and alarm excursions as `stats` gives them,\n"
                 "and the plot. Needs no display.\n\n"
                 "  -o, --output FILE  the PDF to write\n"
                 "  --first N          first sample of the range\n"
                 "  --last M           last sample of the range\n"
                 "  --unit N           display unit row: 0 base unit, 1 ft/min, 2 knots, 3 km/h,"
                 " 4 MPH\n"
                 "                     (1 to 4 for air-speed recordings only)\n"
                 "  --page SIZE        a4 (default) or letter\n"
                 "  --title TEXT       the report's title (default \"%s\")\n",
                 kDefaultReportTitle);
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "quillmark-cli report: %s\n", why.c_str());
    return kUsageExit;
}

// SOURCE_DATE_EPOCH, when set, fixes the creation time, so a report can be made again
// byte for byte and compared.
std::int64_t creationTime() {
    if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH"))
        if (const auto t = parseSampleIndex(fixed))
            return *t;
    return static_cast<std::int64_t>(std::time(nullptr));
}

const CommandSyntax kReportSyntax{"report",
                                  {{"--output", "-o", OptionKind::Value},
                                   {"--first", "", OptionKind::Value},
                                   {"--last", "", OptionKind::Value},
                                   {"--unit", "", OptionKind::Value},
                                   {"--page", "", OptionKind::Value},
                                   {"--title", "", OptionKind::Value}},
                                  1,
                                  1};

int runReport(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(kReportSyntax, args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        reportUsage(stdout);
        return 0;
    }
    const std::string input = parsed->positional()[0];
    const std::string output = parsed->value("--output").value_or("");
    if (output.empty()) {
        reportUsage(stderr);
        return kUsageExit;
    }
    const std::optional<int> unitArg = parseUnitOption(*parsed);
    if (!unitArg)
        return usageError(kUnitRangeError);
    const std::string pageText = parsed->value("--page").value_or("a4");
    if (pageText != "a4" && pageText != "letter")
        return usageError("--page takes a4 or letter, not '" + pageText + "'");
    std::optional<std::int64_t> firstArg, lastArg;
    for (auto [name, value] : {std::pair{"--first", &firstArg}, std::pair{"--last", &lastArg}}) {
        if (const auto text = parsed->value(name); text && !(*value = parseSampleIndex(*text)))
            return usageError(std::string(name) + " takes a sample index, not '" + *text + "'");
    }

    const auto loaded = loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    const Recording& rec = loaded->recording;
    const std::int64_t n = presentSampleCount(rec);
    if (n == 0 && !firstArg && !lastArg) {
        std::fprintf(stderr, "quillmark-cli report: the recording holds no samples\n");
        return 1;
    }
    if (const auto rangeError = sampleRangeError(firstArg, lastArg, n, true))
        return usageError(*rangeError);
    if (const auto unitError = unitModelError(loaded->model, *unitArg))
        return usageError(*unitError);
    if (!startTime(rec)) {
        std::fprintf(stderr, "quillmark-cli report: %s\n", kStartTimeError);
        return 1;
    }

    ReportJob job(rec);
    job.model = loaded->model;
    job.first = firstArg.value_or(0);
    job.last = lastArg.value_or(n - 1);
    job.unitIndex = *unitArg;
    job.title = parsed->value("--title").value_or(kDefaultReportTitle);
    job.fileName = input.substr(input.find_last_of('/') + 1);
    job.page = pageText == "letter" ? ReportPage::Letter : ReportPage::A4;
    job.createdAt = creationTime();
    // The plot in the colours the application saved; without a settings file, the defaults.
    const std::string iniPath = settingsIniPath();
    IniStore ini;
    ini.load(iniPath);
    job.colours = readPlotColours(ini);

    startHeadlessGui("report");
    std::string error;
    if (!saveRunReport(job, output, &error, {input, iniPath})) {
        std::fprintf(stderr, "quillmark-cli report: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar({"report", "write a PDF report of a recording", runReport});

} // namespace
} // namespace quillmark::cli
