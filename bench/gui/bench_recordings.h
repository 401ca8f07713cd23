#pragma once
// The recordings the drawing benchmarks plot, and the 1280x800 view of all of one: the same
// data for our drawing and for QCustomPlot's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/app/logger_model.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_scene.h"

#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

namespace quillmark::bench {

// Remembers the medians so the ratios can be printed after the table.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medianMs;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const std::string name = r.benchmark_name();
            const std::string suffix = "_median";
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                medianMs[name.substr(0, name.size() - suffix.size())] =
                    r.GetAdjustedRealTime(); // already in the benchmark's unit (ms)
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// The program's arguments for Google Benchmark, with five repetitions reported as
// aggregates unless the caller chose a repetition count. The texts live as long as the program.
inline std::vector<char*> benchArguments(int argc, char** argv) {
    static std::string reps = "--benchmark_repetitions=5";
    static std::string agg = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    const bool chosen = std::any_of(args.begin(), args.end(), [](const char* a) {
        return std::string(a).rfind("--benchmark_repetitions", 0) == 0;
    });
    if (!chosen) {
        args.push_back(reps.data());
        args.push_back(agg.data());
    }
    return args;
}

inline constexpr int kWidth = 1280;
inline constexpr int kHeight = 800;

// A logger-like signal: a slow random walk with a little noise, in 0..30 V.
inline const std::vector<std::uint16_t>& recording(std::size_t n) {
    static std::map<std::size_t, std::vector<std::uint16_t>> cache;
    auto& v = cache[n];
    if (v.empty()) {
        v.resize(n);
        std::mt19937 rng(42);
        std::normal_distribution<double> step(0.0, 8.0);
        double x = 12000;
        for (auto& s : v) {
            x = std::clamp(x + step(rng), 0.0, 30000.0);
            s = static_cast<std::uint16_t>(x);
        }
    }
    return v;
}

// All of `v` in view, with the figures and limits a voltage recording file carries.
inline void viewAll(PlotGeometry& g, PlotScene& s, const std::vector<std::uint16_t>& v,
                    const SampleSummary& summary) {
    g.resize(kWidth, kHeight);
    g.resetView(std::int32_t(v.size()));
    s.samples = v.data();
    s.sampleCount = std::int32_t(v.size());
    s.summary = &summary;
    s.maxIndex = std::int32_t(std::max_element(v.begin(), v.end()) - v.begin());
    s.minIndex = std::int32_t(std::min_element(v.begin(), v.end()) - v.begin());
    s.average = 12.0;
    s.alarmLow = 5.0f;
    s.alarmHigh = 25.0f;
    s.startTime = 1700000000;
    s.model = kModelVoltage;
}

#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
// The same data through QCustomPlot: a line of width 2 with 5-pixel discs, its adaptive
// sampling on (the default), all of it in view at 1280x800.
inline void viewAllInPeer(QCustomPlot& plot, const std::vector<std::uint16_t>& v) {
    plot.resize(kWidth, kHeight);
    QVector<double> xs(qsizetype(v.size()));
    QVector<double> ys(qsizetype(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) {
        xs[qsizetype(i)] = double(i);
        ys[qsizetype(i)] = v[i] / 1000.0;
    }
    QCPGraph* g = plot.addGraph();
    g->setData(xs, ys, true);
    g->setPen(QPen(Qt::blue, 2));
    g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
    plot.xAxis->setRange(0, double(v.size()));
    plot.yAxis->setRange(0, 35);
}
#endif

} // namespace quillmark::bench
