// quillmark-cli export FILE.smpq --format txt|xls|csv [--unit 0-4] -o OUT
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/options.h"
#include "core/app/logger_model.h"
#include "core/common/atomic_file.h"
#include "core/data/recording_file.h"
#include "core/data/spreadsheet_export.h"
#include "core/data/text_data_file.h"

namespace quillmark::cli {
namespace {

void exportUsage(std::FILE* out) {
    std::fprintf(
        out, "Usage: quillmark-cli export FILE.smpq --format txt|xls|csv [--unit 0-4] -o OUT\n\n"
             "  --format txt   the text data file written beside a saved recording\n"
             "  --format xls   the tab-separated spreadsheet export\n"
             "  --format csv   RFC 4180 CSV with ISO 8601 time stamps\n"
             "  --unit N       display unit row: 0 base unit, 1 ft/min, 2 knots, 3 km/h, 4 MPH\n"
             "                   (1 to 4 for air-speed recordings only)\n"
             "  -o OUT         the file to write (- for standard output)\n");
}

const CommandSyntax kExportSyntax{"export",
                                  {{"--format", "", OptionKind::Value},
                                   {"--output", "-o", OptionKind::Value},
                                   {"--unit", "", OptionKind::Value}},
                                  1,
                                  1};

int runExport(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(kExportSyntax, args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        exportUsage(stdout);
        return 0;
    }
    const std::string input = parsed->positional()[0];
    const std::string format = parsed->value("--format").value_or("");
    const std::string out = parsed->value("--output").value_or("");
    const std::optional<int> unitArg = parseUnitOption(*parsed);
    if (out.empty() || (format != "txt" && format != "xls" && format != "csv")) {
        exportUsage(stderr);
        return kUsageExit;
    }
    if (!unitArg) {
        std::fprintf(stderr, "quillmark-cli export: %s\n", kUnitRangeError);
        return kUsageExit;
    }
    const int unit = *unitArg;
    // Refused before the recording is read; standard output may be the recording too
    // (">> FILE.smpq").
    if (const auto refused = checkOutputTarget(out, {input})) {
        std::fprintf(stderr, "Failed to save document.\n%s\n", refused->message.c_str());
        return 1;
    }

    const auto loaded = loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    if (const auto unitError = unitModelError(loaded->model, unit)) {
        std::fprintf(stderr, "quillmark-cli export: %s\n", unitError->c_str());
        return kUsageExit;
    }
    // Reading a recording file makes its model code current, as opening it in the application does.
    setLoggerModel(loaded->model);
    const Recording& rec = loaded->recording;
    std::string error;
    const auto write = format == "txt"   ? writeTextDataFile
                       : format == "xls" ? writeSpreadsheetExport
                                         : writeCsvExport;
    if (!write(out, rec, unit, loggerModel(), &error, {input})) {
        std::fprintf(stderr, "Failed to save document.\n%s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar({"export", "write a recording as text, spreadsheet or CSV",
                                  runExport});

} // namespace
} // namespace quillmark::cli
