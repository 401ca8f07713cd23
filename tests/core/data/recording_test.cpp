#include <gtest/gtest.h>

#include <limits>

#include "core/app/logger_model.h"
#include "core/data/recording.h"
#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"
#include "test_support.h"

using namespace quillmark;
using quillmark::test_support::makeRecording;
using quillmark::test_support::ScopedTimeZone;

namespace {

struct StatsCase {
    const char* name;
    std::vector<std::uint16_t> samples;
    int maxIndex, minIndex;
    double average;
    std::vector<std::uint16_t> stored;
};

TEST(ComputeStatistics, ExamplesTable) {
    const std::vector<StatsCase> cases = {
        {"ties resolve to the last occurrence",
         {5, 9, 9, 2, 2},
         2,
         4,
         27 / 5000.0,
         {5, 9, 9, 2, 2}},
        {"single sample", {1234}, 0, 0, 1.234, {1234}},
        {"over-range chosen on raw, stored as 45000",
         {100, 40000, 200, 32000},
         1,
         0,
         (0.1 + 45.0 + 0.2 + 45.0) / 4,
         {100, 45000, 200, 45000}},
        {"31000 stays, 31001 is over range",
         {31000, 31001},
         1,
         0,
         (31.0 + 45.0) / 2,
         {31000, 45000}},
        {"all equal: last index both ways", {7, 7, 7}, 2, 2, 0.007, {7, 7, 7}},
        {"zero samples are found as minimum", {0, 65535, 0}, 1, 2, 45.0 / 3, {0, 45000, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recording rec;
        rec.samples = c.samples;
        rec.sampleCount = static_cast<std::int32_t>(c.samples.size());
        computeStatistics(rec);
        EXPECT_EQ(rec.maxIndex, c.maxIndex);
        EXPECT_EQ(rec.minIndex, c.minIndex);
        EXPECT_DOUBLE_EQ(rec.average, c.average);
        EXPECT_EQ(rec.samples, c.stored);
    }
}

TEST(ComputeStatistics, EmptyRecordingKeepsNoneAndZeroAverage) {
    Recording rec;
    computeStatistics(rec);
    EXPECT_EQ(rec.maxIndex, -1);
    EXPECT_EQ(rec.minIndex, -1);
    EXPECT_EQ(rec.average, 0.0);
}

TEST(ComputeStatistics, AverageSumsInIndexOrder) {
    // Summing thousandths in index order; a different order would round differently.
    Recording rec;
    rec.samples = {1, 30000, 1, 1, 1, 1, 1, 1, 1, 1, 3};
    rec.sampleCount = static_cast<std::int32_t>(rec.samples.size());
    computeStatistics(rec);
    double sum = 0.0;
    for (auto s : rec.samples)
        sum += s / 1000.0;
    EXPECT_EQ(rec.average, sum / rec.sampleCount);
}

TEST(DisplayUnits, BaseUnitFollowsModelAndFactorsAreFixed) {
    EXPECT_STREQ(displayUnits(710)[0].name, "V");
    EXPECT_STREQ(displayUnits(711)[0].name, "mA");
    EXPECT_STREQ(displayUnits(86)[0].name, "m/s");
    EXPECT_STREQ(displayUnits(12345)[0].name, "m/s");
    const auto t = displayUnits(86);
    const char* names[] = {"m/s", "ft/min", "knots", "km/h", "MPH"};
    const double factors[] = {1.0, 196.87, 1.944, 3.6, 2.24};
    for (int i = 0; i < kDisplayUnitCount; ++i) {
        EXPECT_STREQ(t[i].name, names[i]);
        EXPECT_EQ(t[i].factor, factors[i]);
    }
    // An index from a file outside the table never reads outside it.
    EXPECT_STREQ(displayUnit(710, 9).name, "V");
    EXPECT_STREQ(displayUnit(710, -3).name, "V");
}

TEST(SampleValueText, OverRangeIsJudgedOnTheRawSampleInEveryUnit) {
    struct Case {
        std::uint16_t raw;
        int unit;
        const char* text;
    } cases[] = {
        {10000, 1, "1968.70"}, {10000, 0, "10.00"}, {31000, 1, "6102.97"}, {31000, 0, "31.00"},
        {31001, 0, "OL"},      {31001, 3, "OL"},    {45000, 0, "OL"},      {45000, 2, "OL"},
        {5000, 2, "9.72"},     {1234, 0, "1.23"},   {1235, 0, "1.24"}, // 1.2350000000000001
        {0, 4, "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.raw) + " in unit " + std::to_string(c.unit));
        const auto unit = displayUnit(86, c.unit);
        EXPECT_EQ(sampleValueText(c.raw, unit.factor, true), c.text);
        EXPECT_EQ(isOverRangeSample(c.raw), std::string(c.text) == "OL");
    }
    // Where no mark applies, the number stands.
    EXPECT_EQ(sampleValueText(45000, 1.0, false), "45.00");
    // The average keeps its own rule, in the base unit.
    EXPECT_EQ(convertedValueText(31.0), "31.00");
    EXPECT_EQ(convertedValueText(31.004), "OL");
}

TEST(Recording, FastSamplingIntervalIsTheFloatNearestQuarterHundredth) {
    auto rec = makeRecording({1}, {2026, 12, 7, 5, 15, 2}, 0, true);
    EXPECT_TRUE(rec.fastSampling());
    EXPECT_EQ(static_cast<double>(rec.effectiveInterval()), 0.0024999999441206455);
    EXPECT_EQ(rec.intervalText(), "0.0025");
    rec.header[block::kModeFlags] = 0x22; // high nibble 2 is not fast sampling
    EXPECT_FALSE(rec.fastSampling());
    auto slow = makeRecording({1}, {2026, 12, 7, 5, 15, 2}, 3600);
    EXPECT_EQ(slow.effectiveInterval(), 3600.0f);
    EXPECT_EQ(slow.intervalText(), "3600");
    // "%d" of the 32-bit field: the top half of the unsigned range reads negative.
    for (const auto& [interval, text] :
         {std::pair{0xFFFFFFFFu, "-1"}, std::pair{0x80000000u, "-2147483648"},
          std::pair{0x7FFFFFFFu, "2147483647"}})
        EXPECT_EQ(makeRecording({1}, {2026, 12, 7, 5, 15, 2}, interval).intervalText(), text);
}

TEST(Recording, NewDocumentHasTwoSecondIntervalAndCreationTime) {
    ScopedTimeZone tz("UTC");
    const Recording rec = newDocumentRecording(1796620503); // 2026-12-07 05:15:03 UTC
    EXPECT_EQ(rec.intervalSeconds(), 2u);
    EXPECT_EQ(rec.startYear(), 2026);
    EXPECT_EQ(rec.startMonth(), 12);
    EXPECT_EQ(rec.startDay(), 7);
    EXPECT_EQ(rec.startHour(), 5);
    EXPECT_EQ(rec.startMinute(), 15);
    EXPECT_EQ(rec.startSecond(), 3);
    EXPECT_EQ(rec.sampleCount, 0);
    EXPECT_EQ(rec.maxIndex, -1);
}

TEST(StartTime, RejectsFieldsOutsideTheirRanges) {
    ScopedTimeZone tz("UTC");
    const test_support::StartFields good{2026, 12, 7, 5, 15, 2};
    EXPECT_EQ(startTime(makeRecording({}, good)), 1796620502);
    // Years have four digits at most, as ISO 8601 writes them.
    EXPECT_EQ(startTime(makeRecording({}, {1, 1, 1, 0, 0, 0})), -62135596800);
    EXPECT_EQ(startTime(makeRecording({}, {9999, 12, 31, 23, 59, 59})), 253402300799);
    EXPECT_TRUE(startTime(makeRecording({}, {1899, 12, 7, 5, 15, 2})).has_value());
    const test_support::StartFields bad[] = {
        {0, 12, 7, 5, 15, 2},          {-1, 12, 7, 5, 15, 2},    {10000, 1, 1, 0, 0, 0},
        {2147483600, 12, 7, 5, 15, 3}, {2026, 0, 7, 5, 15, 2},   {2026, 13, 7, 5, 15, 2},
        {2026, 12, 0, 5, 15, 2},       {2026, 12, 32, 5, 15, 2}, {2026, 12, 7, 24, 15, 2},
        {2026, 12, 7, 5, 60, 2},       {2026, 12, 7, 5, 15, 60}, {0, 0, 0, 255, 255, 255},
    };
    for (const auto& f : bad) {
        SCOPED_TRACE(std::to_string(f.year) + "-" + std::to_string(f.month) + "-" +
                     std::to_string(f.day));
        EXPECT_FALSE(startTime(makeRecording({}, f)).has_value());
    }
}

TEST(StartTime, AYearWhoseSamplesRunPastTheCalendarIsInvalid) {
    // A start near the last year: a later sample's year would have five digits, so the start
    // counts as unbuildable and nothing formats such times.
    ScopedTimeZone tz("UTC");
    const struct {
        test_support::StartFields start;
        std::uint32_t interval;
        std::size_t samples;
        bool valid;
    } cases[] = {
        {{9999, 12, 31, 23, 59, 58}, 1, 2, true},
        {{9999, 12, 31, 23, 59, 58}, 1, 3, false},
        {{2026, 12, 7, 5, 15, 2}, 0xFFFFFFFFu, 2, true},
        {{2026, 12, 7, 5, 15, 2}, 0xFFFFFFFFu, 60, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start.year) + " x" + std::to_string(c.samples));
        auto rec = makeRecording(std::vector<std::uint16_t>(c.samples, 1), c.start, c.interval);
        EXPECT_EQ(startTime(rec).has_value(), c.valid);
    }
    // Times beyond the int years never break down into fields.
    EXPECT_FALSE(breakDownLocal(std::numeric_limits<std::int64_t>::max()).valid);
    // Sample arithmetic saturates instead of overflowing.
    const auto rec = makeRecording({}, {2026, 12, 7, 5, 15, 2}, 0xFFFFFFFFu);
    const auto last = *startTime(makeRecording({}, {9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(sampleTime(rec, std::numeric_limits<std::int64_t>::max() - 5,
                         std::numeric_limits<std::int32_t>::max()),
              "00-00-0,-01:-01:-01");
    EXPECT_EQ(extremeTime(rec, std::numeric_limits<std::int64_t>::max() - 5,
                          std::numeric_limits<std::int32_t>::max()),
              "00-00-0,-01:-01:-01");
    EXPECT_EQ(sampleTime(rec, last, 0), "31-12-9999,23:59:59");
}

TEST(SampleTime, FastSamplingCrossesTheSecondAtSample400) {
    ScopedTimeZone tz("UTC");
    const auto rec = makeRecording({}, {2026, 12, 7, 5, 15, 2}, 0, true);
    const auto start = *startTime(rec);
    EXPECT_EQ(sampleTime(rec, start, 0), "07-12-2026,05:15:02.0000");
    EXPECT_EQ(sampleTime(rec, start, 1), "07-12-2026,05:15:02.0025");
    EXPECT_EQ(sampleTime(rec, start, 399), "07-12-2026,05:15:02.9975");
    EXPECT_EQ(sampleTime(rec, start, 400), "07-12-2026,05:15:03.0000");
    EXPECT_EQ(sampleTime(rec, start, 800), "07-12-2026,05:15:04.0000");
    // Extreme times carry whole seconds only.
    EXPECT_EQ(extremeTime(rec, start, 399), "07-12-2026,05:15:02");
}

TEST(SampleTime, WholeSecondsAcrossMidnightAndNewYear) {
    ScopedTimeZone tz("UTC");
    const auto rec = makeRecording({}, {2026, 12, 31, 23, 59, 58});
    const auto start = *startTime(rec);
    EXPECT_EQ(sampleTime(rec, start, 0), "31-12-2026,23:59:58");
    EXPECT_EQ(sampleTime(rec, start, 1), "31-12-2026,23:59:59");
    EXPECT_EQ(sampleTime(rec, start, 2), "01-01-2027,00:00:00");
    const auto daily = makeRecording({}, {2026, 2, 27, 12, 0, 0}, 86400);
    EXPECT_EQ(sampleTime(daily, *startTime(daily), 2), "01-03-2026,12:00:00");
}

TEST(SampleTime, DaylightSavingChangesInBerlin) {
    ScopedTimeZone tz("Europe/Berlin");
    // Spring: 02:00 CET jumps to 03:00 CEST on 29 March 2026.
    const auto spring = makeRecording({}, {2026, 3, 29, 1, 59, 58});
    const auto s = *startTime(spring);
    EXPECT_EQ(sampleTime(spring, s, 1), "29-03-2026,01:59:59");
    EXPECT_EQ(sampleTime(spring, s, 2), "29-03-2026,03:00:00");
    // Autumn: 03:00 CEST goes back to 02:00 CET on 25 October 2026, so the hour repeats.
    const auto autumn = makeRecording({}, {2026, 10, 25, 1, 59, 59}, 1800);
    const auto a = *startTime(autumn);
    EXPECT_EQ(sampleTime(autumn, a, 1), "25-10-2026,02:29:59");
    EXPECT_EQ(sampleTime(autumn, a, 2), "25-10-2026,02:59:59");
    EXPECT_EQ(sampleTime(autumn, a, 3), "25-10-2026,02:29:59");
    EXPECT_EQ(sampleTime(autumn, a, 4), "25-10-2026,02:59:59");
    EXPECT_EQ(sampleTime(autumn, a, 5), "25-10-2026,03:29:59");
}

TEST(LocalTimeCache, AgreesWithLocaltimeAcrossTransitions) {
    // Every 7 s over two days around both changes of several zones, including one whose
    // change is not on a whole hour (Lord Howe shifts by 30 minutes).
    const struct {
        const char* tz;
        std::int64_t from;
    } zones[] = {{"Europe/Berlin", 1774738800 - 86400},
                 {"Europe/Berlin", 1792886400 - 86400},
                 {"America/New_York", 1772953200 - 86400},
                 {"Australia/Lord_Howe", 1775318400 - 86400},
                 {"UTC", 1796620503}};
    for (const auto& z : zones) {
        SCOPED_TRACE(z.tz);
        ScopedTimeZone tz(z.tz);
        LocalTimeCache cache;
        int mismatches = 0;
        for (std::int64_t t = z.from; t < z.from + 2 * 86400; t += 7) {
            const LocalFields a = cache.fields(t);
            const LocalFields b = breakDownLocal(t);
            if (a.year != b.year || a.month != b.month || a.day != b.day || a.hour != b.hour ||
                a.minute != b.minute || a.second != b.second || a.utcOffset != b.utcOffset)
                ++mismatches;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(FormatLocalTime, InvalidTimePrintsZeroDateAndMinusOneTime) {
    LocalFields f; // not valid
    std::string s;
    appendDayMonthYearTime(s, f);
    EXPECT_EQ(s, "00-00-0,-01:-01:-01");
}

TEST(LoggerModel, StartsAtVoltageModel) {
    EXPECT_EQ(loggerModel(), 710);
}

} // namespace

namespace {
TEST(AppendFraction4, MatchesFixedFormattingWithoutItsFirstCharacter) {
    // The fast path must agree with the C library's "%.4f" everywhere, ties included.
    std::vector<float> values = {0.0f,     1.0f / 32, 3.0f / 32, 0.99995f, 0.99994f, 0.9999499f,
                                 0.00005f, 0.9975f,   0.0025f,   0.5f,     0.12345f, 9.99995f};
    std::uint32_t x = 1;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1664525u + 1013904223u;
        values.push_back(static_cast<float>(x >> 8) / static_cast<float>(1u << 24));
    }
    for (int k = 0; k < 32; ++k)
        values.push_back(static_cast<float>(k) / 32.0f);
    int mismatches = 0;
    for (float f : values) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(f));
        std::string got;
        appendFraction4(got, f);
        if (got != buf + 1 && ++mismatches < 5)
            ADD_FAILURE() << f << ": " << got << " vs " << buf + 1;
    }
    EXPECT_EQ(mismatches, 0);
}
} // namespace
