// Saving the plot of 10,000,000 samples as a 1280x800 PNG, as `quillmark-cli plot` does
// after reading the file, against QCustomPlot's savePng of the same data. Also the drawing
// without the PNG encoding, and the hand-over work the command does before drawing.
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_recordings.h"
#include "core/app/logger_model.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "render/draw_plot.h"
#include "render/plot_image.h"

#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
#include <QApplication>
#include <qcustomplot.h>
#endif

using namespace quillmark;
using namespace quillmark::bench;

namespace {

std::string outPath(const char* name) {
    static QTemporaryDir dir;
    return QDir(dir.path()).filePath(QString::fromLatin1(name)).toStdString();
}

struct Picture {
    PlotGeometry g;
    PlotScene s;
    SampleSummary summary;

    explicit Picture(const std::vector<std::uint16_t>& v) {
        summary.build(v.data(), std::int64_t(v.size()));
        viewAll(g, s, v, summary);
    }
    PlotFrame frame() const { return screenFrame(kWidth, kHeight, g); }
};

// What the command does per image: render and write the PNG.
void BM_SavePlotPng(benchmark::State& state) {
    Picture p(recording(std::size_t(state.range(0))));
    const std::string path = outPath("ours.png");
    for (auto _ : state) {
        if (!savePlotImage(p.s, p.frame(), path, nullptr))
            state.SkipWithError("savePlotImage failed");
    }
}
BENCHMARK(BM_SavePlotPng)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The drawing alone, without the PNG encoding.
void BM_RenderPlotImage(benchmark::State& state) {
    Picture p(recording(std::size_t(state.range(0))));
    for (auto _ : state) {
        const QImage image = renderPlotImage(p.s, p.frame());
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderPlotImage)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The column summary the command builds before drawing.
void BM_BuildSummary(benchmark::State& state) {
    const auto& v = recording(std::size_t(state.range(0)));
    for (auto _ : state) {
        SampleSummary s(v.data(), std::int64_t(v.size()));
        benchmark::DoNotOptimize(&s);
    }
}
BENCHMARK(BM_BuildSummary)->Arg(10000000)->Unit(benchmark::kMillisecond);

#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
// The same data through QCustomPlot: a line of width 2 with 5-pixel discs, its adaptive
// sampling on (the default), written with savePng at the same size.
void BM_Peer_SavePng(benchmark::State& state) {
    const auto& v = recording(std::size_t(state.range(0)));
    QCustomPlot plot;
    viewAllInPeer(plot, v);
    const QString path = QString::fromStdString(outPath("peer.png"));
    for (auto _ : state) {
        if (!plot.savePng(path, kWidth, kHeight))
            state.SkipWithError("savePng failed");
    }
}
BENCHMARK(BM_Peer_SavePng)->Arg(10000000)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
#ifdef QUILLMARK_HAVE_QCUSTOMPLOT
    QApplication app(argc, argv); // QCustomPlot is a widget
#else
    QGuiApplication app(argc, argv);
#endif
    setLoggerModel(kModelVoltage);
    std::vector<char*> args = benchArguments(argc, argv);
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
