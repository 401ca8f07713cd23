#include "core/link/download.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "core/common/byte_order.h"
#include "core/link/wire_protocol.h"

namespace quillmark {

std::optional<DialogMessage> downloadMessage(DownloadResult result) {
    switch (result) {
    case DownloadResult::ReadFailure:
        return DialogMessage{"Failed reading data from the datalogger."};
    case DownloadResult::EmptyLogger:
        return DialogMessage{"Datalogger internal memory currently empty."};
    case DownloadResult::Success:
        break;
    }
    return std::nullopt;
}

std::optional<DialogMessage> downloadMessage(const DownloadOutcome& outcome) {
    std::optional<DialogMessage> message = downloadMessage(outcome.result);
    if (message && outcome.fault)
        message->detail = linkFaultText(*outcome.fault);
    return message;
}

std::string downloadCountNote(const DownloadOutcome& outcome, std::int32_t sampleCount) {
    if (outcome.result != DownloadResult::Success || !outcome.reportedPoints)
        return {};
    char text[160];
    std::snprintf(text, sizeof text,
                  "The logger reported %d points but holds only %d; the recording keeps those %d.",
                  *outcome.reportedPoints, sampleCount, sampleCount);
    return text;
}

std::string pageWaitNote(int page, int pages, std::chrono::seconds waited) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Still waiting for page %d of %d from the logger (%lld s of at most %u s); "
                  "Ctrl+C stops.",
                  page + 1, pages, static_cast<long long>(waited.count()),
                  wire::kSampleReadTimeoutMs / 1000);
    return text;
}

std::string downloadFinishedText(std::int32_t sampleCount) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "%d points finished! Press View to show graph, or Cancel to exit.", sampleCount);
    return text;
}

DialogMessage noDataToViewMessage() {
    return DialogMessage{"No data to view.", "warning"};
}

int pageWaitFromEnvironment() {
    const char* value = std::getenv("QUILLMARK_PAGE_WAIT_MS");
    if (value == nullptr || *value == '\0')
        return static_cast<int>(wire::kPageWaitMs);
    char* end = nullptr;
    const long ms = std::strtol(value, &end, 10);
    if (*end != '\0' || ms < 0 || ms > 60000)
        return static_cast<int>(wire::kPageWaitMs);
    return static_cast<int>(ms);
}

DownloadPlan downloadPlan(std::uint32_t storedBytes) {
    DownloadPlan plan;
    plan.blocks = (storedBytes + wire::kBlockSize - 1) / wire::kBlockSize;
    plan.pages = (plan.blocks + wire::kBlocksPerPage - 1) / wire::kBlocksPerPage;
    return plan;
}

namespace {

bool sendReadRequest(LoggerLink& link, std::uint8_t page, std::uint8_t blocks) {
    const std::array<std::uint8_t, wire::kReadRequestSize> request{wire::kReadOpcode, page, blocks};
    return link.write(request.data(), wire::kReadRequestSize);
}

// "page 3 of 5", counted from 1 as a user would.
std::string pageName(int page, int pages) {
    return "page " + std::to_string(page + 1) + " of " + std::to_string(pages);
}

bool stopRequested(const DownloadOptions& options) {
    return options.stop != nullptr && options.stop->load();
}

DownloadOutcome stoppedOutcome() {
    DownloadOutcome outcome;
    outcome.stopped = true;
    return outcome;
}

// The wait before a page; with a stop flag it goes in short slices so a stop cuts it short.
void pageWait(const DownloadOptions& options, int waitMs) {
    if (options.sleep) {
        options.sleep(std::chrono::milliseconds(waitMs));
        return;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::duration slice = options.stop != nullptr
                                      ? Clock::duration(std::chrono::milliseconds(20))
                                      : Clock::duration::max();
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(waitMs);
    while (!stopRequested(options)) {
        const Clock::duration left = end - Clock::now();
        if (left <= Clock::duration::zero())
            return;
        std::this_thread::sleep_for(std::min(left, slice));
    }
}

// The body of the exchange with the link open; the caller closes it.
DownloadOutcome exchange(LoggerLink& link, Recording& staged, const DownloadOptions& options) {
    const auto failed = [&link](std::string step) {
        DownloadOutcome outcome;
        outcome.fault = link.faultAt(std::move(step));
        outcome.stopped = outcome.fault->status == VendorUsb::kCancelled;
        return outcome;
    };
    // A stop asked for before the open: the open has just undone the backend's cancel.
    if (stopRequested(options))
        return stoppedOutcome();
    if (!sendReadRequest(link, wire::kHeaderPage, 1))
        return failed("sending the header request");

    std::array<std::uint8_t, wire::kReplySize> reply{};
    if (!link.read(reply.data(), wire::kReplySize, wire::kShortReadTimeoutMs))
        return failed("reading the reply to the header request");
    const std::uint32_t storedBytes = getU16LE(reply.data() + 1);

    staged.header.fill(0);
    if (!link.read(staged.header.data(), wire::kBlockSize, wire::kShortReadTimeoutMs))
        return failed("reading the header block");

    const DownloadPlan plan = downloadPlan(storedBytes);
    if (plan.blocks == 0)
        return {DownloadResult::EmptyLogger, {}, {}};

    std::vector<std::uint8_t> staging(static_cast<std::size_t>(plan.blocks) * wire::kBlockSize);
    const int pages = static_cast<int>(plan.pages);
    const int maximum = pages * wire::kProgressPerPage;
    if (options.progress)
        options.progress(pages * wire::kProgressStartPerPage, maximum);

    const int waitMs = options.pageWaitMs >= 0 ? options.pageWaitMs : pageWaitFromEnvironment();
    std::uint32_t remaining = plan.blocks;
    for (int page = 0; page < pages; ++page) {
        if (stopRequested(options))
            return stoppedOutcome();
        const std::uint32_t count = std::min(remaining, wire::kBlocksPerPage);
        remaining -= count;
        if (!sendReadRequest(link, static_cast<std::uint8_t>(page),
                             static_cast<std::uint8_t>(count)))
            return failed("sending the request for " + pageName(page, pages));
        std::array<std::uint8_t, wire::kReplySize> pageReply{};
        if (!link.read(pageReply.data(), wire::kReplySize, wire::kShortReadTimeoutMs))
            return failed("reading the reply to the request for " + pageName(page, pages));

        std::uint8_t* place = staging.data() + static_cast<std::size_t>(page) * wire::kPageSize;
        const std::uint32_t bytes = count * wire::kBlockSize;
        std::fill(place, place + bytes, std::uint8_t{0});
        // A stop cuts the wait short but the page is still taken: what the logger has sent
        // must not be left in the pipe for the next exchange to read as its reply.
        pageWait(options, waitMs);
        if (options.pageReadStarted)
            options.pageReadStarted(page, pages);
        if (!link.read(place, bytes, wire::kSampleReadTimeoutMs))
            return failed("reading " + pageName(page, pages));
        if (options.progress)
            options.progress(pages * wire::kProgressStartPerPage +
                                 wire::kProgressStepPerPage * (page + 1),
                             maximum);
    }

    if (stopRequested(options))
        return stoppedOutcome();

    // The logger's count is trusted only within the sample bytes it says it holds: the rest
    // of the last block is whatever its memory held before. A count that yields no samples
    // is an empty memory, so nothing earlier gets replaced by nothing.
    const std::int64_t stored = storedBytes / 2;
    const std::int64_t reported = getI32LE(staged.header.data() + block::kRecordedPoints);
    if (reported <= 0 || stored == 0)
        return {DownloadResult::EmptyLogger, {}, {}};
    DownloadOutcome outcome{DownloadResult::Success, {}, {}};
    std::int64_t points = reported;
    if (reported > stored) {
        points = stored;
        outcome.reportedPoints = static_cast<std::int32_t>(reported);
    }

    staged.sampleCount = static_cast<std::int32_t>(points);
    staged.samples.resize(static_cast<std::size_t>(points));
    for (std::size_t k = 0; k < staged.samples.size(); ++k)
        staged.samples[k] = getU16LE(staging.data() + 2 * k);
    return outcome;
}

} // namespace

DownloadOutcome downloadRecording(LoggerLink& link, Recording& target,
                                  const DownloadOptions& options) {
    if (!link.open()) {
        DownloadOutcome failed;
        failed.fault = link.faultAt("opening the logger");
        return failed;
    }
    Recording staged;
    staged.unitIndex = target.unitIndex;
    const DownloadOutcome outcome = exchange(link, staged, options);
    link.close();
    if (outcome.result != DownloadResult::Success)
        return outcome;
    computeStatistics(staged);
    target = std::move(staged);
    return outcome;
}

} // namespace quillmark
