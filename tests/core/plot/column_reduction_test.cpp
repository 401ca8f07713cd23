#include "core/plot/column_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace quillmark {
namespace {

std::vector<std::uint16_t> randomWalk(std::size_t n, unsigned seed, int step) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-step, step);
    std::vector<std::uint16_t> v(n);
    int x = 15000;
    for (auto& s : v) {
        x = std::clamp(x + d(rng), 0, 65535);
        s = static_cast<std::uint16_t>(x);
    }
    return v;
}

// Noise over the whole raw range: values and steps on both sides of 0x8000, 0 and 65535.
std::vector<std::uint16_t> fullRangeNoise(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(0, 65535);
    std::vector<std::uint16_t> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = static_cast<std::uint16_t>(i % 97 == 0 ? 65535 * (i % 2) : d(rng));
    }
    return v;
}

TEST(SampleSummary, QueryMatchesAScan) {
    // Lengths off and on the block size.
    for (const auto& v : {randomWalk(5000, 7, 300), fullRangeNoise(4999, 5),
                          fullRangeNoise(64 * 40, 9), randomWalk(65, 2, 40000)}) {
        const auto n = static_cast<std::int64_t>(v.size());
        const SampleSummary s(v.data(), n);
        std::mt19937 rng(3);
        std::uniform_int_distribution<std::int64_t> pick(0, n - 1);
        for (int t = 0; t < 500; ++t) {
            std::int64_t a = pick(rng);
            std::int64_t b = pick(rng);
            if (a > b) {
                std::swap(a, b);
            }
            if (t % 2 == 1) {
                b = std::min(n - 1, a + b % 200); // short: the ends are scanned sample by sample
            }
            const auto r = s.query(a, b);
            const auto [mn, mx] = std::minmax_element(v.begin() + a, v.begin() + b + 1);
            int step = 0;
            for (std::int64_t i = a; i < b; ++i) {
                step = std::max(step, std::abs(int(v[i + 1]) - int(v[i])));
            }
            ASSERT_EQ(r.minRaw, *mn) << n << ": " << a << ".." << b;
            ASSERT_EQ(r.maxRaw, *mx) << n << ": " << a << ".." << b;
            const auto e = s.extremes(a, b);
            ASSERT_EQ(e.minRaw, *mn) << n << ": " << a << ".." << b;
            ASSERT_EQ(e.maxRaw, *mx) << n << ": " << a << ".." << b;
            // The step may include the one just past the range, never less than the true one.
            ASSERT_GE(r.maxStep, step) << n << ": " << a << ".." << b;
            const int past = b + 1 < n ? std::abs(int(v[b + 1]) - int(v[b])) : 0;
            ASSERT_LE(r.maxStep, std::max(step, past)) << n << ": " << a << ".." << b;
        }
    }
}

// Brute force: the distinct (x, y) of every sample from trunc(xOffset) and the vertical
// extent per column.
struct Columns {
    std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> extent;
    std::set<std::pair<std::int64_t, std::int64_t>> dots;
};

Columns bruteForce(const std::vector<std::uint16_t>& v, const CurveMapping& m) {
    Columns c;
    for (std::int64_t i = static_cast<std::int64_t>(m.xOffset); i < std::int64_t(v.size()); ++i) {
        const std::int64_t x = m.x(i);
        const std::int64_t y = m.y(v[i]);
        if (x > m.left + m.width + 8) {
            break;
        }
        auto [it, fresh] = c.extent.try_emplace(x, y, y);
        it->second.first = std::min(it->second.first, y);
        it->second.second = std::max(it->second.second, y);
        if (x >= m.left - 8 && y >= m.top - 8 && y <= m.top + m.height + 8) {
            c.dots.insert({x, y});
        }
    }
    return c;
}

TEST(ReduceCurve, KeepsEveryColumnExtentAndEveryDot) {
    struct Case {
        std::size_t n;
        int step;
        double samplesPerPixel;
        double xOffset;
        double yScale;
    };
    for (const Case c : {Case{20000, 40, 25.0, 0, 35.0 / 440}, Case{20000, 3000, 25.0, 0, 0.08},
                         Case{200000, 5, 300.0, 0, 0.08}, Case{200000, 5000, 300.0, 1000.5, 0.05},
                         Case{3000, 200, 0.3, 17.25, 0.08}, Case{3000, 200, 1.0, 0, 0.01}}) {
        const auto v = randomWalk(c.n, static_cast<unsigned>(c.n + c.step), c.step);
        const SampleSummary s(v.data(), static_cast<std::int64_t>(v.size()));
        CurveMapping m;
        m.xScale = c.samplesPerPixel;
        m.xOffset = c.xOffset;
        m.yScale = c.yScale;
        m.yOffset = 5.0;
        m.left = 50;
        m.top = 40;
        m.width = 700;
        m.height = 400;
        ReducedCurve out;
        reduceCurve(s, m, true, out);
        const Columns want = bruteForce(v, m);

        std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> got;
        for (std::size_t i = 0; i < out.xs.size(); ++i) {
            auto [it, fresh] = got.try_emplace(out.xs[i], out.ys[i], out.ys[i]);
            it->second.first = std::min(it->second.first, out.ys[i]);
            it->second.second = std::max(it->second.second, out.ys[i]);
        }
        // The reduced path may end with the first point past the right edge.
        if (!out.xs.empty() && out.xs.back() > m.left + m.width + 8) {
            got.erase(out.xs.back());
        }
        EXPECT_EQ(got, want.extent) << c.n << " " << c.step << " " << c.samplesPerPixel;

        std::set<std::pair<std::int64_t, std::int64_t>> dots;
        for (const DotRun& r : out.dots) {
            for (std::int64_t y = r.yTop; y <= r.yBottom; ++y) {
                dots.insert({r.x, y});
            }
        }
        EXPECT_EQ(dots, want.dots) << c.n << " " << c.step << " " << c.samplesPerPixel;
        // The reduction must actually reduce dense data.
        if (c.samplesPerPixel > 10) {
            EXPECT_LE(out.xs.size(), 4 * (want.extent.size() + 1));
        }
    }
}

TEST(ReduceCurve, StopsPastTheRightEdgeAndStartsAtTheOffset) {
    std::vector<std::uint16_t> v(10000, 1000);
    const SampleSummary s(v.data(), 10000);
    CurveMapping m;
    m.xScale = 1.0;
    m.xOffset = 100.0;
    m.yScale = 0.1;
    m.left = 50;
    m.top = 40;
    m.width = 200;
    m.height = 100;
    ReducedCurve out;
    reduceCurve(s, m, false, out);
    ASSERT_FALSE(out.xs.empty());
    EXPECT_EQ(out.xs.front(), 50);
    EXPECT_EQ(out.xs.back(), 50 + 200 + 9);
    EXPECT_TRUE(out.dots.empty());
}

TEST(ReduceCurve, DotRowsKeptBetweenFramesMatchAFreshReduction) {
    // Full-scale noise: every dense column's dots are read sample by sample, then kept for
    // the next frame of the same zoom. Pans, value zooms and other zooms must not reuse
    // rows that no longer apply.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> d(0, 30000);
    std::vector<std::uint16_t> v(120000);
    for (auto& x : v) {
        x = static_cast<std::uint16_t>(d(rng));
    }
    const SampleSummary kept(v.data(), static_cast<std::int64_t>(v.size()));
    CurveMapping m;
    m.xScale = 150.0;
    m.yScale = 35.0 / 400;
    m.left = 50;
    m.top = 40;
    m.width = 700;
    m.height = 400;
    m.dotRunGap = 4;
    struct Step {
        double xOffset;
        double xScale;
        double yOffset;
        std::int32_t top;
    };
    for (const Step st :
         {Step{0, 150.0, 0, 40}, Step{0, 150.0, 0, 40}, Step{1234.5, 150.0, 0, 40},
          Step{75.0, 150.0, 0, 40}, Step{75.0, 150.0, 3.0, 40}, Step{75.0, 150.0, 3.0, 60},
          Step{75.0, 149.0, 3.0, 60}, Step{0, 150.0, 0, 40}}) {
        m.xOffset = st.xOffset;
        m.xScale = st.xScale;
        m.yOffset = st.yOffset;
        m.top = st.top;
        ReducedCurve got;
        reduceCurve(kept, m, true, got);
        const SampleSummary fresh(v.data(), static_cast<std::int64_t>(v.size()));
        ReducedCurve want;
        reduceCurve(fresh, m, true, want);
        ASSERT_FALSE(want.dots.empty());
        ASSERT_EQ(got.dots.size(), want.dots.size()) << st.xOffset << " " << st.yOffset;
        for (std::size_t i = 0; i < want.dots.size(); ++i) {
            ASSERT_EQ(got.dots[i].x, want.dots[i].x) << i;
            ASSERT_EQ(got.dots[i].yTop, want.dots[i].yTop) << i;
            ASSERT_EQ(got.dots[i].yBottom, want.dots[i].yBottom) << i;
        }
        EXPECT_EQ(got.xs, want.xs);
        EXPECT_EQ(got.ys, want.ys);
    }
}

} // namespace
} // namespace quillmark
