// The reduced curve drawing against the plain one, pixel for pixel, over random scenes: every
// density from 0.1 to 10,000 samples per pixel, dots on and off, zoomed and panned in both
// axes, in every display unit, drawn straight into the image and through the painter, with
// the screen's pens and with the wider pens of finer screens. Each
// recording is drawn in a few frames sharing one block summary, as the window does, so the
// dot rows it keeps from frame to frame are checked too.
//
// A failure names the run's seed and the scene; QUILLMARK_PLOT_SEED=<seed> repeats that run
// (QUILLMARK_PLOT_FROM=<recording> from the failing recording on), and
// QUILLMARK_PLOT_RECORDINGS=<n> draws more (or fewer) recordings.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/app/logger_model.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "render/draw_plot.h"

using namespace quillmark;

namespace {

// Thousands of frames in seconds: mostly small plot areas, few samples right of the window.
constexpr int kDefaultRecordings = 1200;
constexpr int kFramesPerRecording = 3;

using Rng = std::mt19937_64;

double uniform(Rng& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}
int uniformInt(Rng& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}
bool chance(Rng& rng, double p) {
    return uniform(rng, 0.0, 1.0) < p;
}
double logUniform(Rng& rng, double lo, double hi) {
    return std::exp(uniform(rng, std::log(lo), std::log(hi)));
}

const char* const kKinds[] = {"noise", "walk", "sine", "spikes", "square", "steps", "overrange"};

std::vector<std::uint16_t> makeSignal(int kind, std::size_t n, Rng& rng) {
    std::vector<std::uint16_t> v(n);
    const auto raw = [](double x) {
        return static_cast<std::uint16_t>(std::clamp(x, 0.0, 65535.0));
    };
    const double level = uniform(rng, 0, 30000);
    const double amplitude = logUniform(rng, 10, 30000);
    switch (kind) {
    case 0: { // noise
        std::uniform_real_distribution<double> d(level - amplitude / 2, level + amplitude / 2);
        for (auto& s : v)
            s = raw(d(rng));
        break;
    }
    case 1: { // random walk
        const double step = logUniform(rng, 1, 2000);
        std::uniform_real_distribution<double> d(-step, step);
        double x = level;
        for (auto& s : v) {
            x = std::clamp(x + d(rng), 0.0, 35000.0);
            s = raw(x);
        }
        break;
    }
    case 2: { // sine
        const double period = logUniform(rng, 2, 20000);
        const double phase = uniform(rng, 0, 7);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = raw(level + amplitude / 2 * std::sin(double(i) / period * 6.2832 + phase));
        break;
    }
    case 3: { // spikes on a flat line
        std::fill(v.begin(), v.end(), raw(level));
        std::uniform_int_distribution<std::size_t> pos(0, n - 1);
        for (int k = uniformInt(rng, 0, 40); k > 0; --k)
            v[pos(rng)] = raw(k % 2 ? level + amplitude : level - amplitude);
        break;
    }
    case 4: { // square wave
        const auto half = static_cast<std::size_t>(logUniform(rng, 1, 5000));
        for (std::size_t i = 0; i < n; ++i)
            v[i] = raw((i / half) % 2 ? level + amplitude / 2 : level - amplitude / 2);
        break;
    }
    case 5: { // flat steps
        const auto width = static_cast<std::size_t>(logUniform(rng, 1, 5000));
        const double step = logUniform(rng, 1, 3000);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = raw(level + double((i / width) % 7) * step);
        break;
    }
    default: { // over-range marks among samples
        std::uniform_int_distribution<int> d(0, 31000);
        const auto every = static_cast<std::size_t>(logUniform(rng, 2, 500));
        for (std::size_t i = 0; i < n; ++i)
            v[i] = i % every == 0 ? 45000 : static_cast<std::uint16_t>(d(rng));
        break;
    }
    }
    return v;
}

// Samples per pixel from 0.1 to 10,000, spread on a log scale (the densest less often, as
// the plain drawing strokes every sample), sometimes a round figure.
double pickDensity(Rng& rng) {
    static const double round[] = {0.1, 0.25, 0.5, 1, 1.5, 2, 3, 7, 10, 64, 100, 1000, 10000};
    if (chance(rng, 0.2))
        return round[uniformInt(rng, 0, int(std::size(round)) - 1)];
    return logUniform(rng, 0.1, chance(rng, 0.5) ? 300 : 10000);
}

struct Scene {
    int kind = 0;
    std::size_t count = 0;
    int plotWidth = 0;
    int plotHeight = 0;
    double xScale = 1.0;
    double yScale = 1.0;
    double xOffset = 0.0;
    double yOffset = 0.0;
    int unit = 0;
    bool dots = true;
    bool throughPainter = false;
    double ratio = 1.0; // pens as wide as on a screen of this device pixel ratio

    QString describe() const {
        return QStringLiteral("%1 of %2 samples, plot area %3x%4, %5 samples/px from %6, "
                              "%7 V/px from %8 V, unit %9, dots %10, %11, ratio %12")
            .arg(QLatin1String(kKinds[kind]))
            .arg(count)
            .arg(plotWidth)
            .arg(plotHeight)
            .arg(xScale, 0, 'g', 17)
            .arg(xOffset, 0, 'g', 17)
            .arg(yScale, 0, 'g', 17)
            .arg(yOffset, 0, 'g', 17)
            .arg(unit)
            .arg(dots ? "on" : "off")
            .arg(throughPainter ? "through the painter" : "direct")
            .arg(ratio);
    }
    // Pixel columns the plain drawing may stroke: it draws every sample from the window's start
    // to the recording's end, and a dot costs many segments.
    double columnBudget() const { return std::max(1.0, (dots ? 2500.0 : 20000.0) / xScale); }
};

// A new zoom: density, dots, the value window and the unit.
void pickZoom(Scene& s, const std::vector<std::uint16_t>& v, Rng& rng) {
    s.xScale = pickDensity(rng);
    s.dots = chance(rng, s.xScale > 2500 ? 0.6 * 2500 / s.xScale : 0.6);
    s.throughPainter = chance(rng, 0.3);
    static const double ratios[] = {1.25, 1.5, 1.75, 2.0, 3.0};
    s.ratio = chance(rng, 0.3) ? ratios[uniformInt(rng, 0, int(std::size(ratios)) - 1)] : 1.0;
    s.unit = chance(rng, 0.5) ? 0 : uniformInt(rng, 1, 4);
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const double low = *lo / 1000.0;
    const double span = std::max(0.001, (*hi - *lo) / 1000.0);
    if (chance(rng, 0.2)) {
        s.yScale = 35.0 / s.plotHeight; // View All
        s.yOffset = 0.0;
    } else {
        // The data from a fraction of the height to many times it, somewhere near it.
        s.yScale = span / (s.plotHeight * logUniform(rng, 0.3, 60));
        s.yOffset = low + uniform(rng, -0.5, 1.0) * span;
    }
}

// A time window whose recording ends somewhere from half-way across the plot area to a few
// columns past its right edge (or the whole recording, when it is shorter).
void pickTimeWindow(Scene& s, Rng& rng) {
    const double most = std::min(s.plotWidth + 12.0, s.columnBudget());
    const double tail = uniform(rng, std::min(s.plotWidth * 0.5, most), most);
    s.xOffset = std::max(0.0, double(s.count) - tail * s.xScale);
    if (chance(rng, 0.5))
        s.xOffset = std::trunc(s.xOffset); // a sample at the left edge
}

QImage draw(const Scene& sc, const std::vector<std::uint16_t>& v, const SampleSummary& summary,
            CurveDrawing curve) {
    PlotScene s;
    s.colours.grid = rgbColour(0, 160, 0);
    s.colours.line = rgbColour(0, 0, 255);
    s.model = kModelAirSpeed;
    s.startTime = 1700000000;
    s.hideStatistics = true;
    s.samples = v.data();
    s.sampleCount = static_cast<std::int32_t>(v.size());
    s.summary = &summary;
    s.xOffset = sc.xOffset;
    s.yOffset = sc.yOffset;
    s.unitIndex = sc.unit;
    s.showMaskPoints = sc.dots;
    PlotFrame frame;
    frame.leftMargin = 80; // room for any value label, so the plot area is as chosen
    frame.right = sc.plotWidth + frame.leftMargin + frame.rightMargin;
    frame.bottom = sc.plotHeight + 2 * frame.topMargin;
    frame.xScale = sc.xScale;
    frame.yScale = sc.yScale;
    frame.penScale = sc.ratio;
    QImage img(frame.right, frame.bottom, QImage::Format_RGB32);
    img.fill(QColor(208, 207, 204));
    QPainter p(&img);
    if (sc.throughPainter && curve == CurveDrawing::Reduced) {
        // A clip sends every dot and span through the painter instead of into the pixels.
        p.setClipRect(img.rect());
    }
    DrawPlot(s, frame, p, curve);
    return img;
}

// Splitmix64: well spread seeds for the recordings of one run.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

class PlotReductionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { setLoggerModel(kModelAirSpeed); }

    void reducedDrawingEqualsPlainDrawing() {
        bool seeded = false;
        const std::uint64_t runSeed =
            qEnvironmentVariable("QUILLMARK_PLOT_SEED").toULongLong(&seeded);
        const std::uint64_t seed =
            seeded ? runSeed
                   : (std::uint64_t(std::random_device{}()) << 32) ^ std::random_device{}();
        bool counted = false;
        int recordings = qEnvironmentVariableIntValue("QUILLMARK_PLOT_RECORDINGS", &counted);
        if (!counted)
            recordings = kDefaultRecordings;
        // A failure is repeated from its recording on.
        const int from = qEnvironmentVariableIntValue("QUILLMARK_PLOT_FROM");
        qInfo("seed %llu, %d recordings", static_cast<unsigned long long>(seed), recordings);

        int frames = 0;
        int withInk = 0;
        double densest = 0.0;
        double sparsest = 1e9;
        for (int r = from; r < recordings; ++r) {
            Rng rng(mix(seed + std::uint64_t(r)));
            Scene sc;
            sc.kind = uniformInt(rng, 0, int(std::size(kKinds)) - 1);
            // Mostly small plot areas; now and then one the size of a window.
            const bool large = chance(rng, 0.05);
            sc.plotWidth = large ? uniformInt(rng, 65, 940) : uniformInt(rng, 1, 64);
            sc.plotHeight = large ? uniformInt(rng, 141, 572) : uniformInt(rng, 12, 140);
            // From a few samples to a few windows at the density of its first frame.
            std::vector<std::uint16_t> v(1);
            pickZoom(sc, v, rng);
            sc.count = chance(rng, 0.05)
                           ? std::size_t(uniformInt(rng, 1, 3))
                           : std::size_t(std::min(4e5, (sc.plotWidth + 12) * sc.xScale *
                                                           logUniform(rng, 0.5, 4)));
            sc.count = std::max<std::size_t>(sc.count, 1);
            v = makeSignal(sc.kind, sc.count, rng);
            const SampleSummary summary(v.data(), std::int64_t(v.size()));
            pickZoom(sc, v, rng);
            pickTimeWindow(sc, rng);
            for (int f = 0; f < kFramesPerRecording; ++f) {
                if (f == 1) {
                    // The same zoom, panned by whole and part columns and in value.
                    const double first =
                        std::max(0.0, double(sc.count) - sc.columnBudget() * sc.xScale);
                    sc.xOffset = std::clamp(sc.xOffset + uniform(rng, -3.0, 3.0) * sc.xScale, first,
                                            double(sc.count) - 1);
                    sc.yOffset += uniform(rng, -5.0, 5.0) * sc.yScale;
                } else if (f == 2) {
                    pickZoom(sc, v, rng);
                    pickTimeWindow(sc, rng);
                }
                const QImage plain = draw(sc, v, summary, CurveDrawing::Full);
                const QImage reduced = draw(sc, v, summary, CurveDrawing::Reduced);
                ++frames;
                densest = std::max(densest, sc.xScale);
                sparsest = std::min(sparsest, sc.xScale);
                if (plain != reduced) {
                    fail(seed, r, f, sc, plain, reduced);
                    return;
                }
                // The frame shows something of the curve (not a view of empty space only).
                const QRgb ink = qRgb(0, 0, 255);
                const QRect area(80, kPlotTop, sc.plotWidth, sc.plotHeight);
                bool inked = false;
                for (int y = area.top(); y <= area.bottom() && !inked; ++y)
                    for (int x = area.left(); x <= area.right() && !inked; ++x)
                        inked = plain.pixel(x, y) == ink;
                withInk += inked;
            }
        }
        qInfo("%d frames, %d with curve pixels in the plot area, %g to %g samples per pixel",
              frames, withInk, sparsest, densest);
        // Most frames must show the curve, or the comparison proves little.
        QVERIFY2(withInk * 10 >= frames * 6, qPrintable(QString::number(withInk)));
    }

private:
    static void fail(std::uint64_t seed, int recording, int frame, const Scene& sc,
                     const QImage& plain, const QImage& reduced) {
        int diffs = 0;
        QString first;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (plain.pixel(x, y) != reduced.pixel(x, y) && diffs++ < 8)
                    first += QStringLiteral(" (%1,%2) %3/%4")
                                 .arg(x)
                                 .arg(y)
                                 .arg(plain.pixel(x, y) & 0xffffff, 6, 16, QLatin1Char('0'))
                                 .arg(reduced.pixel(x, y) & 0xffffff, 6, 16, QLatin1Char('0'));
        // Kept for a look after the failure, in a folder of this run's own.
        QTemporaryDir keep(QDir::tempPath() + QStringLiteral("/quillmark-reduction-XXXXXX"));
        keep.setAutoRemove(false);
        plain.save(keep.filePath(QStringLiteral("plain.png")));
        reduced.save(keep.filePath(QStringLiteral("reduced.png")));
        QFAIL(qPrintable(QStringLiteral("QUILLMARK_PLOT_SEED=%1, recording %2, frame %3: %4: %5 "
                                        "pixels differ, plain/reduced:%6 (images in %7)")
                             .arg(seed)
                             .arg(recording)
                             .arg(frame)
                             .arg(sc.describe())
                             .arg(diffs)
                             .arg(first)
                             .arg(keep.path())));
    }
};

QTEST_MAIN(PlotReductionTest)
#include "plot_reduction_test.moc"
