// quillmark-cli export FILE.smpq --format txt|xls|csv [--unit 0-4] -o OUT
#include <cerrno>
#include <cstdio>
#include <string>

#include "cli/command.h"
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
             "  -o OUT         the file to write (- for standard output)\n");
}

int runExport(const std::vector<std::string>& args) {
    if (hasFlag(args, "--help")) {
        exportUsage(stdout);
        return 0;
    }
    std::string input, format, out, unitText = "0";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--format" || a == "-o" || a == "--output" || a == "--unit") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "quillmark-cli export: %s needs a value\n", a.c_str());
                return 2;
            }
            (a == "--format" ? format : a == "--unit" ? unitText : out) = args[++i];
        } else if (a.rfind("-", 0) == 0) {
            std::fprintf(stderr, "quillmark-cli export: unknown option %s\n", a.c_str());
            return 2;
        } else if (input.empty()) {
            input = a;
        } else {
            std::fprintf(stderr, "quillmark-cli export: more than one input file\n");
            return 2;
        }
    }
    if (input.empty() || out.empty() || (format != "txt" && format != "xls" && format != "csv")) {
        exportUsage(stderr);
        return 2;
    }
    if (unitText.size() != 1 || unitText[0] < '0' || unitText[0] > '4') {
        std::fprintf(stderr, "quillmark-cli export: --unit takes 0 to 4\n");
        return 2;
    }
    const int unit = unitText[0] - '0';
    // Standard output may be the recording too (">> FILE.smpq").
    const std::string target = out == "-" ? "/dev/stdout" : out;
    if (sameFile(input, target)) {
        std::fprintf(stderr,
                     "quillmark-cli export: %s is the input recording; an export never "
                     "overwrites it\n",
                     out == "-" ? "standard output" : out.c_str());
        return 1;
    }

    const auto loaded = loadRecordingOrSay(input);
    if (!loaded)
        return 1;
    // Reading a recording file makes its model code current, as opening it in the application does.
    setLoggerModel(loaded->model);
    const Recording& rec = loaded->recording;
    std::string error;
    bool ok = false;
    if (out == "-") {
        int writeError = 0;
        const TextSink toStdout = [&writeError](std::string_view chunk) {
            if (std::fwrite(chunk.data(), 1, chunk.size(), stdout) == chunk.size())
                return true;
            writeError = errno;
            return false;
        };
        if (format == "txt")
            ok = renderTextDataFile(rec, unit, loggerModel(), toStdout, &error);
        else if (format == "xls")
            ok = renderSpreadsheetExport(rec, unit, loggerModel(), toStdout, &error);
        else
            ok = renderCsvExport(rec, unit, loggerModel(), toStdout, &error);
        if (ok && std::fflush(stdout) != 0) {
            writeError = errno;
            ok = false;
        }
        if (writeError != 0)
            error = fileErrorText("Cannot write", "standard output", writeError);
    } else if (format == "txt")
        ok = writeTextDataFile(out, rec, unit, loggerModel(), &error);
    else if (format == "xls")
        ok = writeSpreadsheetExport(out, rec, unit, loggerModel(), &error);
    else
        ok = writeCsvExport(out, rec, unit, loggerModel(), &error);
    if (!ok) {
        std::fprintf(stderr, "Failed to save document.\n%s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar({"export", "write a recording as text, spreadsheet or CSV",
                                  runExport});

} // namespace
} // namespace quillmark::cli
