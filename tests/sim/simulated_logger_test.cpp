#include <gtest/gtest.h>

#include <vector>

#include "core/common/byte_order.h"
#include "core/link/download.h"
#include "core/link/upload.h"
#include "sim/simulated_logger.h"

namespace quillmark::sim {
namespace {

HeaderBlock settingsBlock(std::uint32_t points, std::uint32_t interval, std::uint8_t mode) {
    HeaderBlock b{};
    putU32LE(b.data() + block::kStartMarker, block::kMarker);
    putU32LE(b.data() + block::kSamplePoints, points);
    putU32LE(b.data() + block::kIntervalSeconds, interval);
    putI32LE(b.data() + block::kStartYear, 2026);
    b[block::kStartMonth] = 12;
    b[block::kStartDay] = 7;
    b[block::kLoggerName] = 'S';
    b[block::kModeFlags] = static_cast<std::uint8_t>(mode | (interval == 0 ? 0x10 : 0));
    putU32LE(b.data() + block::kEndMarker, block::kMarker);
    return b;
}

DownloadResult download(SimulatedLogger& sim, Recording& rec) {
    LoggerLink link(sim);
    DownloadOptions options;
    options.pageWaitMs = 0;
    return downloadRecording(link, rec, options).result;
}

UploadResult upload(SimulatedLogger& sim, const HeaderBlock& block) {
    LoggerLink link(sim);
    return uploadSettings(link, block).result;
}

TEST(SimulatedLogger, StartsWithADemoRecordingToDownload) {
    SimulatedLogger sim;
    LoggerLink link(sim);
    EXPECT_TRUE(link.probe());
    Recording rec;
    ASSERT_EQ(download(sim, rec), DownloadResult::Success);
    EXPECT_EQ(rec.sampleCount, 600);
    EXPECT_EQ(getU32LE(rec.header.data() + block::kStartMarker), block::kMarker);
    EXPECT_EQ(getI32LE(rec.header.data() + block::kRecordedPoints), 600);
    for (int i = 0; i < rec.sampleCount; ++i)
        ASSERT_EQ(rec.samples[static_cast<std::size_t>(i)], LoggerDevice::signalAt(2.0 * i));
}

TEST(SimulatedLogger, EmptyMemoryIsReportedAsEmpty) {
    SimOptions options;
    options.demoRecording = false;
    SimulatedLogger sim(options);
    Recording rec;
    EXPECT_EQ(download(sim, rec), DownloadResult::EmptyLogger);
}

TEST(SimulatedLogger, InstantModeLogsAtTheConfiguredRateUntilDownload) {
    SimulatedLogger sim;
    const HeaderBlock block = settingsBlock(1000, 5, 2);
    ASSERT_EQ(upload(sim, block), UploadResult::Success);
    EXPECT_EQ(sim.device().state(), LoggerDevice::State::Logging);
    sim.device().advanceClock(100.2); // samples at 0, 5, ..., 100 s
    Recording rec;
    ASSERT_EQ(download(sim, rec), DownloadResult::Success);
    EXPECT_EQ(rec.sampleCount, 21);
    EXPECT_EQ(sim.device().state(), LoggerDevice::State::Stopped);
    HeaderBlock expected = block;
    putI32LE(expected.data() + block::kRecordedPoints, 21);
    EXPECT_EQ(rec.header, expected);
    EXPECT_EQ(rec.samples[3], LoggerDevice::signalAt(15.0));

    // Logging has stopped: more time changes nothing.
    sim.device().advanceClock(1000);
    Recording again;
    ASSERT_EQ(download(sim, again), DownloadResult::Success);
    EXPECT_EQ(again.sampleCount, 21);
}

TEST(SimulatedLogger, LoggingStopsAtTheConfiguredPointsAndFastRateFillsPages) {
    SimulatedLogger sim;
    ASSERT_EQ(upload(sim, settingsBlock(32000, 0, 2)), UploadResult::Success);
    sim.device().advanceClock(3600);
    Recording rec;
    ASSERT_EQ(download(sim, rec), DownloadResult::Success);
    EXPECT_EQ(rec.sampleCount, 32000);
}

TEST(SimulatedLogger, ManualModeWaitsForTheButton) {
    SimulatedLogger sim;
    ASSERT_EQ(upload(sim, settingsBlock(100, 2, 1)), UploadResult::Success);
    EXPECT_EQ(sim.device().state(), LoggerDevice::State::AwaitingButton);
    sim.device().advanceClock(50);
    EXPECT_EQ(sim.device().loggedPoints(), 0);
    sim.device().pressButton();
    sim.device().advanceClock(10.5);
    EXPECT_EQ(sim.device().loggedPoints(), 6);
}

TEST(SimulatedLogger, JunkBeforeTheAcknowledgeIsSkipped) {
    SimOptions options;
    options.junkBeforeAcknowledge = 5;
    SimulatedLogger sim(options);
    EXPECT_EQ(upload(sim, settingsBlock(100, 2, 2)), UploadResult::Success);
}

TEST(SimulatedLogger, NeverAcknowledgingTakesTheBlockButSendsNothing) {
    SimOptions options;
    options.neverAcknowledge = true;
    LoggerDevice device(options);
    const std::uint8_t command[3] = {0x01, 0x40, 0x00};
    device.receive(command, 3);
    const HeaderBlock block = settingsBlock(100, 2, 2);
    device.receive(block.data(), block.size());
    EXPECT_EQ(device.pending(), 0u);
    EXPECT_EQ(device.settings(), block);
}

TEST(SimulatedLogger, VanishingMidDownloadFailsAndTheLoggerStaysGone) {
    SimOptions options;
    options.vanishAfterBytes = 3 + 64 + 3 + 100;
    SimulatedLogger sim(options);
    Recording rec;
    EXPECT_EQ(download(sim, rec), DownloadResult::ReadFailure);
    EXPECT_EQ(rec.sampleCount, 0);
    LoggerLink link(sim);
    EXPECT_FALSE(link.probe());
    EXPECT_EQ(link.lastStatus(), VendorUsb::kDeviceNotFound);
}

TEST(SimulatedLogger, BadRecordedPointsAreBoundedByTheDownload) {
    for (const std::int32_t bad : {-1, 0, 100000}) {
        SimOptions options;
        options.badRecordedPoints = bad;
        SimulatedLogger sim(options);
        Recording rec;
        // No samples is the empty logger; a count above the 600 stored samples is cut to
        // them, though the 19 blocks read would hold 608.
        ASSERT_EQ(download(sim, rec),
                  bad > 0 ? DownloadResult::Success : DownloadResult::EmptyLogger)
            << bad;
        EXPECT_EQ(rec.sampleCount, bad > 0 ? 600 : 0) << bad;
    }
}

TEST(SimulatedLogger, OnlyOneOpenerAtATime) {
    SimulatedLogger sim;
    LoggerLink a(sim);
    LoggerLink b(sim);
    ASSERT_TRUE(a.open());
    EXPECT_FALSE(b.open());
    a.close();
    EXPECT_TRUE(b.open());
}

} // namespace
} // namespace quillmark::sim
