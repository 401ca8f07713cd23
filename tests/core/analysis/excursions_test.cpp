#include "core/analysis/excursions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/common/byte_order.h"
#include "core/data/test_support.h"

namespace quillmark {
namespace {

Recording withLimits(std::vector<std::uint16_t> samples, float low, float high) {
    Recording rec = test_support::makeRecording(std::move(samples), {2026, 5, 4, 10, 0, 0}, 2);
    putF32LE(&rec.header[block::kAlarmLow], low);
    putF32LE(&rec.header[block::kAlarmHigh], high);
    return rec;
}

// Beyond a limit as a user reads it, independent of the analysis' raw thresholds.
bool beyond(const Recording& rec, Excursion::Kind kind, std::uint16_t raw) {
    const bool over = raw > 31000;
    const float v = static_cast<float>(raw / 1000.0);
    return kind == Excursion::Kind::High ? over || v > rec.alarmHigh()
                                         : !over && v < rec.alarmLow();
}

// Random walks with long flat stretches, spikes and over-range bursts around the limits.
std::vector<std::uint16_t> walk(unsigned seed, int n) {
    std::mt19937 rng(seed);
    std::vector<std::uint16_t> s;
    int v = 10000;
    while (static_cast<int>(s.size()) < n) {
        const int kind = static_cast<int>(rng() % 6);
        const int len = 1 + static_cast<int>(rng() % 300);
        for (int k = 0; k < len && static_cast<int>(s.size()) < n; ++k) {
            if (kind == 0)
                s.push_back(45000);
            else if (kind == 1)
                s.push_back(static_cast<std::uint16_t>(v));
            else
                s.push_back(static_cast<std::uint16_t>(
                    v = std::clamp(v + static_cast<int>(rng() % 2001) - 1000, 0, 31000)));
        }
    }
    return s;
}

TEST(Excursions, ListAgreesWithAlarmFigures) {
    struct Case {
        const char* what;
        std::vector<std::uint16_t> samples;
        float low, high;
    };
    const std::vector<Case> cases = {
        {"none beyond", std::vector<std::uint16_t>(500, 10000), 5.0f, 20.0f},
        {"all over range", std::vector<std::uint16_t>(700, 45000), 5.0f, 20.0f},
        {"exactly on the limits", {5000, 20000, 4999, 20001, 5000}, 5.0f, 20.0f},
        {"limits crossed", walk(3, 5000), 20.0f, 5.0f},
        {"walk", walk(1, 20000), 8.0f, 12.0f},
        {"walk, tight limits", walk(2, 20000), 9.9f, 10.1f},
    };
    for (const Case& c : cases) {
        const Recording rec = withLimits(c.samples, c.low, c.high);
        const std::int64_t n = static_cast<std::int64_t>(c.samples.size());
        for (const std::int64_t block : {1, 64, 1024}) {
            const RangeAnalysis analysis(rec, block);
            for (const auto& [first, last] : {std::pair<std::int64_t, std::int64_t>{0, n - 1},
                                              {1, n - 2},
                                              {n / 3, n / 3},
                                              {n / 7, n - n / 5}}) {
                SCOPED_TRACE(testing::Message()
                             << c.what << ", block " << block << ", " << first << ".." << last);
                const RangeStatistics s = analysis.statistics(first, last, 1.0);
                const auto all = listExcursions(rec, analysis, first, last, SIZE_MAX);
                for (const auto kind : {Excursion::Kind::High, Excursion::Kind::Low}) {
                    const AlarmFigures& f =
                        kind == Excursion::Kind::High ? s.alarmHigh : s.alarmLow;
                    std::int64_t count = 0, samples = 0, longest = 0;
                    for (const Excursion& e : all) {
                        if (e.kind != kind)
                            continue;
                        ++count;
                        samples += e.samples();
                        longest = std::max(longest, e.samples());
                        // Maximal runs inside the range, each with its extreme.
                        ASSERT_TRUE(e.first >= first && e.last <= last && e.first <= e.last);
                        std::uint16_t extreme = rec.samples[e.first];
                        for (std::int64_t i = e.first; i <= e.last; ++i) {
                            ASSERT_TRUE(beyond(rec, kind, rec.samples[i])) << i;
                            extreme = kind == Excursion::Kind::High
                                          ? std::max(extreme, rec.samples[i])
                                          : std::min(extreme, rec.samples[i]);
                        }
                        EXPECT_EQ(e.extremeRaw, extreme);
                        EXPECT_TRUE(e.first == first ||
                                    !beyond(rec, kind, rec.samples[e.first - 1]));
                        EXPECT_TRUE(e.last == last || !beyond(rec, kind, rec.samples[e.last + 1]));
                    }
                    EXPECT_EQ(count, f.excursions);
                    EXPECT_EQ(samples, f.samples);
                    EXPECT_EQ(longest, f.longestSamples);
                }
                for (std::size_t k = 1; k < all.size(); ++k)
                    EXPECT_TRUE(all[k - 1].first < all[k].first ||
                                (all[k - 1].first == all[k].first &&
                                 all[k - 1].kind == Excursion::Kind::High))
                        << k;
                // A shorter list is the start of the full one, runs complete to their ends.
                for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{50}}) {
                    const auto some = listExcursions(rec, analysis, first, last, limit);
                    ASSERT_EQ(some.size(), std::min(limit, all.size()));
                    for (std::size_t k = 0; k < some.size(); ++k)
                        EXPECT_TRUE(some[k].first == all[k].first && some[k].last == all[k].last &&
                                    some[k].kind == all[k].kind &&
                                    some[k].extremeRaw == all[k].extremeRaw)
                            << k;
                }
            }
        }
    }
}

} // namespace
} // namespace quillmark
