// Frame times of the plot at 1280x800: View All over 32,000 and 10,000,000 samples, narrow
// windows, pan and zoom steps at several zoom levels, and one cursor-readout update. With
// QCustomPlot installed the same data is drawn through it and the ratio printed at the end.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_recordings.h"
#include "core/app/logger_model.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "gui/plot/cgraphics.h"
#include "render/draw_plot.h"

#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

using namespace quillmark;
using namespace quillmark::bench;

namespace {

// Uniform noise over 0..30 V: the worst case for the column reduction's dots.
const std::vector<std::uint16_t>& noise(std::size_t n) {
    static std::map<std::size_t, std::vector<std::uint16_t>> cache;
    auto& v = cache[n];
    if (v.empty()) {
        v.resize(n);
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> d(0, 30000);
        for (auto& s : v) {
            s = static_cast<std::uint16_t>(d(rng));
        }
    }
    return v;
}

const SampleSummary& summaryOf(const std::vector<std::uint16_t>& v) {
    static std::map<const std::uint16_t*, SampleSummary> cache;
    auto it = cache.find(v.data());
    if (it == cache.end()) {
        it = cache.emplace(v.data(), SampleSummary(v.data(), std::int64_t(v.size()))).first;
    }
    return it->second;
}

struct Frame {
    PlotGeometry g;
    PlotScene s;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};

    explicit Frame(const std::vector<std::uint16_t>& v) { viewAll(g, s, v, summaryOf(v)); }

    void render() {
        s.xOffset = g.xOffset;
        s.yOffset = g.yOffset;
        image.fill(QColor(208, 207, 204));
        QPainter p(&image);
        DrawPlot(s, screenFrame(kWidth, kHeight, g), p);
    }

    // A window of `span` samples starting at `first`.
    void window(double first, double span) {
        g.xOffset = first;
        g.xScale = span / g.plotWidth;
    }
};

void BM_ViewAll(benchmark::State& state) {
    Frame f(recording(std::size_t(state.range(0))));
    for (auto _ : state) {
        f.render();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_ViewAll)->Arg(32000)->Arg(10000000)->Unit(benchmark::kMillisecond);

void BM_ViewAllNoise(benchmark::State& state) {
    Frame f(noise(std::size_t(state.range(0))));
    for (auto _ : state) {
        f.render();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_ViewAllNoise)->Arg(32000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// View All as the window caches it on a screen of device pixel ratio 1, 1.5 and 2 (the second
// argument in hundredths): the image of the window's size at that many pixels per window pixel.
void BM_ViewAllAtRatio(benchmark::State& state) {
    Frame f(recording(std::size_t(state.range(0))));
    f.s.xOffset = f.g.xOffset;
    f.s.yOffset = f.g.yOffset;
    const double ratio = double(state.range(1)) / 100.0;
    for (auto _ : state) {
        const QImage image = renderPlotImage(f.s, screenFrame(kWidth, kHeight, f.g), ratio);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ViewAllAtRatio)
    ->ArgsProduct({{32000, 10000000}, {100, 150, 200}})
    ->Unit(benchmark::kMillisecond);

// Windows of 2000 samples or fewer, deep inside the 10M recording.
void BM_Window(benchmark::State& state) {
    Frame f(recording(10000000));
    f.window(5000000.25, double(state.range(0)));
    for (auto _ : state) {
        f.render();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_Window)->Arg(2000)->Arg(500)->Arg(20)->Unit(benchmark::kMillisecond);

// One Move View step of 7 pixels (back and forth) and its frame, at a window of 10M / 10^k.
void BM_PanStep(benchmark::State& state) {
    Frame f(recording(10000000));
    double span = 10000000.0;
    for (int k = 0; k < state.range(0); ++k) {
        span /= 10;
    }
    f.window(4000000, span);
    f.g.yScale = 10.0 / f.g.plotHeight; // also zoomed on the value axis
    f.g.yOffset = 8.0;
    f.g.dragging = true;
    int dir = 1;
    for (auto _ : state) {
        f.g.dragStart = {600, 400};
        f.g.dragLast = {600 + 7 * dir, 400 + 3 * dir};
        f.g.panStep();
        dir = -dir;
        f.render();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_PanStep)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// A rubber-band zoom of the middle fifth from View All, then View All again: each step
// (zoom or reset) with its frame, per iteration two steps.
void BM_ZoomStep(benchmark::State& state) {
    Frame f(recording(std::size_t(state.range(0))));
    for (auto _ : state) {
        f.g.press(600, 300);
        f.g.release(600 + f.g.plotWidth / 5, 300 + f.g.plotHeight / 5);
        f.render();
        f.g.resetView(f.s.sampleCount);
        f.render();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_ZoomStep)->Arg(32000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The hand-over cost: the block summary of a recording, built once per hand-over.
void BM_HandOverSummary(benchmark::State& state) {
    const auto& v = recording(std::size_t(state.range(0)));
    for (auto _ : state) {
        SampleSummary s(v.data(), std::int64_t(v.size()));
        benchmark::DoNotOptimize(&s);
    }
}
BENCHMARK(BM_HandOverSummary)->Arg(32000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// One pointer move over a shown plot window: readout, cursor line and the repaint of the
// regions they touch.
void BM_ReadoutUpdate(benchmark::State& state) {
    const auto& v = recording(std::size_t(state.range(0)));
    CGraphics w;
    w.resize(kWidth, kHeight);
    w.setSamples(v.data(), std::int32_t(v.size()));
    w.ResetView();
    w.show();
    QApplication::processEvents();
    // Run with QT_SCALE_FACTOR=1.5 or 2 for the cursor line on a high-density screen.
    state.SetLabel("device pixel ratio " + std::to_string(w.devicePixelRatioF()));
    int x = 100;
    for (auto _ : state) {
        x = x >= 1200 ? 100 : x + 3;
        QMouseEvent ev(QEvent::MouseMove, QPointF(x, 300), w.mapToGlobal(QPointF(x, 300)),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &ev);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ReadoutUpdate)->Arg(32000)->Arg(10000000)->Unit(benchmark::kMillisecond);

#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
// The same data through QCustomPlot, drawn into a 1280x800 widget buffer.
struct PeerPlot {
    QCustomPlot plot;
    explicit PeerPlot(const std::vector<std::uint16_t>& v) { viewAllInPeer(plot, v); }
};

void BM_Peer_ViewAll(benchmark::State& state) {
    PeerPlot peer(recording(std::size_t(state.range(0))));
    for (auto _ : state) {
        peer.plot.replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_Peer_ViewAll)->Arg(32000)->Arg(10000000)->Unit(benchmark::kMillisecond);

void BM_Peer_Window(benchmark::State& state) {
    PeerPlot peer(recording(10000000));
    peer.plot.xAxis->setRange(5000000.25, 5000000.25 + double(state.range(0)));
    for (auto _ : state) {
        peer.plot.replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_Peer_Window)->Arg(2000)->Arg(500)->Arg(20)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    setLoggerModel(kModelVoltage);
    std::vector<char*> args = benchArguments(argc, argv);
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nMedians (ms) and ratio to QCustomPlot (ours / theirs):\n");
    for (const auto& [name, ms] : reporter.medianMs) {
        std::string peer;
        if (name.rfind("BM_ViewAll/", 0) == 0) {
            peer = "BM_Peer_ViewAll/" + name.substr(11);
        } else if (name.rfind("BM_Window/", 0) == 0) {
            peer = "BM_Peer_Window/" + name.substr(10);
        }
        const auto it = peer.empty() ? reporter.medianMs.end() : reporter.medianMs.find(peer);
        if (it != reporter.medianMs.end() && it->second > 0) {
            std::printf("  %-28s %8.3f   ratio %.3f\n", name.c_str(), ms, ms / it->second);
        } else {
            std::printf("  %-28s %8.3f\n", name.c_str(), ms);
        }
    }
    // A high-density frame against the 1x frame of the same view, drawn in this run.
    for (const char* length : {"32000", "10000000"}) {
        const auto one =
            reporter.medianMs.find(std::string("BM_ViewAllAtRatio/") + length + "/100");
        for (const auto& [ratio, target] : {std::pair{"150", 2.5}, std::pair{"200", 4.0}}) {
            const auto at =
                reporter.medianMs.find(std::string("BM_ViewAllAtRatio/") + length + "/" + ratio);
            if (one != reporter.medianMs.end() && at != reporter.medianMs.end() && one->second > 0)
                std::printf("  View All over %s at ratio %s / ratio 1: %.2fx (target <= %.1f)\n",
                            length, ratio, at->second / one->second, target);
        }
    }
    // Full-scale noise against the random walk of the same length, drawn in this run.
    for (const char* length : {"32000", "10000000"}) {
        const auto noisy = reporter.medianMs.find(std::string("BM_ViewAllNoise/") + length);
        const auto walk = reporter.medianMs.find(std::string("BM_ViewAll/") + length);
        if (noisy != reporter.medianMs.end() && walk != reporter.medianMs.end() &&
            walk->second > 0) {
            std::printf("  noise / random walk, View All over %s: %.2fx (target <= 2)\n", length,
                        noisy->second / walk->second);
        }
    }
    return 0;
}
