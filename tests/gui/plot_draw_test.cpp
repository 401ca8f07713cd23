// Offscreen checks of the plot drawing: the pixels that matter on screen and paper, the
// model variants, the readout layout and the labels.
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>
#include <random>
#include <vector>

#include "core/app/logger_model.h"
#include "core/plot/column_reduction.h"
#include "core/plot/plot_geometry.h"
#include "core/plot/plot_layout.h"
#include "image_dump.h"
#include "render/draw_plot.h"
#include "render/plot_labels.h"
#include "render/qt_colour.h"

using namespace quillmark;
using quillmark::test_support::dumpImage;

namespace {

constexpr int kW = 900; // plot area
constexpr int kH = 440;
constexpr int kClientW = kW + 100;
constexpr int kClientH = kH + 80;

const QColor kGrid(0, 200, 0);
const QColor kLine(0, 0, 255);
const QColor kBack(208, 207, 204);
const QColor kBorder(208, 207, 199);
const QColor kRed(255, 0, 0);

PlotScene baseScene() {
    PlotScene s;
    s.colours.grid = rgbColour(0, 200, 0);
    s.colours.line = rgbColour(0, 0, 255);
    s.model = kModelVoltage;
    s.startTime = 1700000000;
    return s;
}

QImage render(const PlotScene& s, double xs, double ys, int w = kClientW, int h = kClientH,
              CurveDrawing curve = CurveDrawing::Reduced, bool clipped = false) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(redOf(s.colours.background), greenOf(s.colours.background),
                    blueOf(s.colours.background)));
    QPainter p(&img);
    if (clipped) {
        // A clip makes the drawing go through the painter for every dot.
        p.setClipRect(QRect(0, 0, w, h));
    }
    PlotFrame frame;
    frame.right = w;
    frame.bottom = h;
    frame.xScale = xs;
    frame.yScale = ys;
    DrawPlot(s, frame, p, curve);
    p.end();
    dumpImage(img);
    return img;
}

int countInRow(const QImage& img, int y, int x1, int x2, const QColor& c) {
    int n = 0;
    for (int x = x1; x <= x2; ++x) {
        n += img.pixelColor(x, y) == c;
    }
    return n;
}

int countInColumn(const QImage& img, int x, int y1, int y2, const QColor& c) {
    int n = 0;
    for (int y = y1; y <= y2; ++y) {
        n += img.pixelColor(x, y) == c;
    }
    return n;
}

std::vector<std::uint16_t> makeSignal(const QString& kind, std::size_t n, unsigned seed) {
    std::vector<std::uint16_t> v(n);
    std::mt19937 rng(seed);
    if (kind == "walk") {
        std::uniform_int_distribution<int> d(-150, 150);
        int x = 12000;
        for (auto& s : v) {
            x = std::clamp(x + d(rng), 0, 34000);
            s = static_cast<std::uint16_t>(x);
        }
    } else if (kind == "spikes") {
        std::uniform_int_distribution<std::size_t> pos(0, n - 1);
        std::fill(v.begin(), v.end(), 5000);
        for (int k = 0; k < 40; ++k) {
            v[pos(rng)] = k % 2 ? 30000 : 0;
        }
    } else if (kind == "square") {
        for (std::size_t i = 0; i < n; ++i) {
            v[i] = (i / 37) % 2 ? 25000 : 3000;
        }
    } else if (kind == "flat") {
        for (std::size_t i = 0; i < n; ++i) {
            v[i] = static_cast<std::uint16_t>(10000 + (i / 500) * 1000);
        }
    } else if (kind == "overrange") {
        std::uniform_int_distribution<int> d(0, 31000);
        for (std::size_t i = 0; i < n; ++i) {
            v[i] = i % 97 == 0 ? 45000 : static_cast<std::uint16_t>(d(rng));
        }
    } else { // noise over the full range
        std::uniform_int_distribution<int> d(0, 35000);
        for (auto& s : v) {
            s = static_cast<std::uint16_t>(d(rng));
        }
    }
    return v;
}

} // namespace

class PlotDrawTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { setLoggerModel(kModelVoltage); }

    void gridRowsAndColumns() {
        PlotScene s = baseScene();
        s.showAlarmLines = false;
        const QImage img = render(s, 20.0 / kW, 35.0 / kH);
        for (int k = 0; k <= 10; ++k) {
            const int y = kPlotTop + kH - (k * kH) / 10;
            QVERIFY2(countInRow(img, y, kPlotLeft + 1, kPlotLeft + kW - 1, kGrid) > kW / 4,
                     qPrintable(QString("grid row %1").arg(y)));
            // Half-way between grid rows only the four inner vertical grid lines cross.
            if (k < 10) {
                QVERIFY(countInRow(img, y - kH / 20, kPlotLeft + 1, kPlotLeft + kW - 1, kGrid) <=
                        4);
            }
        }
        for (int k = 0; k <= 5; ++k) {
            const int x = static_cast<int>(k * kW / 5.0 + kPlotLeft);
            QVERIFY(countInColumn(img, x, kPlotTop + 1, kPlotTop + kH - 1, kGrid) > kH / 4);
        }
        // Only the nine inner horizontal grid lines cross a column between ticks.
        QVERIFY(countInColumn(img, kPlotLeft + kW / 10, kPlotTop + 1, kPlotTop + kH - 1, kGrid) <=
                9);
    }

    void axesStayWithoutGrid() {
        PlotScene s = baseScene();
        s.showGridX = false;
        s.showGridY = false;
        s.showAlarmLines = false;
        const QImage img = render(s, 20.0 / kW, 35.0 / kH);
        QVERIFY(countInColumn(img, kPlotLeft, kPlotTop + 1, kPlotTop + kH - 1, kGrid) > kH / 4);
        QVERIFY(countInRow(img, kPlotTop + kH, kPlotLeft + 1, kPlotLeft + kW - 1, kGrid) > kW / 4);
        const int midRow = kPlotTop + kH / 2;
        QCOMPARE(countInRow(img, midRow, kPlotLeft + 1, kPlotLeft + kW - 1, kGrid), 0);
        QCOMPARE(countInColumn(img, kPlotLeft + kW / 5, kPlotTop + 1, kPlotTop + kH - 1, kGrid), 0);
    }

    void alarmLineRows() {
        PlotScene s = baseScene();
        s.showGridX = s.showGridY = false;
        s.alarmLow = 5.0f;
        s.alarmHigh = 25.0f;
        const double ys = 35.0 / kH;
        const QImage img = render(s, 20.0 / kW, ys);
        // 5 V: 40 + trunc(440 - 62.86) = 417; 25 V: 40 + trunc(440 - 314.29) = 165.
        for (int y : {417, 165}) {
            QVERIFY2(countInRow(img, y, kPlotLeft + 1, kPlotLeft + kW - 1, kRed) > kW / 4,
                     qPrintable(QString::number(y)));
            QCOMPARE(countInRow(img, y + 1, kPlotLeft + 1, kPlotLeft + kW - 1, kRed), 0);
            QCOMPARE(countInRow(img, y - 1, kPlotLeft + 1, kPlotLeft + kW - 1, kRed), 0);
        }
        // In another unit the line stays at the same height.
        s.unitIndex = 1;
        const QImage ft = render(s, 20.0 / kW, ys);
        QVERIFY(countInRow(ft, 417, kPlotLeft + 1, kPlotLeft + kW - 1, kRed) > kW / 4);
        s.showAlarmLines = false;
        QCOMPARE(countInRow(render(s, 20.0 / kW, ys), 417, kPlotLeft, kPlotLeft + kW, kRed), 0);
    }

    void curveThroughKnownSamples() {
        // 10 samples over 900 pixels: sample i at x = 50 + trunc(i * 90).
        std::vector<std::uint16_t> v = {0,     3500,  7000,  10500, 14000,
                                        17500, 21000, 24500, 28000, 31500};
        PlotScene s = baseScene();
        s.showGridX = s.showGridY = s.showAlarmLines = false;
        s.samples = v.data();
        s.sampleCount = 10;
        s.showMaskPoints = false;
        const double xs = 10.0 / kW;
        const double ys = 35.0 / kH;
        const QImage img = render(s, xs, ys);
        CurveMapping rows;
        rows.yScale = ys;
        rows.top = kPlotTop;
        rows.height = kH;
        for (int i = 1; i < 10; ++i) {
            const int x = kPlotLeft + static_cast<int>(i / xs);
            QCOMPARE(img.pixelColor(x, static_cast<int>(rows.y(v[i]))), kLine);
        }
        // Half way between samples 4 and 5 the segment passes the mean height.
        const int xm = kPlotLeft + 405;
        const int ym = static_cast<int>(rows.y(15750));
        QVERIFY(countInColumn(img, xm, ym - 2, ym + 2, kLine) >= 2);
        // Far from the curve, background.
        QCOMPARE(img.pixelColor(kPlotLeft + 100, kPlotTop + 20), kBack);

        // Mask points: a dot wider than the 2-pixel line around each sample.
        s.showMaskPoints = true;
        const QImage dots = render(s, xs, ys);
        const int x5 = kPlotLeft + 450;
        const int y5 = static_cast<int>(rows.y(17500));
        QVERIFY(countInRow(dots, y5, x5 - 3, x5 + 3, kLine) >= 5);
        // Up and left of a sample the line does not pass, but its dot does.
        QCOMPARE(img.pixelColor(x5 - 2, y5 - 2), kBack);
        QCOMPARE(dots.pixelColor(x5 - 2, y5 - 2), kLine);
    }

    void dotsAreSolidDiscs() {
        // A lone sample's dot on screen (plain and reduced drawing, straight into the image and
        // through the painter) and on paper. The 5-pixel pen alone strokes a ring around the
        // small ellipse; the dot is a disc about five pixels across, without a hole.
        std::vector<std::uint16_t> v{17500};
        PlotScene s = baseScene();
        s.showGridX = s.showGridY = s.showAlarmLines = false;
        s.hideStatistics = true;
        s.samples = v.data();
        s.sampleCount = 1;
        s.xMin = 10.0; // sample 0 ten samples right of the axis, its dot whole
        const auto expectDisc = [](const QImage& img, int least, int most, const char* where) {
            QRect box;
            for (int y = 0; y < img.height(); ++y)
                for (int x = kPlotLeft + 1; x < img.width(); ++x)
                    if (img.pixelColor(x, y) == kLine)
                        box = box.united(QRect(x, y, 1, 1));
            QVERIFY2(
                box.width() >= least && box.width() <= most && box.height() >= least &&
                    box.height() <= most,
                qPrintable(
                    QStringLiteral("%1: dot %2x%3").arg(where).arg(box.width()).arg(box.height())));
            // Every row and every column of the dot is one unbroken run of ink.
            const auto unbroken = [&](QPoint from, QPoint step, int length) {
                int first = -1;
                int last = -1;
                int count = 0;
                for (int i = 0; i < length; ++i) {
                    if (img.pixelColor(from + i * step) == kLine) {
                        first = first < 0 ? i : first;
                        last = i;
                        ++count;
                    }
                }
                return count == last - first + 1;
            };
            for (int y = box.top(); y <= box.bottom(); ++y)
                QVERIFY2(unbroken(QPoint(box.left(), y), QPoint(1, 0), box.width()),
                         qPrintable(QStringLiteral("%1: hole in row %2").arg(where).arg(y)));
            for (int x = box.left(); x <= box.right(); ++x)
                QVERIFY2(unbroken(QPoint(x, box.top()), QPoint(0, 1), box.height()),
                         qPrintable(QStringLiteral("%1: hole in column %2").arg(where).arg(x)));
        };
        for (const CurveDrawing curve : {CurveDrawing::Full, CurveDrawing::Reduced}) {
            for (const bool clipped : {false, true}) {
                expectDisc(render(s, 1.0, 35.0 / kH, kClientW, kClientH, curve, clipped), 5, 6,
                           curve == CurveDrawing::Full ? "plain" : "reduced");
                if (QTest::currentTestFailed())
                    return;
            }
        }
        PlotGeometry g;
        g.resize(kClientW, kClientH);
        g.resetView(1);
        QImage page(1600, 2000, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        printPlot(s, g, p, page.width(), page.height());
        p.end();
        dumpImage(page);
        const double scale = (page.height() / 80) / 16.0;
        expectDisc(page, int(5 * scale), int(8 * scale), "paper");
    }

    void valueLabelsAreWholeInPlotImages_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("yOffset");
        QTest::addColumn<double>("ySpan");
        QTest::addColumn<QSize>("size");
        // View All; near the top of the raw range (the widest labels, 12797.35 ft/min); a
        // window reaching below zero.
        const double windows[][2] = {{0.0, 35.0}, {60.0, 5.0}, {-1.0, 3.0}};
        const QSize sizes[] = {QSize(900, 600), QSize(1280, 800), QSize(400, 300)};
        for (const int model : {kModelAirSpeed, kModelVoltage, kModelCurrent}) {
            for (int unit = 0; unit <= 4; ++unit) {
                for (int w = 0; w < 3; ++w) {
                    const QSize size = sizes[(unit + w) % 3];
                    QTest::addRow("model %d unit %d from %g, %dx%d", model, unit, windows[w][0],
                                  size.width(), size.height())
                        << model << unit << windows[w][0] << windows[w][1] << size;
                }
            }
        }
    }

    void valueLabelsAreWholeInPlotImages() {
        QFETCH(int, model);
        QFETCH(int, unit);
        QFETCH(double, yOffset);
        QFETCH(double, ySpan);
        QFETCH(QSize, size);
        // As `quillmark-cli plot` draws: the image's whole plot area at View All, then
        // renderPlotImage with the screen's frame.
        const std::vector<std::uint16_t> v = makeSignal("walk", 600, 3);
        PlotGeometry g;
        g.resize(size.width(), size.height());
        g.resetView(600);
        g.yOffset = yOffset;
        g.yScale = ySpan / g.plotHeight;
        PlotScene s = baseScene();
        s.model = model;
        s.unitIndex = unit;
        s.hideStatistics = true;
        s.samples = v.data();
        s.sampleCount = 600;
        s.yOffset = g.yOffset;
        const QImage img = renderPlotImage(s, screenFrame(size.width(), size.height(), g));
        dumpImage(img);
        // The same labels with room to spare: a 300-pixel margin before a plot area as wide.
        PlotFrame roomy = screenFrame(size.width() + 250, size.height(), g);
        roomy.leftMargin = 300;
        const QImage ref = renderPlotImage(s, roomy);
        dumpImage(ref);

        const auto axisOf = [&](const QImage& im) {
            for (int x = 0; x < im.width(); ++x)
                if (countInColumn(im, x, kPlotTop, kPlotTop + g.plotHeight, kGrid) >
                    g.plotHeight / 4)
                    return x;
            return -1;
        };
        // First and last column holding text in rows top .. top + lineHeight - 1.
        const int lineHeight = labelLineHeight(QFontMetrics(plotFont(kScreenFontHeight)));
        const auto ink = [&](const QImage& im, int top, int right) {
            QPair<int, int> span(-1, -1);
            for (int x = 0; x < right; ++x) {
                for (int y = top; y < top + lineHeight; ++y) {
                    if (im.pixelColor(x, y) != kBorder) {
                        span.first = span.first < 0 ? x : span.first;
                        span.second = x;
                        break;
                    }
                }
            }
            return span;
        };
        const int axis = axisOf(img);
        QVERIFY(axis >= kPlotLeft);
        QCOMPARE(axisOf(ref), 300);
        // No text in the image's first two columns.
        for (int y = 0; y < img.height(); ++y)
            QVERIFY2(img.pixelColor(0, y) == kBorder && img.pixelColor(1, y) == kBorder,
                     qPrintable(QStringLiteral("text at the left edge in row %1").arg(y)));
        // The unit label, then the value labels bottom to top: as wide as with room to spare.
        QList<int> tops{kPlotTop - (3 * lineHeight) / 2};
        for (int k = 0; k <= 10; ++k)
            tops << kPlotTop + g.plotHeight - (k * g.plotHeight) / 10 - lineHeight / 2;
        for (const int top : tops) {
            const bool unitLabel = top == tops.front();
            const auto shown = ink(img, top, unitLabel ? img.width() : axis);
            const auto whole = ink(ref, top, unitLabel ? ref.width() : 300);
            QVERIFY(whole.first > 0);
            QVERIFY2(shown.first > 0 && shown.second - shown.first == whole.second - whole.first,
                     qPrintable(QStringLiteral("label at row %1 spans %2..%3, whole %4 wide")
                                    .arg(top)
                                    .arg(shown.first)
                                    .arg(shown.second)
                                    .arg(whole.second - whole.first + 1)));
        }
        // The unit label starts where the top value label does (up to the glyphs' bearings).
        QVERIFY(std::abs(ink(img, tops.front(), img.width()).first -
                         ink(img, tops.back(), axis).first) <= 2);
    }

    // Even at the plot's least width the Max/Min lines never run over the unit label.
    void statisticsLinesClearTheUnitLabel() {
        std::vector<std::uint16_t> v = makeSignal("walk", 600, 3);
        v[250] = 28000; // a wide maximum readout
        for (const int model : {kModelAirSpeed, kModelVoltage, kModelCurrent}) {
            for (int unit = 0; unit <= 4; ++unit) {
                for (const QSize size : {QSize(720, 440), QSize(1280, 800)}) {
                    PlotGeometry g;
                    g.resize(size.width(), size.height());
                    g.resetView(600);
                    PlotScene s = baseScene();
                    s.model = model;
                    s.unitIndex = unit;
                    s.samples = v.data();
                    s.sampleCount = 600;
                    s.maxIndex = 250;
                    s.minIndex =
                        static_cast<std::int32_t>(std::min_element(v.begin(), v.end()) - v.begin());
                    s.yOffset = g.yOffset;
                    const PlotFrame frame = screenFrame(size.width(), size.height(), g);
                    const QImage with = renderPlotImage(s, frame);
                    s.hideStatistics = true;
                    const QImage without = renderPlotImage(s, frame);
                    // Above the top value label only the unit label and the statistics draw.
                    const int lineHeight =
                        labelLineHeight(QFontMetrics(plotFont(kScreenFontHeight)));
                    int unitRight = -1, statsLeft = size.width();
                    for (int y = 0; y < kPlotTop - lineHeight / 2 - 1; ++y) {
                        for (int x = 0; x < size.width(); ++x) {
                            if (without.pixelColor(x, y) != kBorder)
                                unitRight = std::max(unitRight, x);
                            if (with.pixel(x, y) != without.pixel(x, y))
                                statsLeft = std::min(statsLeft, x);
                        }
                    }
                    const QString where = QStringLiteral("model %1 unit %2 at %3 wide")
                                              .arg(model)
                                              .arg(unit)
                                              .arg(size.width());
                    QVERIFY2(unitRight > 0 && statsLeft < size.width(), qPrintable(where));
                    QVERIFY2(statsLeft > unitRight,
                             qPrintable(where + QStringLiteral(": statistics from x=%1, unit "
                                                               "label to x=%2")
                                                    .arg(statsLeft)
                                                    .arg(unitRight)));
                }
            }
        }
    }

    // Labels read on any margin colour: black on the default, white on a dark one.
    void labelsReadOnDarkMargins() {
        for (const ColourRef border : {PlotColours().border, rgbColour(20, 20, 60)}) {
            PlotScene s = baseScene();
            s.colours.border = border;
            std::vector<std::uint16_t> v = makeSignal("walk", 200, 5);
            s.samples = v.data();
            s.sampleCount = 200;
            s.maxIndex = 10;
            s.minIndex = 20;
            PlotGeometry g;
            g.resize(900, 600);
            g.resetView(200);
            s.yOffset = g.yOffset;
            const QImage img = renderPlotImage(s, screenFrame(900, 600, g));
            const QColor expected = toQColor(readableTextColour(border));
            int text = 0;
            for (int y = 0; y < kPlotTop - 10; ++y)
                for (int x = 0; x < img.width(); ++x)
                    text += img.pixelColor(x, y) == expected;
            QVERIFY2(text > 200, qPrintable(QStringLiteral("%1 text pixels").arg(text)));
            QVERIFY(contrastRatio(readableTextColour(border), border) >= 4.5);
        }
    }

    void marginBands() {
        PlotScene s = baseScene();
        std::vector<std::uint16_t> v(100, 40000); // far above the window: covered by the top band
        s.samples = v.data();
        s.sampleCount = 100;
        const QImage img = render(s, 100.0 / kW, 35.0 / kH);
        for (QPoint pt : {QPoint(5, 5), QPoint(kClientW - 5, kClientH / 2), QPoint(4, kClientH / 2),
                          QPoint(kClientW / 2, kClientH - 3), QPoint(kClientW / 2 + 40, 2)}) {
            QCOMPARE(img.pixelColor(pt), kBorder);
        }
        // The two-pixel strip right of the plot area stays uncovered (background).
        QCOMPARE(img.pixelColor(kPlotLeft + kW + 1, kPlotTop + kH / 2 + 7), kBack);
        QCOMPARE(img.pixelColor(kPlotLeft + kW + 2, kPlotTop + kH / 2 + 7), kBorder);
        QCOMPARE(img.pixelColor(kPlotLeft + kW / 2 + 7, kPlotTop + kH + 1), kBack);
        QCOMPARE(img.pixelColor(kPlotLeft + kW / 2 + 7, kPlotTop + kH + 2), kBorder);
        // Values above 35 never show inside the plot area.
        QCOMPARE(countInRow(img, kPlotTop + 1, kPlotLeft + 1, kPlotLeft + kW - 1, kLine), 0);
    }

    void otherModelDrawsNothing() {
        PlotScene s = baseScene();
        std::vector<std::uint16_t> v = makeSignal("walk", 500, 1);
        s.samples = v.data();
        s.sampleCount = 500;
        s.maxIndex = 3;
        s.minIndex = 4;
        s.model = 42;
        const QImage img = render(s, 500.0 / kW, 35.0 / kH);
        QImage plain(kClientW, kClientH, QImage::Format_RGB32);
        plain.fill(kBack);
        QCOMPARE(img, plain);
        for (std::int32_t m : {86, 710, 711}) {
            s.model = m;
            QVERIFY(render(s, 500.0 / kW, 35.0 / kH) != plain);
        }
    }

    void printingUsesWhiteMarginsAndTheUpperHalf() {
        PlotScene s = baseScene();
        std::vector<std::uint16_t> v = makeSignal("walk", 1000, 2);
        s.samples = v.data();
        s.sampleCount = 1000;
        PlotGeometry g;
        g.resize(kClientW, kClientH);
        g.resetView(1000);
        const int horz = 1600;
        const int vert = 2000;
        const QColor page(255, 0, 255);
        QImage img(horz, vert, QImage::Format_RGB32);
        img.fill(page);
        QPainter p(&img);
        printPlot(s, g, p, horz, vert);
        p.end();
        dumpImage(img);
        const QColor white(255, 255, 255);
        QCOMPARE(img.pixelColor(5, 5), white);
        QCOMPARE(img.pixelColor(horz - 5, 500), white);
        QCOMPARE(img.pixelColor(80, 500), white);
        // No fill of the plot area: the page shows through away from the curve.
        int pageInside = 0;
        for (int y = 150; y < 850; y += 7) {
            pageInside += img.pixelColor(1000, y) == page;
        }
        QVERIFY(pageInside > 50);
        // Nothing in the lower half.
        for (int y = 1000; y < vert; y += 3) {
            QCOMPARE(countInRow(img, y, 0, horz - 1, page), horz);
        }
    }

    void printedPensDotsAndDashesScaleWithThePage() {
        // A letter page at 300 dpi: its font is 41 pixels against the screen's 16.
        const int horz = 2550;
        const int vert = 3300;
        const double scale = (vert / 80) / 16.0;
        PlotScene s = baseScene();
        s.showGridX = s.showGridY = false;
        s.hideStatistics = true;
        s.alarmLow = 5.0f;
        s.alarmHigh = 30.0f;
        std::vector<std::uint16_t> v(100, 12000);
        PlotGeometry g;
        g.resize(kClientW, kClientH);
        g.resetView(100);
        const auto page = [&](bool dots, std::int32_t count) {
            s.showMaskPoints = dots;
            s.samples = v.data();
            s.sampleCount = count;
            QImage img(horz, vert, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            printPlot(s, g, p, horz, vert);
            p.end();
            dumpImage(img);
            return img;
        };
        // The curve: thickness of the flat line in the middle of the page.
        const QImage curve = page(false, 100);
        const int thick = countInColumn(curve, horz / 2, 0, vert / 2 - 1, kLine);
        QVERIFY2(thick >= int(2 * scale), qPrintable(QString::number(thick)));
        // The alarm lines: rows holding red.
        int redRows = 0;
        for (int y = 0; y < vert / 2; ++y)
            redRows += countInRow(curve, y, 0, horz - 1, kRed) > 0;
        QVERIFY2(redRows >= 2 * int(scale), qPrintable(QString::number(redRows)));
        // A lone sample dot, just right of the axis.
        const QImage dot = page(true, 1);
        const int lm = horz / 10;
        int tall = 0;
        for (int x = lm + 1; x < lm + 40; ++x)
            tall = std::max(tall, countInColumn(dot, x, 0, vert / 2 - 1, kLine));
        QVERIFY2(tall >= int(5 * scale), qPrintable(QString::number(tall)));
    }

    void timeLabelsThatWouldOverlapAreSkipped() {
        // A plot area 200 pixels wide puts the six ticks 40 pixels apart: less than a date.
        PlotScene s = baseScene();
        s.hideStatistics = true;
        const int w = 300;
        const int h = 320;
        const QImage img = render(s, 20.0 / 200, 35.0 / 240, w, h);
        QFont font = plotFont(kScreenFontHeight);
        const QFontMetrics fm(font);
        const int lh = labelLineHeight(fm);
        const int labelWidth = fm.horizontalAdvance(QStringLiteral("08-12-2026"));
        // In each label row, no run of inked columns is wider than one label.
        for (const int top : {40 + 240 + lh / 2, 40 + 240 + (3 * lh) / 2}) {
            int run = 0;
            int widest = 0;
            int runs = 0;
            for (int x = 0; x < w; ++x) {
                bool ink = false;
                for (int y = top; y < top + lh; ++y)
                    ink = ink || img.pixelColor(x, y) != kBorder;
                run = ink ? run + 1 : 0;
                runs += run == 1;
                widest = std::max(widest, run);
            }
            QVERIFY2(widest <= labelWidth, qPrintable(QString::number(widest)));
            QVERIFY(runs >= 2); // the first label and at least one more
        }
    }

    void readoutEndsThirteenPixelsBeforeItsRightEdge() {
        QImage img(600, 40, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(plotFont(16));
        p.setPen(Qt::black);
        const int w = DrawReadout(1234, 10, 2.0f, 12345, 1.0, 1700000000, 500, p, true);
        p.end();
        dumpImage(img);
        int firstInk = 600;
        int lastInk = -1;
        for (int x = 0; x < 600; ++x) {
            for (int y = 0; y < 40; ++y) {
                if (img.pixelColor(x, y) != QColor(Qt::white)) {
                    firstInk = std::min(firstInk, x);
                    lastInk = std::max(lastInk, x);
                }
            }
        }
        QVERIFY(lastInk < 500 - 13 + 1);
        QVERIFY(lastInk > 500 - 13 - 6);
        QVERIFY(firstInk >= 500 - w);
        QVERIFY(firstInk <= 500 - w + 3);
    }

    void readoutGapsGrowWithThePrinterFont() {
        // A printer page's font is many times the screen's 16 pixels; the gaps between
        // "NO.", the index, "Value:" and so on must grow with it or the words run together.
        QImage img(8000, 400, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        const int heights[] = {16, 160};
        int used[2] = {0, 0};
        int text[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            p.setFont(plotFont(heights[k]));
            const QFontMetrics fm = p.fontMetrics();
            text[k] = fm.horizontalAdvance(QStringLiteral("NO.")) +
                      fm.horizontalAdvance(QStringLiteral("1234")) +
                      fm.horizontalAdvance(QStringLiteral("Value:")) +
                      fm.horizontalAdvance(QStringLiteral("12.35")) +
                      fm.horizontalAdvance(QStringLiteral("Time:")) +
                      fm.horizontalAdvance(QStringLiteral("00:00:00")); // digits share one width
            used[k] = DrawReadout(1234, 10, 2.0f, 12345, 1.0, 1700000000, 7900, p, true);
        }
        p.end();
        dumpImage(img);
        const int screenGaps = used[0] - text[0];
        const int printerGaps = used[1] - text[1];
        QCOMPARE(screenGaps, 3 * 13 + 3 * 5); // the screen layout is unchanged
        QVERIFY2(printerGaps >= 8 * screenGaps, qPrintable(QString::number(printerGaps)));
    }

    void statisticsLinesCanBeHidden() {
        std::vector<std::uint16_t> v = makeSignal("walk", 1000, 5);
        PlotScene s = baseScene();
        s.samples = v.data();
        s.sampleCount = 1000;
        s.maxIndex = 10;
        s.minIndex = 20;
        s.average = 12.0;
        const auto inkAbove = [](const QImage& img) {
            int n = 0;
            // Right of where the unit label can reach.
            for (int y = 0; y < kPlotTop - 1; ++y) {
                n += countInRow(img, y, kPlotLeft + 60, kPlotLeft + kW, QColor(0, 0, 0));
            }
            return n;
        };
        QVERIFY(inkAbove(render(s, 1000.0 / kW, 35.0 / kH)) > 50);
        s.hideStatistics = true;
        QCOMPARE(inkAbove(render(s, 1000.0 / kW, 35.0 / kH)), 0);
        // Indices outside the recording are skipped rather than read.
        s.hideStatistics = false;
        s.maxIndex = 5000;
        s.minIndex = -1;
        QCOMPARE(inkAbove(render(s, 1000.0 / kW, 35.0 / kH)), 0);
    }

    void degenerateScalesDrawWithoutSamples() {
        // Zero or non-finite scales (a window never sized) must not break the drawing.
        std::vector<std::uint16_t> v = makeSignal("walk", 100, 9);
        PlotScene s = baseScene();
        s.samples = v.data();
        s.sampleCount = 100;
        for (double ys : {0.0, std::nan(""), 1e-300}) {
            const QImage img = render(s, 0.0, ys);
            QVERIFY2(countInRow(img, kPlotTop + kH / 2, kPlotLeft + 1, kPlotLeft + kW - 1, kGrid) >
                         0,
                     qPrintable(QString::number(ys)));
        }
        const QImage img = render(s, 1e-300, 35.0 / kH); // every later sample far right
        QVERIFY(countInColumn(img, kPlotLeft + 10, kPlotTop, kPlotTop + kH, kLine) > 0);
    }

    void fontHeightIsTheCellHeight() {
        for (int h : {16, 25, 50}) {
            const QFontMetrics fm(plotFont(h));
            QVERIFY2(std::abs(fm.ascent() + fm.descent() - h) <= 1, qPrintable(QString::number(h)));
        }
    }
};

QTEST_MAIN(PlotDrawTest)
#include "plot_draw_test.moc"
