#include "core/analysis/range_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/common/byte_order.h"
#include "core/data/test_support.h"

namespace quillmark {
namespace {

constexpr double kFast = 0.0024999999441206455;

Recording withLimits(std::vector<std::uint16_t> samples, float low, float high, bool fast = false) {
    Recording rec =
        test_support::makeRecording(std::move(samples), {2026, 5, 4, 10, 0, 0}, 2, fast);
    putF32LE(&rec.header[block::kAlarmLow], low);
    putF32LE(&rec.header[block::kAlarmHigh], high);
    return rec;
}

// The plain computation: one pass over the range for everything, a second for the deviation.
RangeStatistics naive(const Recording& rec, std::int64_t first, std::int64_t last, double factor) {
    RangeStatistics r;
    r.first = first;
    r.last = last;
    r.count = last - first + 1;
    double sum = 0.0;
    std::int64_t valid = 0;
    std::int64_t openHigh = 0, openLow = 0;
    const auto run = [](AlarmFigures& a, std::int64_t& open, bool beyond) {
        open = beyond ? open + 1 : 0;
        a.samples += beyond;
        a.excursions += open == 1;
        a.longestSamples = std::max(a.longestSamples, open);
    };
    for (std::int64_t i = first; i <= last; ++i) {
        const std::uint16_t raw = rec.samples[static_cast<std::size_t>(i)];
        const bool over = raw > 31000;
        const float base = static_cast<float>(raw / 1000.0);
        run(r.alarmHigh, openHigh, over || base > rec.alarmHigh());
        run(r.alarmLow, openLow, !over && base < rec.alarmLow());
        if (over) {
            ++r.overRange;
            continue;
        }
        const double v = raw * factor / 1000.0;
        if (valid == 0 || v >= r.max) {
            r.max = v;
            r.maxIndex = i;
        }
        if (valid == 0 || v <= r.min) {
            r.min = v;
            r.minIndex = i;
        }
        sum += v;
        ++valid;
    }
    r.mean = sum / static_cast<double>(valid);
    double squares = 0.0;
    for (std::int64_t i = first; i <= last; ++i) {
        const std::uint16_t raw = rec.samples[static_cast<std::size_t>(i)];
        if (raw <= 31000)
            squares += std::pow(raw * factor / 1000.0 - r.mean, 2);
    }
    r.stddev = std::sqrt(squares / static_cast<double>(valid));
    return r;
}

void expectNear(double actual, double expected, double scale, const char* what) {
    EXPECT_NEAR(actual, expected, 1e-9 * scale) << what;
}

void expectSameAlarm(const AlarmFigures& a, const AlarmFigures& b, const char* which) {
    EXPECT_EQ(a.samples, b.samples) << which;
    EXPECT_EQ(a.excursions, b.excursions) << which;
    EXPECT_EQ(a.longestSamples, b.longestSamples) << which;
}

// Stretches that make block summaries work: long excursions over whole blocks, flat runs,
// over-range bursts, values on the limits and rapid crossings.
std::vector<std::uint16_t> testSignal(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint16_t> v;
    int x = 12000;
    while (v.size() < n) {
        const auto len = std::uniform_int_distribution<std::size_t>(1, 2500)(rng);
        const int kind = std::uniform_int_distribution<int>(0, 5)(rng);
        for (std::size_t k = 0; k < len && v.size() < n; ++k) {
            switch (kind) {
            case 0: // random walk
                x = std::clamp(x + std::uniform_int_distribution<int>(-400, 400)(rng), 0, 31000);
                v.push_back(static_cast<std::uint16_t>(x));
                break;
            case 1: // flat
                v.push_back(static_cast<std::uint16_t>(x));
                break;
            case 2: // over range, as downloaded or as some file holds it
                v.push_back(k % 3 ? 45000 : static_cast<std::uint16_t>(31001 + k % 30000));
                break;
            case 3: // on and around the high limit
                v.push_back(static_cast<std::uint16_t>(19999 + rng() % 3));
                break;
            case 4: // on and around the low limit
                v.push_back(static_cast<std::uint16_t>(4999 + rng() % 3));
                break;
            default: // well above the high limit
                v.push_back(static_cast<std::uint16_t>(25000 + rng() % 100));
            }
        }
    }
    return v;
}

TEST(RangeAnalysis, BlockSummariesAgreeWithPlainComputation) {
    const Recording rec = withLimits(testSignal(20011, 5), 5.0f, 20.0f);
    const std::int64_t n = rec.sampleCount;
    for (const std::int64_t blockSize : {1, 7, 64, 1024}) {
        const RangeAnalysis analysis(rec, blockSize);
        std::vector<std::pair<std::int64_t, std::int64_t>> ranges = {{0, n - 1}, {n - 1, n - 1}};
        // Every combination of ends just before, on and after block boundaries.
        for (const std::int64_t a : {blockSize, 3 * blockSize})
            for (const std::int64_t b : {2 * blockSize, 5 * blockSize, n - n % blockSize})
                for (int da = -1; da <= 1; ++da)
                    for (int db = -2; db <= 0; ++db)
                        ranges.emplace_back(a + da, b + db);
        std::mt19937 rng(static_cast<unsigned>(blockSize));
        std::uniform_int_distribution<std::int64_t> pick(0, n - 1);
        for (int k = 0; k < 300; ++k) {
            const std::int64_t a = pick(rng), b = pick(rng);
            const std::int64_t first = std::min(a, b); // every third one short
            ranges.emplace_back(first, k % 3 ? std::max(a, b) : std::min(n - 1, first + k));
        }
        for (const auto& [first, last] : ranges) {
            if (first < 0 || last >= n || first > last)
                continue;
            for (const double factor : {1.0, 196.87}) {
                SCOPED_TRACE(testing::Message() << "block " << blockSize << " range " << first
                                                << ".." << last << " factor " << factor);
                const RangeStatistics got = analysis.statistics(first, last, factor);
                const RangeStatistics want = naive(rec, first, last, factor);
                ASSERT_EQ(got.count, want.count);
                EXPECT_EQ(got.overRange, want.overRange);
                EXPECT_EQ(got.minIndex, want.minIndex);
                EXPECT_EQ(got.maxIndex, want.maxIndex);
                if (want.minIndex >= 0) {
                    EXPECT_EQ(got.min, want.min);
                    EXPECT_EQ(got.max, want.max);
                    expectNear(got.mean, want.mean, std::abs(want.mean), "mean");
                    // The plain sums carry rounding noise of about 1e-14 of the mean.
                    expectNear(got.stddev, want.stddev, want.stddev + 1e-3 * std::abs(want.mean),
                               "stddev");
                }
                expectSameAlarm(got.alarmHigh, want.alarmHigh, "high");
                expectSameAlarm(got.alarmLow, want.alarmLow, "low");
            }
        }
    }
}

TEST(RangeAnalysis, StandardDeviationKeepsPrecisionOnALargeOffset) {
    // A constant near the top of the range with one sample a thousandth higher: sums of
    // squares in doubles lose this, exact integer sums do not.
    std::vector<std::uint16_t> v(1'000'000, 30999);
    v[123457] = 31000;
    const Recording rec = withLimits(v, 0.0f, 40.0f);
    const RangeAnalysis analysis(rec);
    const RangeStatistics s = analysis.statistics(0, rec.sampleCount - 1, 1.0);
    const double n = 1e6;
    EXPECT_NEAR(s.stddev, 0.001 * std::sqrt((n - 1) / (n * n)), 1e-15);
    EXPECT_EQ(s.maxIndex, 123457);
    EXPECT_EQ(s.minIndex, rec.sampleCount - 1);
}

struct Figures {
    std::int64_t samples, excursions, longest;
};

struct RuleCase {
    const char* name;
    std::vector<std::uint16_t> samples;
    struct {
        float low, high;
        std::int64_t first, last;
        double factor = 1.0;
        bool fast = false;
    } in;
    struct {
        std::int64_t count, overRange, minIndex, maxIndex;
        double min, max, mean, stddev; // NaN where there is no valid sample
    } want;
    Figures above, below;
};

TEST(RangeAnalysis, RulesTable) {
    const double none = std::nan("");
    const std::vector<std::uint16_t> crossing = {21000, 22000, 23000, 10000, 25000, 26000, 10000};
    const std::vector<RuleCase> cases = {
        {"range starts inside an excursion",
         crossing,
         {0, 20, 1, 5},
         {5, 0, 3, 5, 10.0, 26.0, 21.2, std::sqrt(33.36)},
         {4, 2, 2},
         {0, 0, 0}},
        {"range ends inside an excursion",
         crossing,
         {0, 20, 3, 4},
         {2, 0, 3, 4, 10.0, 25.0, 17.5, 7.5},
         {1, 1, 1},
         {0, 0, 0}},
        {"all over range: no figures, one excursion above, never below",
         {45000, 45000, 32000},
         {50, 50, 0, 2},
         {3, 3, -1, -1, none, none, none, none},
         {3, 1, 3},
         {0, 0, 0}},
        {"over range left out of min, max and mean",
         {1000, 45000, 3000},
         {0, 20, 0, 2},
         {3, 1, 0, 2, 1.0, 3.0, 2.0, 1.0},
         {1, 1, 1},
         {0, 0, 0}},
        {"flat data",
         {12000, 12000, 12000, 12000, 12000},
         {0, 20, 0, 4},
         {5, 0, 4, 4, 12.0, 12.0, 12.0, 0.0},
         {0, 0, 0},
         {0, 0, 0}},
        {"ties go to the last occurrence",
         {5000, 9000, 9000, 2000, 2000},
         {0, 20, 0, 4},
         {5, 0, 4, 2, 2.0, 9.0, 5.4, std::sqrt(9.84)},
         {0, 0, 0},
         {0, 0, 0}},
        {"a value equal to a limit is not beyond it",
         {2000, 2001, 1000, 999},
         {1, 2, 0, 3},
         {4, 0, 3, 1, 0.999, 2.001, 1.5, std::sqrt(0.2505005)},
         {1, 1, 1},
         {1, 1, 1}},
        {"limits entered as 0.1 and 0.2 equal samples of 0.100 and 0.200",
         {100, 99, 200, 201},
         {0.1f, 0.2f, 0, 3},
         {4, 0, 1, 3, 0.099, 0.201, 0.15, std::sqrt(0.0025505)},
         {1, 1, 1},
         {1, 1, 1}},
        {"runs split by one sample",
         {500, 500, 5000, 500, 500, 500, 5000},
         {1, 4, 0, 6},
         {7, 0, 5, 6, 0.5, 5.0, 12.5 / 7, std::sqrt(51.25 / 7 - std::pow(12.5 / 7, 2))},
         {2, 2, 1},
         {5, 2, 3}},
        {"fast sampling",
         std::vector<std::uint16_t>(10, 2000),
         {0, 1, 0, 9, 1.0, true},
         {10, 0, 9, 9, 2.0, 2.0, 2.0, 0.0},
         {10, 1, 10},
         {0, 0, 0}},
        {"display unit km/h",
         {10000, 20000},
         {0, 15, 0, 1, 3.6},
         {2, 0, 0, 1, 36.0, 72.0, 54.0, 18.0},
         {1, 1, 1},
         {0, 0, 0}},
    };
    const auto same = [](double a, double b) {
        return std::isnan(b) ? std::isnan(a) : std::abs(a - b) <= 1e-12 * (1 + std::abs(b));
    };
    for (const auto& c : cases) {
        const Recording rec = withLimits(c.samples, c.in.low, c.in.high, c.in.fast);
        const double interval = c.in.fast ? kFast : 2.0;
        for (const std::int64_t blockSize : {1, 2, 3, 1024}) {
            SCOPED_TRACE(testing::Message() << c.name << ", block " << blockSize);
            const RangeStatistics s =
                RangeAnalysis(rec, blockSize).statistics(c.in.first, c.in.last, c.in.factor);
            EXPECT_EQ(s.count, c.want.count);
            EXPECT_EQ(s.overRange, c.want.overRange);
            EXPECT_EQ(s.minIndex, c.want.minIndex);
            EXPECT_EQ(s.maxIndex, c.want.maxIndex);
            EXPECT_PRED2(same, s.min, c.want.min);
            EXPECT_PRED2(same, s.max, c.want.max);
            EXPECT_PRED2(same, s.mean, c.want.mean);
            EXPECT_PRED2(same, s.stddev, c.want.stddev);
            EXPECT_EQ(s.durationSeconds, static_cast<double>(c.in.last - c.in.first) * interval);
            EXPECT_EQ(s.alarmHigh.limit, static_cast<float>(c.in.high * c.in.factor));
            EXPECT_EQ(s.alarmHigh.samples, c.above.samples);
            EXPECT_EQ(s.alarmHigh.excursions, c.above.excursions);
            EXPECT_EQ(s.alarmHigh.longestSamples, c.above.longest);
            EXPECT_EQ(s.alarmHigh.seconds, static_cast<double>(c.above.samples) * interval);
            EXPECT_EQ(s.alarmLow.samples, c.below.samples);
            EXPECT_EQ(s.alarmLow.excursions, c.below.excursions);
            EXPECT_EQ(s.alarmLow.longestSamples, c.below.longest);
        }
    }
}

TEST(RangeAnalysis, RangesAreClampedToTheRecording) {
    const Recording rec = withLimits({1000, 2000, 3000}, 0.0f, 20.0f);
    const RangeAnalysis analysis(rec);
    const RangeStatistics s = analysis.statistics(-5, 10, 1.0);
    EXPECT_EQ(s.first, 0);
    EXPECT_EQ(s.last, 2);
    EXPECT_EQ(s.count, 3);
    for (const auto& [first, last] :
         std::vector<std::pair<std::int64_t, std::int64_t>>{{3, 10}, {2, 1}, {-4, -1}}) {
        const RangeStatistics e = analysis.statistics(first, last, 1.0);
        EXPECT_EQ(e.count, 0);
        EXPECT_EQ(e.minIndex, -1);
        EXPECT_TRUE(std::isnan(e.mean));
    }
    EXPECT_EQ(RangeAnalysis(Recording{}).statistics(0, 0, 1.0).count, 0);
}

TEST(RangeAnalysis, FitValuesTable) {
    struct Case {
        const char* name;
        std::vector<std::uint16_t> samples;
        std::int64_t first, last;
        double factor;
        std::optional<std::pair<double, double>> span;
    };
    const std::vector<Case> cases = {
        {"5% of the span on each side", {10000, 20000}, 0, 1, 1.0, {{9.5, 20.5}}},
        {"in the display unit", {10000, 20000}, 0, 1, 3.6, {{34.2, 73.8}}},
        {"over range left out", {45000, 10000, 32000, 20000}, 0, 3, 1.0, {{9.5, 20.5}}},
        {"only the given range", {1000, 10000, 20000, 30000}, 1, 2, 1.0, {{9.5, 20.5}}},
        {"flat data gets one unit around the value",
         {12000, 12000, 12000},
         0,
         2,
         1.0,
         {{11.5, 12.5}}},
        {"a narrow span widens around its middle", {12000, 12200}, 0, 1, 1.0, {{11.6, 12.6}}},
        {"nothing below zero", {0, 5000}, 0, 1, 1.0, {{0.0, 5.5}}},
        {"flat zero", {0, 0}, 0, 1, 1.0, {{0.0, 1.0}}},
        {"all over range", {45000, 45000}, 0, 1, 1.0, std::nullopt},
        {"outside the recording", {1000}, 1, 5, 1.0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Recording rec = withLimits(c.samples, 0.0f, 20.0f);
        const auto fit = RangeAnalysis(rec, 2).fitValues(c.first, c.last, c.factor);
        ASSERT_EQ(fit.has_value(), c.span.has_value());
        if (fit) {
            EXPECT_NEAR(fit->low, c.span->first, 1e-12);
            EXPECT_NEAR(fit->high, c.span->second, 1e-12);
        }
    }
}

} // namespace
} // namespace quillmark
