// Compared runs: frames at 1280x800 with a 10,000,000-sample recording shown alone and with
// seven 1,000,000-sample runs compared (View All, pan and zoom steps), and adding a run
// (reading its file and building its summaries) against reading the same file alone.
//   quillmark_compare_bench [--benchmark_enable_random_interleaving=true]
// prints the ratios after the table.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench_recordings.h"
#include "core/app/logger_model.h"
#include "core/data/recording_file.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_view.h"
#include "render/compared_drawing.h"
#include "render/draw_plot.h"

using namespace quillmark;
using namespace quillmark::bench;

namespace {

constexpr int kRuns = 7;

std::shared_ptr<const Recording> makeRun(std::size_t n, float interval, int minute) {
    Recording rec = newDocumentRecording(std::time_t{1796620503});
    rec.header[block::kIntervalSeconds] = static_cast<std::uint8_t>(interval);
    rec.header[block::kStartMinute] = static_cast<std::uint8_t>(minute);
    rec.samples = recording(n);
    rec.sampleCount = static_cast<std::int32_t>(n);
    computeStatistics(rec);
    return std::make_shared<const Recording>(std::move(rec));
}

struct Scene {
    PlotView view;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};

    explicit Scene(bool compared) {
        view.geometry().resize(kWidth, kHeight);
        view.setRecording(makeRun(10'000'000, 2.0f, 0));
        view.resetView();
        if (compared) {
            for (int i = 0; i < kRuns; ++i) {
                // Other intervals, so a run covers more or less of the shown time.
                view.addRun(makeRun(1'000'000, float(1 + i % 4 * 10), i));
            }
        }
    }
    void render() {
        image.fill(QColor(208, 207, 204));
        QPainter p(&image);
        DrawPlot(view.scene(kModelVoltage), screenFrame(kWidth, kHeight, view.geometry()), p);
    }
};

Scene& scene(bool compared) {
    static Scene alone(false);
    static Scene with(true);
    return compared ? with : alone;
}

void BM_ViewAll(benchmark::State& state) {
    Scene& s = scene(state.range(0) != 0);
    s.view.resetView();
    for (auto _ : state) {
        s.render();
    }
}
BENCHMARK(BM_ViewAll)->ArgName("compared")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A window of a hundredth of the recording, panned by a tenth of its width each frame.
void BM_PanStep(benchmark::State& state) {
    Scene& s = scene(state.range(0) != 0);
    s.view.resetView();
    s.view.geometry().xOffset = 4'000'000;
    s.view.geometry().xScale = 100'000.0 / s.view.geometry().plotWidth;
    int step = 0;
    for (auto _ : state) {
        s.view.panTime((step++ / 20) % 2 ? -0.1 : 0.1);
        s.render();
    }
}
BENCHMARK(BM_PanStep)->ArgName("compared")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Zooming the time axis in and out about the middle, one step per frame.
void BM_ZoomStep(benchmark::State& state) {
    Scene& s = scene(state.range(0) != 0);
    s.view.resetView();
    int step = 0;
    for (auto _ : state) {
        s.view.zoomTimeAboutCentre((step++ / 10) % 2 ? 1.25 : 0.8);
        s.render();
    }
}
BENCHMARK(BM_ZoomStep)->ArgName("compared")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The plot area's mapping at the view's window (volts: no unit factor).
CurveMapping plotMapping(const PlotGeometry& g) {
    CurveMapping m;
    m.xScale = g.xScale;
    m.xOffset = g.xOffset;
    m.yScale = g.yScale;
    m.yOffset = g.yOffset;
    m.left = g.leftMargin;
    m.top = kPlotTop;
    m.width = g.plotWidth;
    m.height = g.plotHeight;
    return m;
}

// The reduction of the seven runs alone at View All, without drawing.
void BM_ReduceRuns(benchmark::State& state) {
    Scene& s = scene(true);
    s.view.resetView();
    const PlotScene sc = s.view.scene(kModelVoltage);
    const CurveMapping m = plotMapping(s.view.geometry());
    ComparedPath path;
    std::size_t points = 0;
    for (auto _ : state) {
        for (const ComparedCurve& c : sc.compared) {
            reduceComparedCurve(c, sc.sampleInterval, m, path);
            points += path.xs.size();
        }
    }
    state.counters["points"] = double(points) / double(state.iterations());
}
BENCHMARK(BM_ReduceRuns)->Unit(benchmark::kMillisecond);

// The seven runs reduced and drawn without the rest of the frame: at View All (columns kept
// from frame to frame), and zooming as BM_ZoomStep does (no column kept).
void BM_DrawRuns(benchmark::State& state) {
    Scene& s = scene(true);
    s.view.resetView();
    const bool zooming = state.range(0) != 0;
    int step = 0;
    for (auto _ : state) {
        if (zooming) {
            s.view.zoomTimeAboutCentre((step++ / 10) % 2 ? 1.25 : 0.8);
        }
        const PlotScene sc = s.view.scene(kModelVoltage);
        const CurveMapping m = plotMapping(s.view.geometry());
        QPainter p(&s.image);
        drawComparedRuns(p, sc, m, 1, true);
    }
}
BENCHMARK(BM_DrawRuns)->ArgName("zooming")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

const std::string& runFile() {
    static const std::string path = [] {
        std::string p = "/tmp/quillmark-compare-bench-" + std::to_string(::getpid()) + ".smpq";
        writeRecordingFile(p, *makeRun(1'000'000, 1.0f, 0), kModelVoltage);
        return p;
    }();
    return path;
}

void BM_ReadRunFile(benchmark::State& state) {
    for (auto _ : state) {
        auto loaded = readRecordingFile(runFile());
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_ReadRunFile)->Unit(benchmark::kMillisecond);

void BM_AddRun(benchmark::State& state) {
    PlotView& view = scene(false).view;
    for (auto _ : state) {
        auto loaded = readRecordingFile(runFile());
        view.addRun(std::make_shared<const Recording>(std::move(loaded->recording)));
        if (state.range(0) != 0) {
            view.runs().back()->ranges(); // the figures' summaries too (built on first use)
        }
        state.PauseTiming();
        view.clearRuns();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddRun)->ArgName("figures")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    std::vector<char*> args = benchArguments(argc, argv);
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::remove(runFile().c_str());
    const auto ratio = [&](const char* what, const std::string& with, const std::string& alone,
                           double target) {
        const auto a = reporter.medianMs.find(with);
        const auto b = reporter.medianMs.find(alone);
        if (a != reporter.medianMs.end() && b != reporter.medianMs.end() && b->second > 0) {
            std::printf("  %s: %.3f / %.3f ms = %.2fx (target <= %.0f)\n", what, a->second,
                        b->second, a->second / b->second, target);
        }
    };
    std::printf("Medians of this run, with seven runs compared / the shown recording alone:\n");
    ratio("View All", "BM_ViewAll/compared:1", "BM_ViewAll/compared:0", 2);
    ratio("Pan step", "BM_PanStep/compared:1", "BM_PanStep/compared:0", 2);
    ratio("Zoom step", "BM_ZoomStep/compared:1", "BM_ZoomStep/compared:0", 2);
    ratio("Adding a run / reading its file", "BM_AddRun/figures:0", "BM_ReadRunFile", 3);
    return 0;
}
