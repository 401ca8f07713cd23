#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

#include "core/common/byte_order.h"
#include "core/data/recording_file.h"
#include "temp_dir.h"
#include "test_support.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {

Recording threeSamples() {
    auto rec = makeRecording({1200, 45000, 800}, {2026, 12, 7, 5, 15, 2});
    rec.header[block::kLoggerName] = 'Q';
    computeStatistics(rec);
    rec.unitIndex = 3;
    return rec;
}

TEST(RecordingFile, ThreeSamplesAreNinetyEightBytesInTheFixedLayout) {
    const Recording rec = threeSamples();
    const auto bytes = serializeRecordingFile(rec, 711);
    ASSERT_EQ(bytes.size(), 98u);
    EXPECT_EQ(getI32LE(&bytes[0]), 3);
    EXPECT_EQ(getI32LE(&bytes[4]), 1);
    EXPECT_EQ(getI32LE(&bytes[8]), 2);
    EXPECT_EQ(getF64LE(&bytes[12]), rec.average);
    EXPECT_EQ(getI32LE(&bytes[20]), 3);
    EXPECT_EQ(getI32LE(&bytes[24]), 711);
    EXPECT_TRUE(std::equal(rec.header.begin(), rec.header.end(), bytes.begin() + 28));
    EXPECT_EQ(getU16LE(&bytes[92]), 1200);
    EXPECT_EQ(getU16LE(&bytes[94]), 45000);
    EXPECT_EQ(getU16LE(&bytes[96]), 800);
}

TEST(RecordingFile, RoundTripIsByteForByteAndKeepsStatisticsFromTheFile) {
    TempDir dir;
    Recording rec = threeSamples();
    rec.average = 99.5; // not recomputed on load
    ASSERT_TRUE(writeRecordingFile(dir.file("a.smpq"), rec, 86));
    const auto loaded = readRecordingFile(dir.file("a.smpq"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->model, 86);
    EXPECT_EQ(loaded->recording.samples, rec.samples);
    EXPECT_EQ(loaded->recording.header, rec.header);
    EXPECT_EQ(loaded->recording.average, 99.5);
    EXPECT_EQ(loaded->recording.unitIndex, 3);
    ASSERT_TRUE(writeRecordingFile(dir.file("b.smpq"), loaded->recording, loaded->model));
    EXPECT_EQ(readAll(dir.file("a.smpq")), readAll(dir.file("b.smpq")));
}

TEST(RecordingFile, EmptyRecordingIsTheFixedPartOnly) {
    TempDir dir;
    ASSERT_TRUE(writeRecordingFile(dir.file("e.smpq"), Recording{}, 710));
    EXPECT_EQ(std::filesystem::file_size(dir.file("e.smpq")), 92u);
    const auto loaded = readRecordingFile(dir.file("e.smpq"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->recording.sampleCount, 0);
    EXPECT_TRUE(loaded->recording.samples.empty());
}

std::string fileWith(std::int32_t count, std::int32_t maxIndex, std::int32_t minIndex,
                     std::size_t sampleBytes) {
    std::string s(92 + sampleBytes, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(s.data());
    putI32LE(p, count);
    putI32LE(p + 4, maxIndex);
    putI32LE(p + 8, minIndex);
    putI32LE(p + 24, 710);
    return s;
}

TEST(RecordingFile, MalformedFilesFailCleanly) {
    TempDir dir;
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"shorter than the fixed part", std::string(91, '\0')},
        {"negative count", fileWith(-1, -1, -1, 0)},
        {"count larger than the file holds", fileWith(4, 0, 0, 6)},
        {"huge count", fileWith(0x7fffffff, 0, 0, 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(dir.file("bad.smpq"), c.bytes);
        std::string error;
        EXPECT_FALSE(readRecordingFile(dir.file("bad.smpq"), &error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(parseRecordingFile(reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                        c.bytes.size()));
    }
    std::string error;
    EXPECT_FALSE(readRecordingFile(dir.file("missing.smpq"), &error));
    EXPECT_NE(error.find("missing.smpq"), std::string::npos);
}

TEST(RecordingFile, StatisticIndicesOutsideTheSamplesBecomeNone) {
    const struct {
        std::int32_t maxIndex, minIndex, wantMax, wantMin;
    } cases[] = {{3, -1, -1, -1}, {-2, 2, -1, 2}, {0, 7, 0, -1}, {-1, -1, -1, -1}, {2, 0, 2, 0}};
    for (const auto& c : cases) {
        const std::string bytes = fileWith(3, c.maxIndex, c.minIndex, 6);
        const auto loaded =
            parseRecordingFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->recording.maxIndex, c.wantMax);
        EXPECT_EQ(loaded->recording.minIndex, c.wantMin);
    }
}

TEST(RecordingFile, TrailingBytesAfterTheSamplesAreIgnored) {
    const std::string bytes = fileWith(1, 0, 0, 2) + "extra";
    const auto loaded =
        parseRecordingFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->recording.sampleCount, 1);
}

TEST(RecordingFile, FailedWriteKeepsTheEarlierFile) {
    TempDir dir;
    const std::string path = dir.file("keep.smpq");
    ASSERT_TRUE(writeRecordingFile(path, threeSamples(), 710));
    const std::string before = readAll(path);
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(writeRecordingFile(path, Recording{}, 710, &error));
    EXPECT_NE(error.find("keep.smpq"), std::string::npos);
    EXPECT_EQ(readAll(path), before);
}

TEST(RecordingFile, FullDiskIsReportedAndKeepsTheEarlierFile) {
    // A file-size limit makes writes fail part-way, the way a full disk does.
    TempDir dir;
    const std::string path = dir.file("run.smpq");
    writeAll(path, "earlier");
    Recording big = makeRecording(std::vector<std::uint16_t>(10000, 7), {2026, 12, 7, 5, 15, 2});
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool ok = writeRecordingFile(path, big, 710, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("run.smpq"), std::string::npos) << error;
    EXPECT_EQ(readAll(path), "earlier");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u) << "the temporary file must be removed";
}

TEST(RecordingFile, BadFileCorpusFailsOrLoadsWithinBounds) {
    // Every seed of the reader's fuzz corpus either fails or yields indices inside the samples.
    const std::filesystem::path corpus =
        std::filesystem::path(QUILLMARK_TEST_DATA) / ".." / ".." / "fuzz" / "corpus" / "recording";
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        ++files;
        const std::string bytes = readAll(entry.path().string());
        const auto loaded =
            parseRecordingFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        const auto fromFile = readRecordingFile(entry.path().string());
        EXPECT_EQ(loaded.has_value(), fromFile.has_value()) << entry.path();
        if (loaded) {
            const auto& r = loaded->recording;
            EXPECT_EQ(static_cast<std::size_t>(r.sampleCount), r.samples.size());
            EXPECT_LT(r.maxIndex, r.sampleCount);
            EXPECT_LT(r.minIndex, r.sampleCount);
        }
    }
    EXPECT_GE(files, 5);
}

} // namespace
