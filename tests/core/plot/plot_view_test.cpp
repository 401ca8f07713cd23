#include "core/plot/plot_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>

#include "core/analysis/range_analysis.h"
#include "core/data/test_support.h"

namespace quillmark {
namespace {

using test_support::makeRecording;
using test_support::StartFields;

std::shared_ptr<const Recording> shared(Recording rec) {
    return std::make_shared<const Recording>(std::move(rec));
}

std::vector<std::uint16_t> ramp(int n, int from = 1000, int step = 7) {
    std::vector<std::uint16_t> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        v[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(from + (i * step) % 20000);
    }
    return v;
}

// A 900 x 440 plot area at View All over `rec`.
PlotView viewOf(std::shared_ptr<const Recording> rec) {
    PlotView v;
    v.geometry().resize(1000, 520);
    EXPECT_TRUE(v.setRecording(std::move(rec)));
    v.resetView();
    return v;
}

TEST(PlotView, InvalidStartTimeChangesNothing) {
    PlotView v = viewOf(shared(makeRecording(ramp(100), {2026, 5, 4, 10, 0, 0})));
    const auto before = v.recording();
    EXPECT_FALSE(v.setRecording(shared(makeRecording(ramp(5), {2026, 13, 4, 10, 0, 0}))));
    EXPECT_EQ(v.recording(), before);
    EXPECT_EQ(v.scene(kModelVoltage).sampleCount, 100);
}

TEST(PlotView, PanAndZoomStayInsideTheRangeAndUndoInReverse) {
    PlotView v = viewOf(shared(makeRecording(ramp(1000), {2026, 5, 4, 10, 0, 0})));
    const DataWindow all = v.geometry().window();
    // View All cannot pan and is no history step.
    EXPECT_FALSE(v.panTime(1.0));
    EXPECT_FALSE(v.panTime(-1.0));
    v.viewAll();
    EXPECT_EQ(v.historySize(), 0u);

    ASSERT_TRUE(v.zoomTimeAboutCentre(0.5));
    const DataWindow zoomed = v.geometry().window();
    EXPECT_NEAR(zoomed.xSpan, all.xSpan / 2, 1e-9);
    ASSERT_TRUE(v.panTime(-5.0)); // far past the start: stops at sample 0
    EXPECT_EQ(v.geometry().xOffset, 0.0);
    const DataWindow atStart = v.geometry().window();
    ASSERT_TRUE(v.panTime(5.0)); // far past the end: stops with the last sample at the edge
    EXPECT_NEAR(v.geometry().xOffset + v.geometry().window().xSpan, 1000.0, 1e-9);
    EXPECT_FALSE(v.panTime(1.0));
    EXPECT_EQ(v.historySize(), 3u);

    for (const DataWindow& w : {atStart, zoomed, all}) {
        ASSERT_TRUE(v.undoZoom());
        EXPECT_EQ(v.geometry().window(), w);
    }
    EXPECT_FALSE(v.undoZoom());

    // Zooming in stops at the floor of samples per pixel; the last step still counts.
    int steps = 0;
    while (v.zoomTimeAboutCentre(0.5) && steps < 100) {
        ++steps;
    }
    EXPECT_LT(steps, 100);
    EXPECT_GE(v.geometry().xScale, kMinZoomScale * 0.5);
    // A new recording forgets the history.
    v.setRecording(shared(makeRecording(ramp(10), {2026, 5, 4, 10, 0, 0})));
    EXPECT_FALSE(v.undoZoom());
}

TEST(PlotView, FitValuesSpansTheVisibleValidSamples) {
    // Valid values 1.0 .. 3.0 V in the first half, an over-range sample and 20 V later.
    std::vector<std::uint16_t> raw(200, 2000);
    raw[10] = 1000;
    raw[50] = 3000;
    raw[60] = 45000;
    raw[150] = 20000;
    PlotView v = viewOf(shared(makeRecording(raw, {2026, 5, 4, 10, 0, 0})));
    for (const std::int32_t unit : {0, 2}) {
        v.display().unitIndex = unit;
        v.resetView();
        v.geometry().xScale = 100.0 / v.geometry().plotWidth; // samples 0..100
        const DataWindow before = v.geometry().window();
        ASSERT_TRUE(v.fitValues());
        const double f = unitFactor(unit);
        const auto expected = RangeAnalysis(*v.recording()).fitValues(0, 100, f);
        ASSERT_TRUE(expected);
        const DataWindow w = v.geometry().window();
        EXPECT_EQ(w.xOffset, before.xOffset);
        EXPECT_NEAR(w.xSpan, before.xSpan, 1e-12);
        EXPECT_NEAR(w.yOffset * f, expected->low, 1e-9) << unit;
        EXPECT_NEAR((w.yOffset + w.ySpan) * f, expected->high, 1e-9) << unit;
        // The window holds 1.0 .. 3.0 and excludes the over-range code and 20 V.
        EXPECT_LT(w.yOffset, 1.0);
        EXPECT_GT(w.yOffset + w.ySpan, 3.0);
        EXPECT_LT(w.yOffset + w.ySpan, 4.0);
        EXPECT_TRUE(v.undoZoom());
        EXPECT_EQ(v.geometry().window(), before);
    }
    // Nothing valid in view: no change, no history.
    std::vector<std::uint16_t> over(50, 45000);
    PlotView o = viewOf(shared(makeRecording(over, {2026, 5, 4, 10, 0, 0})));
    const DataWindow w = o.geometry().window();
    EXPECT_FALSE(o.fitValues());
    EXPECT_EQ(o.geometry().window(), w);
    EXPECT_EQ(o.historySize(), 0u);
}

TEST(PlotView, MeasuredRangeIsTheSelectionOrTheVisibleSamples) {
    PlotView v = viewOf(shared(makeRecording(ramp(1000), {2026, 5, 4, 10, 0, 0})));
    EXPECT_EQ(v.measuredRange(), (SampleSelection{0, 999}));
    v.geometry().xOffset = 100;
    v.geometry().xScale = 0.5;
    EXPECT_EQ(v.measuredRange(), (SampleSelection{100, 550}));
    EXPECT_TRUE(v.setSelection(SampleSelection{3, 7}));
    EXPECT_FALSE(v.setSelection(SampleSelection{3, 7}));
    EXPECT_EQ(v.measuredRange(), (SampleSelection{3, 7}));
}

TEST(PlotView, ComparedRunsArePlacedByElapsedTime) {
    struct Case {
        const char* name;
        std::uint32_t shownInterval; // 0: fast sampling
        std::uint32_t runInterval;
        StartFields runStart;
        RunAlignment alignment;
        double offsetSeconds; // expected offset of the run's sample 0
    };
    const StartFields shownStart{2026, 5, 4, 10, 0, 0};
    const Case cases[] = {
        {"same interval", 2, 2, {2026, 5, 4, 10, 0, 0}, RunAlignment::AtStart, 0.0},
        {"slower run", 2, 10, {2026, 5, 4, 11, 0, 0}, RunAlignment::AtStart, 0.0},
        {"by clock, later", 2, 1, {2026, 5, 4, 10, 1, 30}, RunAlignment::ByClock, 90.0},
        {"by clock, earlier", 5, 2, {2026, 5, 4, 9, 59, 0}, RunAlignment::ByClock, -60.0},
        {"fast run", 1, 0, {2026, 5, 4, 10, 0, 3}, RunAlignment::ByClock, 3.0},
        {"fast shown", 0, 3, {2026, 5, 4, 10, 0, 0}, RunAlignment::AtStart, 0.0},
        {"invalid start stays at start", 2, 2, {2026, 5, 40, 10, 0, 0}, RunAlignment::ByClock, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto shown =
            shared(makeRecording(ramp(400), shownStart, c.shownInterval, c.shownInterval == 0));
        PlotView v = viewOf(shown);
        ASSERT_EQ(v.addRun(shared(
                      makeRecording(ramp(300), c.runStart, c.runInterval, c.runInterval == 0))),
                  PlotView::AddResult::Added);
        v.setAlignment(c.alignment);
        EXPECT_EQ(v.runOffsetSeconds(0), c.offsetSeconds);
        const double ds = static_cast<double>(shown->effectiveInterval());
        const double dr = static_cast<double>(v.runs()[0]->recording->effectiveInterval());
        for (const std::int64_t j : {0, 1, 77, 299}) {
            EXPECT_DOUBLE_EQ(v.runSampleIndex(0, j), (double(j) * dr + c.offsetSeconds) / ds);
        }
        // The span test compares times: a run sample is in when t_first <= t <= t_last.
        const auto span = v.runSpan(0, 10, 100);
        std::int64_t firstIn = -1, lastIn = -1;
        for (std::int64_t j = 0; j < 300; ++j) {
            const double t = double(j) * dr + c.offsetSeconds;
            if (t >= 10 * ds && t <= 100 * ds) {
                lastIn = j;
                if (firstIn < 0)
                    firstIn = j;
            }
        }
        if (firstIn < 0) {
            EXPECT_FALSE(span);
        } else {
            ASSERT_TRUE(span);
            EXPECT_EQ(*span, (SampleSelection{firstIn, lastIn}));
        }
        // The scene carries the run with its colour and offset.
        const PlotScene s = v.scene(kModelVoltage);
        ASSERT_EQ(s.compared.size(), 1u);
        EXPECT_EQ(s.compared[0].offsetSeconds, c.offsetSeconds);
        EXPECT_EQ(s.compared[0].interval, dr);
        EXPECT_FALSE(s.shownLabel.empty());
    }
}

TEST(PlotView, AtMostEightRunsAndHiddenRunsAreNotDrawn) {
    PlotView v = viewOf(shared(makeRecording(ramp(100), {2026, 5, 4, 10, 0, 0})));
    const auto run = shared(makeRecording(ramp(50), {2026, 5, 4, 10, 0, 0}));
    EXPECT_EQ(v.addRun(nullptr), PlotView::AddResult::NoSamples);
    for (std::size_t i = 0; i < kMaxComparedRuns; ++i) {
        EXPECT_EQ(v.addRun(run), PlotView::AddResult::Added);
    }
    EXPECT_EQ(v.addRun(run), PlotView::AddResult::TooMany);
    v.setRunVisible(2, false);
    v.removeRun(0);
    const PlotScene s = v.scene(kModelVoltage);
    ASSERT_EQ(s.compared.size(), kMaxComparedRuns - 2);
    // Colours follow the position in the list: the first run takes the first colour.
    EXPECT_EQ(s.compared[0].colour, v.runColour(0));
    EXPECT_EQ(s.compared[1].colour, v.runColour(2));
    v.clearRuns();
    EXPECT_TRUE(v.scene(kModelVoltage).compared.empty());
    EXPECT_TRUE(v.scene(kModelVoltage).shownLabel.empty());
}

TEST(PlotView, RunMeasurementsCoverTheRunSamplesInsideTheMeasuredRange) {
    struct Case {
        const char* name;
        std::uint32_t shownInterval; // 0: fast sampling
        std::uint32_t runInterval;
        StartFields runStart;
        std::int32_t unitIndex;
        std::optional<SampleSelection> selection; // none: the visible window
        std::int64_t pointer;                     // shown sample under the pointer
    };
    const StartFields shownStart{2026, 5, 4, 10, 0, 0};
    const Case cases[] = {
        {"visible window, slower run", 2, 5, shownStart, 0, std::nullopt, 399},
        {"selection, faster run, km/h", 6, 4, shownStart, 3, SampleSelection{7, 53}, 20},
        {"run starts later", 2, 2, {2026, 5, 4, 10, 3, 0}, 0, SampleSelection{50, 150}, 80},
        {"run ends before the range",
         2,
         1,
         {2026, 5, 4, 9, 50, 0},
         0,
         SampleSelection{300, 350},
         310},
        {"fast run", 1, 0, {2026, 5, 4, 10, 0, 1}, 0, SampleSelection{1, 2}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto shown = shared(makeRecording(ramp(400), shownStart, c.shownInterval));
        PlotView v = viewOf(shown);
        v.display().unitIndex = c.unitIndex;
        v.setAlignment(RunAlignment::ByClock);
        // A run with over-range samples in it, and a hidden one that must give no row.
        std::vector<std::uint16_t> raw = ramp(300, 500, 91);
        for (std::size_t j = 0; j < raw.size(); j += 13)
            raw[j] = kOverRangeRaw;
        v.addRun(shared(makeRecording(raw, shownStart, 3)));
        v.setRunVisible(0, false);
        v.addRun(shared(makeRecording(raw, c.runStart, c.runInterval, c.runInterval == 0)));
        if (c.selection)
            v.setSelection(*c.selection);
        const SampleSelection range = *v.measuredRange();

        const auto rows = v.runMeasurements(c.pointer);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].run, 1u);
        // Plain computation over every run sample whose time lies within the range's times.
        const double ds = static_cast<double>(shown->effectiveInterval());
        const double dr = static_cast<double>(v.runs()[1]->interval);
        const double offset = v.runOffsetSeconds(1);
        const double factor = unitFactor(c.unitIndex);
        std::int64_t count = 0, over = 0, valid = 0;
        double lo = INFINITY, hi = -INFINITY, sum = 0.0, sq = 0.0;
        for (std::size_t j = 0; j < raw.size(); ++j) {
            const double t = double(j) * dr + offset;
            if (t < double(range.first) * ds || t > double(range.last) * ds)
                continue;
            ++count;
            if (isOverRangeSample(raw[j])) {
                ++over;
                continue;
            }
            const double x = convertedValue(raw[j], factor);
            ++valid;
            lo = std::min(lo, x);
            hi = std::max(hi, x);
            sum += x;
            sq += x * x;
        }
        const RangeStatistics& f = rows[0].figures;
        EXPECT_EQ(f.count, count);
        EXPECT_EQ(f.overRange, over);
        if (valid == 0) {
            EXPECT_TRUE(std::isnan(f.min) && std::isnan(f.mean));
        } else {
            const double mean = sum / double(valid);
            EXPECT_DOUBLE_EQ(f.min, lo);
            EXPECT_DOUBLE_EQ(f.max, hi);
            EXPECT_NEAR(f.mean, mean, 1e-9);
            EXPECT_NEAR(f.stddev, std::sqrt(std::max(0.0, sq / double(valid) - mean * mean)), 1e-6);
        }
        // The pointer's value: the nearest run sample, none outside the run.
        const double j = (double(c.pointer) * ds - offset) / dr;
        if (j < 0.0 || j > double(raw.size() - 1)) {
            EXPECT_FALSE(rows[0].pointerSample);
        } else {
            ASSERT_TRUE(rows[0].pointerSample);
            EXPECT_LE(std::abs(double(*rows[0].pointerSample) - j), 0.5);
        }
    }
}

TEST(ComparedRuns, PaletteAvoidsLineGridAndBlack) {
    const PlotColours plain;
    PlotColours clash;
    clash.line = comparedRunColour(0, plain);
    clash.grid = comparedRunColour(1, plain);
    for (const PlotColours& c : {plain, clash}) {
        std::set<ColourRef> seen;
        for (std::size_t i = 0; i < kMaxComparedRuns; ++i) {
            const ColourRef r = comparedRunColour(i, c);
            EXPECT_NE(r, c.line);
            EXPECT_NE(r, c.grid);
            EXPECT_NE(r, rgbColour(0, 0, 0));
            seen.insert(r);
        }
        EXPECT_EQ(seen.size(), kMaxComparedRuns);
    }
    EXPECT_NE(comparedRunColour(0, clash), comparedRunColour(0, plain));
    EXPECT_EQ(comparedRunColour(2, clash), comparedRunColour(2, plain));
}

// A 900 x 440 plot area showing 0 to 35 V; the tests set the time axis.
CurveMapping plotArea900() {
    CurveMapping m;
    m.yScale = 35.0 / 440;
    m.left = 50;
    m.top = 40;
    m.width = 900;
    m.height = 440;
    return m;
}

// Pixels a path's segments reach in each column (the rows between each segment's ends).
std::set<std::pair<std::int64_t, std::int64_t>> columnRows(const ComparedPath& p) {
    std::set<std::pair<std::int64_t, std::int64_t>> cells;
    for (std::size_t k = 0; k < p.starts.size(); ++k) {
        const std::size_t to = k + 1 < p.starts.size() ? p.starts[k + 1] : p.xs.size();
        for (std::size_t i = p.starts[k]; i < to; ++i) {
            cells.insert({p.xs[i], p.ys[i]});
            if (i + 1 < to && p.xs[i + 1] == p.xs[i]) {
                for (auto y = std::min(p.ys[i], p.ys[i + 1]); y <= std::max(p.ys[i], p.ys[i + 1]);
                     ++y)
                    cells.insert({p.xs[i], y});
            }
        }
    }
    return cells;
}

TEST(ComparedRuns, ReductionKeepsColumnsAndOverRangeGaps) {
    std::vector<std::uint16_t> raw = ramp(20000, 500, 913);
    for (const std::size_t at : {100u, 101u, 5000u, 12345u}) {
        raw[at] = 45000;
    }
    SampleSummary summary(raw.data(), static_cast<std::int64_t>(raw.size()));
    CurveMapping m = plotArea900();
    struct Case {
        double xScale;
        double xOffset;
        std::size_t polylines; // valid stretches between the over-range samples in view
    };
    // Dense columns over the whole run, then a few pixels per sample around sample 5000.
    for (const Case k : {Case{30.0, 0.0, 4}, Case{0.25, 1240.0, 2}}) {
        SCOPED_TRACE(k.xScale);
        m.xScale = k.xScale;
        m.xOffset = k.xOffset;
        const ComparedCurve c{&summary, 0.5, 3.0, 0, ""};
        ComparedPath reduced, plain;
        reduceComparedCurve(c, 2.0, m, reduced);
        plainComparedCurve(c, 2.0, m, plain);
        ASSERT_FALSE(reduced.xs.empty());
        EXPECT_LE(reduced.xs.size(), plain.xs.size());
        EXPECT_EQ(reduced.starts.size(), k.polylines);
        EXPECT_EQ(plain.starts.size(), k.polylines);
        EXPECT_EQ(columnRows(reduced), columnRows(plain));
    }
}

// Segments between columns: the reduction must keep each from the last sample of a column to
// the first of the next.
std::set<std::array<std::int64_t, 4>> joins(const ComparedPath& p) {
    std::set<std::array<std::int64_t, 4>> out;
    for (std::size_t k = 0; k < p.starts.size(); ++k) {
        const std::size_t to = k + 1 < p.starts.size() ? p.starts[k + 1] : p.xs.size();
        for (std::size_t i = p.starts[k]; i + 1 < to; ++i) {
            if (p.xs[i + 1] != p.xs[i]) {
                out.insert({p.xs[i], p.ys[i], p.xs[i + 1], p.ys[i + 1]});
            }
        }
    }
    return out;
}

// Seeded random views over runs of other intervals and placements, including column edges
// that fall exactly on a sample: the reduction reaches the pixels of every sample's segment.
// One summary serves every view, so columns kept from an earlier view are checked too.
TEST(ComparedRuns, ReductionMatchesEverySampleOverRandomViews) {
    std::mt19937 rng(20261209);
    std::vector<std::uint16_t> raw(50000);
    std::uniform_int_distribution<int> noise(-300, 300);
    int level = 12000;
    for (std::uint16_t& v : raw) {
        level = std::clamp(level + noise(rng), 0, 30000);
        v = static_cast<std::uint16_t>(level);
        if (std::uniform_int_distribution<int>(0, 3000)(rng) == 0) {
            v = 45000;
        }
    }
    const SampleSummary summary(raw.data(), static_cast<std::int64_t>(raw.size()));
    const double intervals[] = {0.125, 1.0 / 3, 0.5, 1.0, 2.0, 3.0, 7.0, 31.0};
    const double shownIntervals[] = {0.125, 1.0, 2.0, 3.0};
    const double roundScales[] = {10.0, 8.0, 0.5, 1.0, 64.0, 0.1, 0.3, 6.0};
    const auto pick = [&](const auto& values) {
        return values[std::uniform_int_distribution<std::size_t>(0, std::size(values) - 1)(rng)];
    };
    CurveMapping m = plotArea900();
    ComparedPath reduced, plain;
    for (int view = 0; view < 400; ++view) {
        const double interval = pick(intervals);
        const double shown = pick(shownIntervals);
        const bool round = view % 3 == 0;
        const double offset =
            view % 4 == 0 ? 0.0 : std::uniform_real_distribution<double>(-4000, 4000)(rng);
        m.xScale = round ? pick(roundScales)
                         : std::exp(std::uniform_real_distribution<double>(-3, 6)(rng));
        const double span = raw.size() * interval / shown;
        m.xOffset = round ? std::floor(std::uniform_real_distribution<double>(0, span)(rng))
                          : std::uniform_real_distribution<double>(-0.1 * span, span)(rng);
        SCOPED_TRACE(testing::Message() << "view " << view << ": interval " << interval
                                        << ", shown " << shown << ", offset " << offset
                                        << ", xScale " << m.xScale << ", xOffset " << m.xOffset);
        const ComparedCurve c{&summary, interval, round ? 0.0 : offset, 0, ""};
        reduceComparedCurve(c, shown, m, reduced);
        plainComparedCurve(c, shown, m, plain);
        ASSERT_EQ(reduced.starts.size(), plain.starts.size());
        ASSERT_EQ(columnRows(reduced), columnRows(plain));
        ASSERT_EQ(joins(reduced), joins(plain));
    }
}

// The columns a run's summary keeps from frame to frame: every frame of a walk through pans,
// zooms, value changes and other placements reduces exactly as a summary seeing it first.
TEST(ComparedRuns, ColumnsKeptBetweenFramesMatchAFreshReduction) {
    std::vector<std::uint16_t> raw = ramp(200000, 300, 131);
    for (const std::size_t at : {1000u, 1001u, 77777u, 150000u}) {
        raw[at] = 45000; // over range: the column is walked sample by sample
    }
    const SampleSummary kept(raw.data(), static_cast<std::int64_t>(raw.size()));
    CurveMapping m = plotArea900();
    struct Frame {
        double xScale;
        double xOffset;
        double yScale;
        double interval; // the run's
        double offsetSeconds;
    };
    const Frame frames[] = {
        {300.0, 0.0, 35.0 / 440, 1.0, 0.0},        // View All
        {300.0, 0.0, 35.0 / 440, 1.0, 0.0},        // the same again: all kept
        {300.0, 27000.0, 35.0 / 440, 1.0, 0.0},    // panned right by 90 columns
        {300.0, 9100.5, 35.0 / 440, 1.0, 0.0},     // and back left, part of a column
        {300.0, 9100.5, 2.0 / 440, 1.0, 0.0},      // other rows, same columns
        {17.3, 40000.0, 35.0 / 440, 1.0, 0.0},     // zoomed
        {17.3, 39000.0, 35.0 / 440, 1.0, 0.0},     // panned at that zoom
        {300.0, 0.0, 35.0 / 440, 1.0, 0.0},        // View All again
        {300.0, 0.0, 35.0 / 440, 3.0, 0.0},        // another interval
        {300.0, 0.0, 35.0 / 440, 3.0, 4321.0},     // placed by the clock
        {300.0, 12000.0, 35.0 / 440, 3.0, 4321.0}, // panned there
        {0.2, 74990.0, 35.0 / 440, 1.0, 0.0},      // pixels per sample around an over-range one
    };
    ComparedPath warm, fresh;
    for (std::size_t i = 0; i < std::size(frames); ++i) {
        SCOPED_TRACE(i);
        const Frame& f = frames[i];
        m.xScale = f.xScale;
        m.xOffset = f.xOffset;
        m.yScale = f.yScale;
        const SampleSummary once(raw.data(), static_cast<std::int64_t>(raw.size()));
        reduceComparedCurve({&kept, f.interval, f.offsetSeconds, 0, ""}, 2.0, m, warm);
        reduceComparedCurve({&once, f.interval, f.offsetSeconds, 0, ""}, 2.0, m, fresh);
        ASSERT_FALSE(fresh.xs.empty());
        EXPECT_EQ(warm.xs, fresh.xs);
        EXPECT_EQ(warm.ys, fresh.ys);
        EXPECT_EQ(warm.starts, fresh.starts);
    }
}

} // namespace
} // namespace quillmark
