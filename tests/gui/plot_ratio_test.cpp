// The plot on high-density screens. Run once per device pixel ratio (the test registration
// sets QT_SCALE_FACTOR to 1, 1.25, 1.5 and 2): the image has the device's pixels, its lines
// sit at the scaled positions on whole pixels, and the cursor line on the screen is the one
// device column under the pointer, with nothing left behind as the pointer moves.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <cmath>
#include <set>
#include <vector>

#include "core/app/logger_model.h"
#include "core/plot/plot_layout.h"
#include "gui/plot/cgraphics.h"
#include "image_dump.h"
#include "render/draw_plot.h"
#include "render/fast_paths.h"
#include "render/qt_colour.h"

using namespace quillmark;

namespace {

constexpr int kClientW = 1000;
constexpr int kClientH = 520;

double screenRatio() {
    return QGuiApplication::primaryScreen()->devicePixelRatio();
}

// A flat 12 V recording with alarm lines at 5 V and 25 V in a 0..35 V window.
struct Flat {
    std::vector<std::uint16_t> samples = std::vector<std::uint16_t>(1000, 12000);
    CGraphics plot;

    Flat() {
        setLoggerModel(kModelVoltage);
        plot.resize(kClientW, kClientH);
        plot.setSamples(samples.data(), std::int32_t(samples.size()));
        plot.setAlarmLevels(5.0f, 25.0f);
        plot.setShowAlarmLines(true);
        plot.setHideStatistics(true); // its texts sit inside the plot area
        plot.setShowMaskPoints(false);
        plot.ResetView();
    }
};

int deviceRow(double logicalY, double ratio) {
    return static_cast<int>(std::lround(logicalY * ratio));
}

} // namespace

class PlotRatioTest : public QObject {
    Q_OBJECT
private slots:
    void imageHasTheDevicePixelsAndLinesOnWholePixels() {
        const double ratio = screenRatio();
        Flat f;
        const PlotScene scene = f.plot.scene();
        const QImage img = f.plot.renderPlot(ratio);
        test_support::dumpImage(img);
        QVERIFY(img.devicePixelRatio() == ratio);
        QVERIFY(img.width() == int(std::lround(kClientW * ratio)));
        QVERIFY(img.height() == int(std::lround(kClientH * ratio)));

        if (ratio != 1.0) {
            // Drawn anew at the finer resolution, not the 1x picture enlarged.
            const QImage enlarged = f.plot.renderPlot(1.0).scaled(img.size());
            QVERIFY(enlarged.convertToFormat(QImage::Format_RGB32) !=
                    img.convertToFormat(QImage::Format_RGB32));
        }

        const PlotFrame logical = screenFrame(kClientW, kClientH, f.plot.geometry());
        const PlotFrame device = deviceFrame(logical, ratio);
        const int left = device.leftMargin;
        const int top = device.topMargin;
        const int w = device.plotWidth();
        const int h = device.plotHeight();
        // Aliased drawing: inside the plot area only the scene's own colours, never a blend
        // of two as a line on half a pixel would give.
        const std::set<QRgb> inks = {toQColor(scene.colours.background).rgb(),
                                     toQColor(scene.colours.grid).rgb(),
                                     toQColor(scene.colours.line).rgb(), QColor(255, 0, 0).rgb()};
        for (int y = top + 1; y < top + h; ++y)
            for (int x = left + 1; x < left + w; ++x)
                if (!inks.count(img.pixel(x, y)))
                    QFAIL(qPrintable(QStringLiteral("blended pixel at %1,%2").arg(x).arg(y)));

        // Each kind of line where the logical formula puts it, scaled: grid rows, the alarm
        // lines and the curve, within a device pixel.
        const auto rowHas = [&](int row, const QColor& c) {
            // Eight columns: the grid is dotted.
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = 0; dx < 8; ++dx)
                    if (img.pixelColor(left + w / 3 + dx, row + dy) == c)
                        return true;
            return false;
        };
        const QColor grid = toQColor(scene.colours.grid);
        const int logicalH = logical.plotHeight();
        for (int k = 1; k < kValueTickIntervals; ++k) {
            // Away from the curve's and alarm lines' rows.
            const double y = kPlotTop + logicalH - double(k * logicalH) / kValueTickIntervals;
            QVERIFY2(rowHas(deviceRow(y, ratio), grid), qPrintable(QString::number(k)));
        }
        const auto valueRow = [&](double volts) {
            return kPlotTop + logicalH - volts / f.plot.geometry().yScale;
        };
        QVERIFY(rowHas(deviceRow(valueRow(5.0), ratio), QColor(255, 0, 0)));
        QVERIFY(rowHas(deviceRow(valueRow(25.0), ratio), QColor(255, 0, 0)));
        // The curve is as heavy as on a 1x screen: twice the ratio, whole pixels.
        const QColor line = toQColor(scene.colours.line);
        const int x = left + w / 3;
        int rows = 0;
        for (int y = top; y < top + h; ++y)
            rows += img.pixelColor(x, y) == line;
        QVERIFY2(rows == std::max(1, int(std::lround(2 * ratio))),
                 qPrintable(QString::number(rows)));
        QVERIFY(rowHas(deviceRow(valueRow(12.0), ratio), line));
    }

    // The reduced drawing at a ratio against every segment and dot drawn plainly on the same
    // device pixels, for a dense and a sparse view with dots: the same pixels.
    void reducedDrawingAgreesWithThePlainOne_data() {
        QTest::addColumn<int>("samples");
        QTest::newRow("sparse") << 300;
        QTest::newRow("dense") << 200000;
    }
    void reducedDrawingAgreesWithThePlainOne() {
        QFETCH(int, samples);
        const double ratio = screenRatio();
        std::vector<std::uint16_t> v(std::size_t(samples), 0);
        std::uint32_t seed = 12345;
        for (auto& x : v) {
            seed = seed * 1103515245u + 12345u;
            x = std::uint16_t(8000 + (seed >> 16) % 12000);
        }
        CGraphics plot;
        plot.resize(kClientW, kClientH);
        plot.setSamples(v.data(), std::int32_t(v.size()));
        plot.setShowMaskPoints(true);
        plot.ResetView();
        const QImage reduced = plot.renderPlot(ratio).convertToFormat(QImage::Format_RGB32);
        const PlotFrame device =
            deviceFrame(screenFrame(kClientW, kClientH, plot.geometry()), ratio);
        QImage plain(reduced.size(), QImage::Format_RGB32);
        plain.fill(toQColor(plot.scene().colours.background));
        {
            QPainter p(&plain);
            DrawPlot(plot.scene(), device, p, CurveDrawing::Full);
        }
        test_support::dumpImage(reduced);
        test_support::dumpImage(plain);
        qint64 differ = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                differ += plain.pixel(x, y) != reduced.pixel(x, y);
        QCOMPARE(differ, qint64(0));
    }

    // The grid and alarm lines copied from one drawn line against each line drawn with its pen:
    // every pen style and width the ratios give, both directions, odd starts, lines reaching
    // past the image and a slanted one.
    void axisLinesMatchThePen() {
        const std::vector<QLine> lines = {
            {7, 11, 331, 11},    {7, 40, 331, 40},   {331, 60, 7, 60},   {13, 3, 13, 190},
            {101, 3, 101, 190},  {250, 190, 250, 3}, {-20, 90, 100, 90}, {300, 150, 420, 150},
            {200, -30, 200, 80}, {5, 5, 60, 90},     {40, 170, 41, 170}, {90, 120, 90, 120}};
        for (const Qt::PenStyle style : {Qt::DotLine, Qt::DashDotDotLine, Qt::SolidLine}) {
            for (const int width : {1, 2, 3, 4, 6}) {
                const QPen pen(QColor(30, 140, 60), width, style, Qt::FlatCap);
                QImage fast(360, 200, QImage::Format_RGB32);
                fast.fill(Qt::white);
                QImage plain = fast;
                {
                    QPainter p(&fast);
                    drawAxisLines(p, pen, QVector<QLine>(lines.begin(), lines.end()));
                }
                {
                    QPainter p(&plain);
                    p.setPen(pen);
                    for (const QLine& l : lines)
                        p.drawLine(l);
                }
                QVERIFY2(fast == plain,
                         qPrintable(QStringLiteral("style %1 width %2").arg(style).arg(width)));
            }
        }
    }

    void cursorLineIsTheDeviceColumnUnderThePointer() {
        const double ratio = screenRatio();
        Flat f;
        f.plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.plot));
        const QImage plain = f.plot.renderPlot(ratio).convertToFormat(QImage::Format_RGB32);
        const int top = deviceRow(kPlotTop, ratio);
        const int bottom = deviceRow(kPlotTop + f.plot.geometry().plotHeight, ratio) - 1;
        // Slow moves of a fraction of a pixel, whole pixels, then long jumps both ways.
        std::vector<double> stops;
        for (double x = 200.0; x < 206.0; x += 1.0 / ratio)
            stops.push_back(x);
        for (double x = 206.0; x < 230.0; x += 1.0)
            stops.push_back(x);
        for (double x : {420.0, 90.0, 333.5, 60.25, 441.75})
            stops.push_back(x);
        for (const double x : stops) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 300.0),
                             f.plot.mapToGlobal(QPointF(x, 300.0)), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(&f.plot, &move);
            QApplication::processEvents();
            // What the screen holds: the window's backing store, device pixels.
            const QImage screen = f.plot.screen()
                                      ->grabWindow(f.plot.winId())
                                      .toImage()
                                      .convertToFormat(QImage::Format_RGB32);
            const int column = int(std::floor(x * ratio));
            QVERIFY(column < screen.width());
            // Every plot row of every column matches the plot but the pointer's column, which
            // is inverted from top to bottom.
            for (int dx = 0; dx < std::min(screen.width(), plain.width()); ++dx) {
                // The offscreen grab holds only the window's first width x height device
                // pixels: the bottom row is checked where it lies inside them.
                for (int y : {top, (top + bottom) / 2, std::min(bottom, screen.height() - 1)}) {
                    const QColor was = plain.pixelColor(dx, y);
                    const QColor now = screen.pixelColor(dx, y);
                    const QColor want =
                        dx == column ? QColor(was.red(), 255 - was.green(), 255 - was.blue()) : was;
                    if (now != want)
                        QFAIL(qPrintable(QStringLiteral("pointer %1: column %2 row %3 is %4")
                                             .arg(x)
                                             .arg(dx)
                                             .arg(y)
                                             .arg(now.name())));
                }
            }
        }
    }
};

QTEST_MAIN(PlotRatioTest)
#include "plot_ratio_test.moc"
