#pragma once
// The download exchange: header block (page 16), then the sample pages, into a Recording.
// Runs without a window; whoever shows progress gets it through a callback.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/common/user_message.h"
#include "core/data/recording.h"
#include "core/link/logger_link.h"

namespace quillmark {

enum class DownloadResult {
    Success,
    ReadFailure, // the link failed at some step (or the logger went away)
    EmptyLogger, // the logger holds no sample bytes
};

// How a download ended, as data for the front ends.
struct DownloadOutcome {
    DownloadResult result = DownloadResult::ReadFailure;
    // ReadFailure only: the step that failed and why.
    std::optional<LinkFault> fault;
    // Success only: the header's recorded-points count when it was more than the logger
    // holds, so the recording was cut to the stored samples.
    std::optional<std::int32_t> reportedPoints;
    // ReadFailure only: the exchange ended because it was asked to stop (the stop flag, or a
    // transfer ended by VendorUsb::cancel()), not because the logger failed.
    bool stopped = false;
};

// The message box of an outcome that brought no new recording; none for Success (the dialog
// then shows downloadFinishedText instead). A read failure carries the fault as its detail.
std::optional<DialogMessage> downloadMessage(const DownloadOutcome& outcome);
std::optional<DialogMessage> downloadMessage(DownloadResult result);
// After Success with a cut count: "The logger reported 99999 points but holds only 600; the
// recording keeps those 600." Empty otherwise.
std::string downloadCountNote(const DownloadOutcome& outcome, std::int32_t sampleCount);
// While a sample page read waits: "Still waiting for page 2 of 5 (10 s of at most 60 s)...".
std::string pageWaitNote(int page, int pages, std::chrono::seconds waited);
// "%d points finished! Press View to show graph, or Cancel to exit."
std::string downloadFinishedText(std::int32_t sampleCount);
// View pressed while the recording holds no samples.
DialogMessage noDataToViewMessage();

struct DownloadOptions {
    // Called on the thread that runs the download: first with (pages*10, pages*50) once the
    // page count is known, then after each page with (pages + 4*(i+1))*10. Never called for
    // an empty logger or before the header has been read.
    std::function<void(int position, int maximum)> progress;
    // Wait before each page; negative takes pageWaitFromEnvironment().
    int pageWaitMs = -1;
    // How the wait is spent; defaults to sleeping the calling thread.
    std::function<void(std::chrono::milliseconds)> sleep;
    // Called on the downloading thread just before each sample page read (page from 0),
    // which may wait up to 60 s; the next progress call says it is over.
    std::function<void(int page, int pages)> pageReadStarted;
    // When it turns true the exchange ends at the next page boundary, the page wait included,
    // and the link is closed as after any failure. A transfer already waiting for the logger
    // is ended by VendorUsb::cancel(), which whoever sets the flag calls as well.
    const std::atomic<bool>* stop = nullptr;
};

// 1000 ms, unless QUILLMARK_PAGE_WAIT_MS holds a whole number of milliseconds (tests only).
int pageWaitFromEnvironment();

// Pages and blocks for N stored sample bytes.
struct DownloadPlan {
    std::uint32_t blocks = 0;
    std::uint32_t pages = 0;
};
DownloadPlan downloadPlan(std::uint32_t storedBytes);

// Opens the link, reads the logger's memory and closes the link again in every outcome.
// It blocks the calling thread for the whole exchange (each page costs the page wait plus
// the read): a window program runs it on a worker thread, downloads into a Recording of its
// own and hands that to the document on the GUI thread; `progress` runs on the worker.
// The target recording is replaced (header, samples, count, statistics) only on Success;
// after a failure, a stop or an empty logger it is exactly what it was. The sample count is the
// header's recorded points, cut to the samples the logger says it holds (N / 2): what lies
// beyond them on the last page is stale memory, never samples.
DownloadOutcome downloadRecording(LoggerLink& link, Recording& target,
                                  const DownloadOptions& options = {});

} // namespace quillmark
