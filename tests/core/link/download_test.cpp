#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/link/download.h"
#include "core/link/fake_vendor_usb.h"
#include "core/link/memory_logger.h"

namespace quillmark {
namespace {

using test_support::FakeVendorUsb;
using test_support::MemoryLogger;
using Bytes = std::vector<std::uint8_t>;

struct DownloadRun {
    DownloadResult result;
    DownloadOutcome outcome;
    std::vector<std::pair<int, int>> progress;
    std::vector<long> waits;
};

DownloadRun runDownload(FakeVendorUsb& usb, Recording& rec, int pageWaitMs = 1000) {
    DownloadRun run{};
    DownloadOptions options;
    options.pageWaitMs = pageWaitMs;
    options.progress = [&](int pos, int max) { run.progress.emplace_back(pos, max); };
    options.sleep = [&](std::chrono::milliseconds ms) { run.waits.push_back(ms.count()); };
    LoggerLink link(usb);
    run.outcome = downloadRecording(link, rec, options);
    run.result = run.outcome.result;
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(usb.openHandles, 0);
    return run;
}

Recording previousRecording() {
    Recording rec;
    rec.header.fill(0x77);
    rec.samples = {1000, 2000, 3000};
    rec.sampleCount = 3;
    rec.maxIndex = 2;
    rec.minIndex = 0;
    rec.average = 2.0;
    rec.unitIndex = 0;
    return rec;
}

void expectSameRecording(const Recording& a, const Recording& b) {
    EXPECT_EQ(a.header, b.header);
    EXPECT_EQ(a.samples, b.samples);
    EXPECT_EQ(a.sampleCount, b.sampleCount);
    EXPECT_EQ(a.maxIndex, b.maxIndex);
    EXPECT_EQ(a.minIndex, b.minIndex);
    EXPECT_EQ(a.average, b.average);
}

struct PlanCase {
    std::uint16_t n;
    std::vector<Bytes> requests; // after the header request
    std::vector<int> progress;
    int maximum;
};

class DownloadPages : public ::testing::TestWithParam<PlanCase> {};

TEST_P(DownloadPages, RequestsPagesAndProgressFollowN) {
    const PlanCase& c = GetParam();
    FakeVendorUsb usb;
    MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = c.n;
    // The header counts a half sample of an odd N; the recording holds whole stored ones.
    const std::int32_t reported = (c.n + 1) / 2;
    const std::int32_t points = c.n / 2;
    logger.setRecordedPoints(reported);
    logger.header[block::kLoggerName] = 'Q';
    for (std::int32_t k = 0; k < points; ++k)
        logger.setSample(static_cast<std::size_t>(k), static_cast<std::uint16_t>(k % 30000));

    Recording rec = previousRecording();
    const DownloadRun run = runDownload(usb, rec);
    ASSERT_EQ(run.result, points > 0 ? DownloadResult::Success : DownloadResult::EmptyLogger);

    std::vector<Bytes> expected{{0x00, 0x10, 0x01}};
    expected.insert(expected.end(), c.requests.begin(), c.requests.end());
    EXPECT_EQ(usb.writes(), expected);

    // Reads: 3-byte reply and 64-byte header, then per page a reply and the blocks.
    std::vector<std::uint32_t> readSizes;
    for (const auto& e : usb.transfers())
        if (e.op == FakeVendorUsb::Op::Read)
            readSizes.push_back(e.count);
    std::vector<std::uint32_t> expectedReads{3, 64};
    for (const Bytes& r : c.requests) {
        expectedReads.push_back(3);
        expectedReads.push_back(r[2] * 64u);
    }
    EXPECT_EQ(readSizes, expectedReads);

    std::vector<int> positions;
    for (const auto& [pos, max] : run.progress) {
        positions.push_back(pos);
        EXPECT_EQ(max, c.maximum);
    }
    EXPECT_EQ(positions, c.progress);
    EXPECT_EQ(run.waits, std::vector<long>(c.requests.size(), 1000));

    if (points == 0) {
        expectSameRecording(rec, previousRecording()); // half a sample is no sample
        return;
    }
    EXPECT_EQ(run.outcome.reportedPoints,
              reported > points ? std::optional<std::int32_t>(reported) : std::nullopt);
    EXPECT_EQ(rec.header, logger.header);
    EXPECT_EQ(rec.sampleCount, points);
    ASSERT_EQ(rec.samples.size(), static_cast<std::size_t>(points));
    for (std::int32_t k = 0; k < points; ++k)
        ASSERT_EQ(rec.samples[static_cast<std::size_t>(k)], k % 30000) << k;
}

std::vector<int> steps(int from, int to, int step) {
    std::vector<int> v;
    for (int p = from; p <= to; p += step)
        v.push_back(p);
    return v;
}

std::vector<Bytes> fullPages(int pages) {
    std::vector<Bytes> v;
    for (int i = 0; i < pages; ++i)
        v.push_back({0x00, static_cast<std::uint8_t>(i), 0x40});
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Link, DownloadPages,
    ::testing::Values(PlanCase{1, {{0x00, 0x00, 0x01}}, {10, 50}, 50},
                      PlanCase{4096, {{0x00, 0x00, 0x40}}, {10, 50}, 50},
                      PlanCase{4097, {{0x00, 0x00, 0x40}, {0x00, 0x01, 0x01}}, {20, 60, 100}, 100},
                      PlanCase{65535, fullPages(16), steps(160, 800, 40), 800}));

TEST(Download, PlanCountsBlocksAndPages) {
    EXPECT_EQ(downloadPlan(0).blocks, 0u);
    EXPECT_EQ(downloadPlan(64).blocks, 1u);
    EXPECT_EQ(downloadPlan(65).blocks, 2u);
    EXPECT_EQ(downloadPlan(65535).blocks, 1024u);
    EXPECT_EQ(downloadPlan(65535).pages, 16u);
    EXPECT_EQ(downloadPlan(4097).pages, 2u);
}

TEST(Download, StatisticsRunOnTheDownloadedSamples) {
    FakeVendorUsb usb;
    MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = 8;
    logger.setRecordedPoints(4);
    logger.setSample(0, 5000);
    logger.setSample(1, 32000); // over range
    logger.setSample(2, 100);
    logger.setSample(3, 2000);
    Recording rec;
    ASSERT_EQ(runDownload(usb, rec).result, DownloadResult::Success);
    EXPECT_EQ(rec.samples, (std::vector<std::uint16_t>{5000, 45000, 100, 2000}));
    EXPECT_EQ(rec.maxIndex, 1);
    EXPECT_EQ(rec.minIndex, 2);
}

TEST(Download, EmptyLoggerLeavesRecordingUnchanged) {
    FakeVendorUsb usb;
    MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = 0;
    logger.header.fill(0x42);
    Recording rec = previousRecording();
    const Recording before = rec;
    const DownloadRun run = runDownload(usb, rec);
    EXPECT_EQ(run.result, DownloadResult::EmptyLogger);
    EXPECT_EQ(downloadMessage(run.result),
              (DialogMessage{"Datalogger internal memory currently empty.", "Quillmark"}));
    expectSameRecording(rec, before);
    EXPECT_EQ(usb.writes(), (std::vector<Bytes>{{0x00, 0x10, 0x01}}));
    EXPECT_TRUE(run.progress.empty());
}

TEST(Download, LoggerVanishingDuringPageThreeOfFiveKeepsRecording) {
    FakeVendorUsb usb;
    MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = 5 * 4096;
    logger.setRecordedPoints(5 * 2048);
    // Header exchange, two full pages, the third page's reply and half its data.
    usb.vanishAfterReadBytes = (3 + 64) + 2 * (3 + 4096) + 3 + 2048;
    Recording rec = previousRecording();
    const Recording before = rec;
    const DownloadRun run = runDownload(usb, rec);
    EXPECT_EQ(run.result, DownloadResult::ReadFailure);
    EXPECT_EQ(downloadMessage(run.result),
              (DialogMessage{"Failed reading data from the datalogger.", "Quillmark"}));
    expectSameRecording(rec, before);
    EXPECT_EQ(usb.writes().back(), (Bytes{0x00, 0x02, 0x40}));
    EXPECT_EQ(usb.count(FakeVendorUsb::Op::Close), 1);
    EXPECT_EQ(run.progress.size(), 3u); // start, page 0, page 1
}

// A stop asked for at any point ends the exchange by the next page, closes the link and
// replaces nothing; so does a transfer that the backend's cancel() ended. Five full pages.
TEST(Download, StopEndsAtThePageBoundaryAndReplacesNothing) {
    const struct {
        const char* name;
        int stopAfterProgress; // stop once this many progress calls came; -1: before the open
        bool cancelledRead;    // the third page's data read ends with kCancelled instead
        std::size_t requests;  // read requests sent, the header's included
    } cases[] = {
        {"before the open", -1, false, 0},       {"after the header", 1, false, 1},
        {"after page 2", 3, false, 3},           {"after the last page", 6, false, 6},
        {"pending read cancelled", 99, true, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeVendorUsb usb;
        MemoryLogger logger;
        logger.attach(usb);
        logger.storedBytes = 5 * 4096;
        logger.setRecordedPoints(5 * 2048);
        if (c.cancelledRead)
            usb.transferFault =
                FakeVendorUsb::TransferFault{FakeVendorUsb::Op::Read, 8, VendorUsb::kCancelled};
        std::atomic<bool> stop{c.stopAfterProgress < 0};
        int progressCalls = 0;
        DownloadOptions options;
        options.pageWaitMs = 0;
        options.stop = &stop;
        options.progress = [&](int, int) {
            if (++progressCalls == c.stopAfterProgress)
                stop = true;
        };
        Recording rec = previousRecording();
        LoggerLink link(usb);
        const DownloadOutcome outcome = downloadRecording(link, rec, options);
        EXPECT_EQ(outcome.result, DownloadResult::ReadFailure);
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(usb.writes().size(), c.requests);
        EXPECT_FALSE(link.isOpen());
        EXPECT_EQ(usb.openHandles, 0);
        EXPECT_EQ(usb.count(FakeVendorUsb::Op::Close), 1);
        if (!c.cancelledRead) {
            EXPECT_TRUE(usb.rx.empty()) << "the next exchange would read the rest as its reply";
        }
        expectSameRecording(rec, previousRecording());
    }
    // A failure that nobody asked for is no stop.
    FakeVendorUsb usb;
    Recording rec;
    LoggerLink link(usb);
    EXPECT_FALSE(downloadRecording(link, rec).stopped);
}

// A stop during the page wait ends the wait; the page asked for is still taken, so nothing
// is left in the pipe, and the exchange ends there.
TEST(Download, StopCutsThePageWaitShort) {
    FakeVendorUsb usb;
    MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = 2 * 4096;
    logger.setRecordedPoints(2 * 2048);
    std::atomic<bool> stop{false};
    DownloadOptions options;
    options.pageWaitMs = 60000;
    options.stop = &stop;
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop = true;
    });
    Recording rec;
    LoggerLink link(usb);
    const auto start = std::chrono::steady_clock::now();
    const DownloadOutcome outcome = downloadRecording(link, rec, options);
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(usb.writes().size(), 2u); // the header's request and page 0's
    EXPECT_EQ(usb.count(FakeVendorUsb::Op::Read), 4);
    EXPECT_TRUE(usb.rx.empty());
    EXPECT_LT(took, std::chrono::seconds(30)); // not the 60 s wait
}

TEST(Download, RecordedPointsZeroOrBelowIsTheEmptyLoggerAndReplacesNothing) {
    for (const std::int32_t reported : {0, -5, std::numeric_limits<std::int32_t>::min()}) {
        SCOPED_TRACE(reported);
        FakeVendorUsb usb;
        MemoryLogger logger;
        logger.attach(usb);
        logger.storedBytes = 640;
        logger.setRecordedPoints(reported);
        Recording rec = previousRecording();
        EXPECT_EQ(runDownload(usb, rec).result, DownloadResult::EmptyLogger);
        expectSameRecording(rec, previousRecording());
    }
}

TEST(Download, RecordedPointsAreCutToTheSamplesTheLoggerHolds) {
    // N = 100: 50 samples stored, read as two blocks whose last 14 samples are stale memory.
    const struct {
        std::int32_t reported;
        std::int32_t expected;
    } cases[] = {{1, 1},
                 {33, 33},
                 {50, 50},
                 {51, 50},
                 {64, 50},
                 {65, 50},
                 {std::numeric_limits<std::int32_t>::max(), 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reported);
        FakeVendorUsb usb;
        MemoryLogger logger;
        logger.attach(usb);
        logger.storedBytes = 100;
        logger.setRecordedPoints(c.reported);
        for (std::size_t k = 0; k < 64; ++k)
            logger.setSample(k, k < 50 ? static_cast<std::uint16_t>(1000 + k) : 30999);
        Recording rec;
        const DownloadRun run = runDownload(usb, rec);
        ASSERT_EQ(run.result, DownloadResult::Success);
        EXPECT_EQ(rec.sampleCount, c.expected);
        EXPECT_EQ(rec.samples.size(), static_cast<std::size_t>(c.expected));
        EXPECT_EQ(rec.maxIndex, c.expected - 1) << "the stale end never enters the statistics";
        EXPECT_EQ(rec.recordedPoints(), c.reported) << "the header keeps what the logger said";
        const bool cut = c.reported > c.expected;
        EXPECT_EQ(run.outcome.reportedPoints,
                  cut ? std::optional<std::int32_t>(c.reported) : std::nullopt);
        EXPECT_EQ(downloadCountNote(run.outcome, rec.sampleCount),
                  cut ? "The logger reported " + std::to_string(c.reported) +
                            " points but holds only 50; the recording keeps those 50."
                      : std::string());
    }
}

TEST(Download, FailuresBeforeTheDataAreReadFailures) {
    // Open fails; header request not answered; header block cut short.
    {
        FakeVendorUsb usb;
        usb.present = false;
        Recording rec = previousRecording();
        EXPECT_EQ(runDownload(usb, rec).result, DownloadResult::ReadFailure);
        EXPECT_TRUE(usb.writes().empty());
        expectSameRecording(rec, previousRecording());
    }
    {
        FakeVendorUsb usb; // nothing answers
        Recording rec = previousRecording();
        EXPECT_EQ(runDownload(usb, rec).result, DownloadResult::ReadFailure);
        EXPECT_EQ(usb.count(FakeVendorUsb::Op::Close), 1);
        expectSameRecording(rec, previousRecording());
    }
    {
        FakeVendorUsb usb;
        MemoryLogger logger;
        logger.attach(usb);
        logger.storedBytes = 64;
        usb.vanishAfterReadBytes = 3 + 10;
        Recording rec = previousRecording();
        EXPECT_EQ(runDownload(usb, rec).result, DownloadResult::ReadFailure);
        expectSameRecording(rec, previousRecording());
    }
}

// Each way a transfer can fail keeps the fixed message and says, as its detail, which step
// failed and why. The logger holds 65 blocks: page 1 of 64 blocks, page 2 of one.
TEST(Download, EveryFaultSaysWhichStepFailedAndWhy) {
    using F = FakeVendorUsb::TransferFault;
    using Op = FakeVendorUsb::Op;
    const struct {
        const char* name;
        std::function<void(FakeVendorUsb&)> fault;
        const char* cause;
    } cases[] = {
        {"no logger", [](FakeVendorUsb& u) { u.present = false; },
         "opening the logger: no logger found"},
        {"enable request stalls",
         [](FakeVendorUsb& u) {
             u.failingOpens = {1};
             u.failingOpenStatus = VendorUsb::kPipeStalled;
             u.backendStep = "the bridge's enable request";
         },
         "opening the logger: the bridge's enable request: endpoint stalled"},
        {"header request times out",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Write, 1, VendorUsb::kWriteTimedOut};
         },
         "sending the header request: timed out after 1 s, nothing sent"},
        {"babble on the header reply",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Read, 1, VendorUsb::kOverflow};
         },
         "reading the reply to the header request: babble (the logger sent more than was "
         "asked for)"},
        {"short header block",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Read, 2, VendorUsb::kReadTimedOut, 31};
         },
         "reading the header block: timed out after 3 s with only 31 of 64 bytes"},
        {"page stalls",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Read, 4, VendorUsb::kPipeStalled};
         },
         "reading page 1 of 2: endpoint stalled"},
        {"short page",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Read, 6, VendorUsb::kReadTimedOut, 31};
         },
         "reading page 2 of 2: timed out after 60 s with only 31 of 64 bytes"},
        {"unplugged during a page",
         [](FakeVendorUsb& u) { u.vanishAfterReadBytes = 3 + 64 + 3 + 1000; },
         "reading page 1 of 2: the logger was unplugged after 1000 of 4096 bytes"},
        {"page reply never comes",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Read, 5, VendorUsb::kReadTimedOut};
         },
         "reading the reply to the request for page 2 of 2: timed out after 3 s, nothing "
         "arrived"},
        {"page request fails",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Write, 3, VendorUsb::kWriteError};
         },
         "sending the request for page 2 of 2: input/output error"},
        {"interrupted",
         [](FakeVendorUsb& u) {
             u.transferFault = F{Op::Read, 4, VendorUsb::kCancelled, 100};
         },
         "reading page 1 of 2: interrupted after 100 of 4096 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeVendorUsb usb;
        MemoryLogger logger;
        logger.attach(usb);
        logger.storedBytes = 65 * 64;
        logger.setRecordedPoints(65 * 32);
        c.fault(usb);
        Recording rec = previousRecording();
        const DownloadRun run = runDownload(usb, rec);
        ASSERT_EQ(run.result, DownloadResult::ReadFailure);
        EXPECT_EQ(downloadMessage(run.outcome),
                  (DialogMessage{"Failed reading data from the datalogger.", "Quillmark",
                                 MessageIcon::None, c.cause}));
        expectSameRecording(rec, previousRecording());
    }
}

TEST(Download, TimeoutsAreRestoredAfterEveryTransfer) {
    FakeVendorUsb usb;
    MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = 4097;
    logger.setRecordedPoints(2048);
    Recording rec;
    ASSERT_EQ(runDownload(usb, rec).result, DownloadResult::Success);
    const auto& ev = usb.events;
    int transfers = 0;
    int reads = 0;
    for (std::size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].op != FakeVendorUsb::Op::Read && ev[i].op != FakeVendorUsb::Op::Write)
            continue;
        ++transfers;
        ASSERT_GE(i, 2u);
        EXPECT_EQ(ev[i - 2].op, FakeVendorUsb::Op::GetTimeouts);
        EXPECT_EQ(ev[i - 1].op, FakeVendorUsb::Op::SetTimeouts);
        ASSERT_LT(i + 1, ev.size());
        EXPECT_EQ(ev[i + 1].op, FakeVendorUsb::Op::SetTimeouts);
        EXPECT_EQ(ev[i + 1].readTimeout, FakeVendorUsb::kInitialReadTimeout);
        EXPECT_EQ(ev[i + 1].writeTimeout, FakeVendorUsb::kInitialWriteTimeout);
        if (ev[i].op == FakeVendorUsb::Op::Read) {
            // reply, header, then per page a reply (3 s) and the sample data (60 s)
            const bool sampleData = reads >= 2 && reads % 2 == 1;
            EXPECT_EQ(ev[i].readTimeout, sampleData ? 60000u : 3000u) << reads;
            ++reads;
        } else
            EXPECT_EQ(ev[i].writeTimeout, 1000u);
    }
    EXPECT_EQ(transfers, 3 + 3 * 2);
}

TEST(Download, PageWaitComesFromTheEnvironmentOnlyWhenAsked) {
    ::setenv("QUILLMARK_PAGE_WAIT_MS", "7", 1);
    EXPECT_EQ(pageWaitFromEnvironment(), 7);
    ::setenv("QUILLMARK_PAGE_WAIT_MS", "junk", 1);
    EXPECT_EQ(pageWaitFromEnvironment(), 1000);
    ::unsetenv("QUILLMARK_PAGE_WAIT_MS");
    EXPECT_EQ(pageWaitFromEnvironment(), 1000);
}

} // namespace
} // namespace quillmark
