// Range statistics and Fit Values on a 10,000,000-sample recording, against the plain loop
// over the same ranges measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "core/analysis/range_analysis.h"
#include "core/common/byte_order.h"

using namespace quillmark;

namespace {

constexpr std::int64_t kSamples = 10'000'000;
constexpr std::int64_t kLongRange = kSamples - 999; // ends off the block boundaries

// A slow swing across both alarm limits with noise, and short over-range bursts.
const Recording& recording() {
    static const Recording rec = [] {
        Recording r;
        putU32LE(&r.header[block::kIntervalSeconds], 1);
        putF32LE(&r.header[block::kAlarmLow], 5.0f);
        putF32LE(&r.header[block::kAlarmHigh], 20.0f);
        r.samples.resize(kSamples);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> noise(-300, 300);
        for (std::int64_t i = 0; i < kSamples; ++i) {
            const int v = 12500 + static_cast<int>(9000.0 * std::sin(i / 20000.0)) + noise(rng);
            r.samples[static_cast<std::size_t>(i)] =
                i % 250'000 < 40 ? std::uint16_t{45000} : static_cast<std::uint16_t>(v);
        }
        r.sampleCount = static_cast<std::int32_t>(kSamples);
        return r;
    }();
    return rec;
}

const RangeAnalysis& analysis() {
    static const RangeAnalysis a(recording());
    return a;
}

// 64 ranges of the given length at random places.
std::vector<std::pair<std::int64_t, std::int64_t>> ranges(std::int64_t length) {
    std::mt19937_64 rng(static_cast<std::uint64_t>(length));
    std::vector<std::pair<std::int64_t, std::int64_t>> out;
    for (int k = 0; k < 64; ++k) {
        const auto first =
            static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(kSamples - length + 1));
        out.emplace_back(first, first + length - 1);
    }
    return out;
}

struct Plain {
    double min = 0, max = 0, sum = 0, squares = 0;
    std::int64_t minIndex = -1, maxIndex = -1, valid = 0, above = 0, aboveRuns = 0, below = 0,
                 belowRuns = 0, longestAbove = 0, longestBelow = 0;
};

// The straightforward one-pass computation of the same figures.
Plain plainStatistics(const Recording& rec, std::int64_t first, std::int64_t last, double factor) {
    Plain p;
    const float low = rec.alarmLow(), high = rec.alarmHigh();
    std::int64_t runAbove = 0, runBelow = 0;
    for (std::int64_t i = first; i <= last; ++i) {
        const std::uint16_t raw = rec.samples[static_cast<std::size_t>(i)];
        const bool over = isOverRangeSample(raw);
        const float base = static_cast<float>(raw / 1000.0);
        const bool above = over || base > high;
        const bool below = !over && base < low;
        runAbove = above ? runAbove + 1 : 0;
        runBelow = below ? runBelow + 1 : 0;
        p.above += above;
        p.below += below;
        p.aboveRuns += runAbove == 1;
        p.belowRuns += runBelow == 1;
        p.longestAbove = std::max(p.longestAbove, runAbove);
        p.longestBelow = std::max(p.longestBelow, runBelow);
        if (over)
            continue;
        const double v = convertedValue(raw, factor);
        if (p.valid == 0 || v >= p.max) {
            p.max = v;
            p.maxIndex = i;
        }
        if (p.valid == 0 || v <= p.min) {
            p.min = v;
            p.minIndex = i;
        }
        p.sum += v;
        p.squares += v * v;
        ++p.valid;
    }
    return p;
}

void BM_RangeAnalysisBuild(benchmark::State& state) {
    const Recording& rec = recording();
    for (auto _ : state) {
        RangeAnalysis a(rec);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_RangeAnalysisBuild)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

void BM_RangeStatistics(benchmark::State& state) {
    const RangeAnalysis& a = analysis();
    const auto rs = ranges(state.range(0));
    std::size_t k = 0;
    for (auto _ : state) {
        const auto& [first, last] = rs[k++ % rs.size()];
        benchmark::DoNotOptimize(a.statistics(first, last, 1.0));
    }
}
void BM_PlainStatisticsLoop(benchmark::State& state) {
    const Recording& rec = recording();
    const auto rs = ranges(state.range(0));
    std::size_t k = 0;
    for (auto _ : state) {
        const auto& [first, last] = rs[k++ % rs.size()];
        benchmark::DoNotOptimize(plainStatistics(rec, first, last, 1.0));
    }
}
void BM_FitValues(benchmark::State& state) {
    const RangeAnalysis& a = analysis();
    const auto rs = ranges(state.range(0));
    std::size_t k = 0;
    for (auto _ : state) {
        const auto& [first, last] = rs[k++ % rs.size()];
        benchmark::DoNotOptimize(a.fitValues(first, last, 1.0));
    }
}
BENCHMARK(BM_RangeStatistics)
    ->Arg(100'000)
    ->Arg(kLongRange)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_PlainStatisticsLoop)
    ->Arg(100'000)
    ->Arg(kLongRange)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FitValues)
    ->Arg(100'000)
    ->Arg(kLongRange)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace
