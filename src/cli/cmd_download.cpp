// quillmark-cli download -o FILE.smpq [--txt FILE.txt] [--xls FILE.xls]
#include <cstdio>
#include <unistd.h>

#include "cli/backend_select.h"
#include "cli/command.h"
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

int runDownload(const std::vector<std::string>& args) {
    if (hasFlag(args, "--help")) {
        std::printf("Usage: quillmark-cli download -o FILE.smpq [--txt FILE.txt] [--xls FILE.xls]"
                    " [--backend B]\n\n"
                    "Reads the logger's memory and writes the recording file, and on request\n"
                    "the text data file and the spreadsheet export.\n\n%s",
                    kBackendHelp);
        return 0;
    }
    std::string out;
    if (!optionValue(args, "-o", out) || out.empty()) {
        std::fprintf(stderr, "quillmark-cli download: -o FILE.smpq is required\n");
        return 2;
    }
    std::string txt;
    std::string xls;
    const bool wantTxt = optionValue(args, "--txt", txt);
    const bool wantXls = optionValue(args, "--xls", xls);
    if ((wantTxt && txt.empty()) || (wantXls && xls.empty())) {
        std::fprintf(stderr, "quillmark-cli download: --txt and --xls need a file name\n");
        return 2;
    }
    // Each file is written whole; two of them under one name would leave only the last.
    if ((wantTxt && sameFile(out, txt)) || (wantXls && sameFile(out, xls)) ||
        (wantTxt && wantXls && sameFile(txt, xls))) {
        std::fprintf(stderr, "quillmark-cli download: -o, --txt and --xls must name different "
                             "files\n");
        return 2;
    }
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
    std::printf("%d points finished!\n", rec.sampleCount);

    const std::int32_t model = loggerModel();
    int rc = 0;
    if (!writeRecordingFile(out, rec, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rc = 1;
    }
    if (wantTxt && !writeTextDataFile(txt, rec, rec.unitIndex, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rc = 1;
    }
    if (wantXls && !writeSpreadsheetExport(xls, rec, rec.unitIndex, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        rc = 1;
    }
    return rc;
}

const CommandRegistrar registrar({"download", "read the logger's memory into a recording file",
                                  runDownload});

} // namespace
} // namespace quillmark::cli
