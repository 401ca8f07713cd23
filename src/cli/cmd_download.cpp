// quillmark-cli download -o FILE.smpq|- [--txt FILE.txt] [--xls FILE.xls]
#include <cstdio>
#include <unistd.h>

#include "cli/backend_select.h"
#include "cli/command.h"
#include "cli/options.h"
#include "core/app/logger_model.h"
#include "core/common/atomic_file.h"
#include "core/data/recording_file.h"
#include "core/data/spreadsheet_export.h"
#include "core/data/text_data_file.h"
#include "core/link/download.h"

namespace quillmark::cli {
namespace {

// A bar on stderr, only when it is a terminal.
void drawBar(int position, int maximum) {
    constexpr int width = 40;
    const int filled = maximum > 0 ? position * width / maximum : 0;
    std::fprintf(stderr, "\r[");
    for (int i = 0; i < width; ++i)
        std::fputc(i < filled ? '#' : ' ', stderr);
    std::fprintf(stderr, "] %3d%%", maximum > 0 ? position * 100 / maximum : 0);
    if (position >= maximum)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

CommandSyntax downloadSyntax() {
    CommandSyntax syntax{"download",
                         {{"--output", "-o", OptionKind::Value},
                          {"--txt", "", OptionKind::Value},
                          {"--xls", "", OptionKind::Value}},
                         0,
                         0};
    for (const OptionSpec& o : loggerOptions())
        syntax.options.push_back(o);
    return syntax;
}

int runDownload(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(downloadSyntax(), args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        std::printf("Usage: quillmark-cli download -o FILE.smpq [--txt FILE.txt] [--xls FILE.xls]"
                    " [--backend B]\n\n"
                    "Reads the logger's memory and writes the recording file, and on request\n"
                    "the text data file and the spreadsheet export; - for standard output.\n\n%s",
                    kBackendHelp);
        return 0;
    }
    const std::string out = parsed->value("--output").value_or("");
    if (out.empty()) {
        std::fprintf(stderr, "quillmark-cli download: -o FILE.smpq is required\n");
        return kUsageExit;
    }
    const std::optional<std::string> txt = parsed->value("--txt");
    const std::optional<std::string> xls = parsed->value("--xls");
    // Each file is written whole; two of them under one name would leave only the last.
    if ((txt && sameFile(out, *txt)) || (xls && sameFile(out, *xls)) ||
        (txt && xls && sameFile(*txt, *xls))) {
        std::fprintf(stderr, "quillmark-cli download: -o, --txt and --xls must name different "
                             "files\n");
        return kUsageExit;
    }
    // A target that cannot be written is found before the logger is read, not after.
    for (const std::optional<std::string>& target : {std::optional(out), txt, xls}) {
        if (!target)
            continue;
        if (const auto refused = checkOutputTarget(*target, {})) {
            std::fprintf(stderr, "quillmark-cli download: %s\n", refused->message.c_str());
            return 1;
        }
    }
    // The count goes where it cannot mix with a file written to standard output.
    const bool toStdout =
        out == kStandardOutput || txt == kStandardOutput || xls == kStandardOutput;
    LoggerBackend backend;
    std::string error;
    if (!selectBackend(args, backend, &error)) {
        std::fprintf(stderr, "quillmark-cli download: %s\n", error.c_str());
        return 2;
    }
    deviceScan(*backend.detector);

    LoggerLink link(*backend.vendor);
    Recording rec;
    DownloadOptions options;
    if (::isatty(STDERR_FILENO))
        options.progress = drawBar;
    const DownloadResult result = downloadRecording(link, rec, options);
    if (const std::optional<DialogMessage> message = downloadMessage(result)) {
        printMessage(*message);
        explainOpenFailure(link.lastStatus());
        return 1;
    }
    if (rec.recordedPoints() > rec.sampleCount)
        std::fprintf(stderr,
                     "quillmark-cli download: the logger reported %d points but sent only %d; "
                     "keeping the %d that arrived\n",
                     rec.recordedPoints(), rec.sampleCount, rec.sampleCount);
    std::fprintf(toStdout ? stderr : stdout, "%d points finished!\n", rec.sampleCount);

    const std::int32_t model = loggerModel();
    int rc = 0;
    if (!writeRecordingFile(out, rec, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rc = 1;
    }
    if (txt && !writeTextDataFile(*txt, rec, rec.unitIndex, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rc = 1;
    }
    if (xls && !writeSpreadsheetExport(*xls, rec, rec.unitIndex, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rc = 1;
    }
    return rc;
}

const CommandRegistrar registrar({"download", "read the logger's memory into a recording file",
                                  runDownload});

} // namespace
} // namespace quillmark::cli
