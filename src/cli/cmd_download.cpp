// quillmark-cli download -o FILE.smpq|- [--txt FILE.txt] [--xls FILE.xls]
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
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

std::atomic<bool> gInterrupted{false};

extern "C" void onInterrupt(int) {
    gInterrupted = true;
}

// While the download runs: tells the user when a page read keeps waiting, and turns Ctrl+C
// into a cancelled transfer, so the exchange ends through its own steps and the link is
// closed (the bridge hears its disable request) before the command exits.
class DownloadWatch {
public:
    explicit DownloadWatch(VendorUsb& vendor) : vendor_(vendor) {
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
        thread_ = std::thread([this] { watch(); });
    }
    ~DownloadWatch() {
        done_ = true;
        thread_.join();
        sigaction(SIGINT, &previous_, nullptr);
    }
    DownloadWatch(const DownloadWatch&) = delete;
    DownloadWatch& operator=(const DownloadWatch&) = delete;

    void pageReadStarted(int page, int pages) {
        page_ = page;
        pages_ = pages;
        since_ = Clock::now().time_since_epoch().count();
    }
    void pageReadEnded() { since_ = 0; }
    bool interrupted() const { return gInterrupted; }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kFirstNote{5};

    void watch() {
        std::int64_t toldFor = 0;
        auto nextNote = kFirstNote;
        while (!done_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (gInterrupted)
                vendor_.cancel();
            const std::int64_t since = since_;
            if (since == 0)
                continue;
            if (since != toldFor) {
                toldFor = since;
                nextNote = kFirstNote;
            }
            const auto waited = std::chrono::duration_cast<std::chrono::seconds>(
                Clock::now() - Clock::time_point(Clock::duration(since)));
            if (waited >= nextNote && !gInterrupted) {
                std::fprintf(stderr, "\n%s\n", pageWaitNote(page_, pages_, waited).c_str());
                nextNote += kFirstNote * 2;
            }
        }
    }

    VendorUsb& vendor_;
    std::atomic<bool> done_{false};
    std::atomic<int> page_{0};
    std::atomic<int> pages_{0};
    std::atomic<std::int64_t> since_{0};
    struct sigaction previous_ {};
    std::thread thread_;
};

int runDownload(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(downloadSyntax(), args);
    if (!parsed)
        return kUsageExit;
    if (parsed->help()) {
        std::printf("Usage: quillmark-cli download -o FILE.smpq [--txt FILE.txt] [--xls FILE.xls]"
                    " [--device D] [--backend B]\n\n"
                    "Reads the logger's memory and writes the recording file, and on request\n"
                    "the text data file and the spreadsheet export; - for standard output.\n"
                    "Ctrl+C stops a download that waits for the logger.\n\n%s",
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
    if (const int rc = chooseDevice(args, backend, "download").exitCode)
        return rc;
    deviceScan(*backend.detector);

    LoggerLink link(*backend.vendor);
    Recording rec;
    DownloadOptions options;
    DownloadOutcome outcome;
    {
        DownloadWatch watch(*backend.vendor);
        const bool bar = ::isatty(STDERR_FILENO);
        options.progress = [&watch, bar](int position, int maximum) {
            watch.pageReadEnded();
            if (bar)
                drawBar(position, maximum);
        };
        options.pageReadStarted = [&watch](int page, int pages) {
            watch.pageReadStarted(page, pages);
        };
        outcome = downloadRecording(link, rec, options);
        if (watch.interrupted() && outcome.result != DownloadResult::Success) {
            if (const std::optional<DialogMessage> message = downloadMessage(outcome))
                printMessage(*message);
            return 128 + SIGINT;
        }
    }
    if (const std::optional<DialogMessage> message = downloadMessage(outcome)) {
        printMessage(*message);
        explainOpenFailure(link.lastStatus());
        return 1;
    }
    if (const std::string note = downloadCountNote(outcome, rec.sampleCount); !note.empty())
        std::fprintf(stderr, "quillmark-cli download: %s\n", note.c_str());
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
