// Compared runs: the reduced drawing against a plain drawing of every segment, pixel for
// pixel, and the legend kept clear of the statistics texts.
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "app_test_support.h"
#include "core/app/logger_model.h"
#include "core/data/recording.h"
#include "core/data/recording_file.h"
#include "core/plot/compared_runs.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_view.h"
#include "core/settings/ini_store.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/analyze_commands.h"
#include "gui/plot/ccolor_setting.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/compare_runs.h"
#include "render/compared_drawing.h"
#include "render/draw_plot.h"
#include "render/qt_colour.h"

using namespace quillmark;

namespace {

std::shared_ptr<const Recording> run(std::vector<std::uint16_t> raw, float interval,
                                     int startMinute) {
    auto rec = std::make_shared<Recording>();
    const bool fast = interval < 1.0f;
    rec->header[block::kIntervalSeconds] = fast ? 0 : static_cast<std::uint8_t>(interval);
    rec->header[block::kStartYear] = 0xEA; // 2026
    rec->header[block::kStartYear + 1] = 0x07;
    rec->header[block::kStartMonth] = 5;
    rec->header[block::kStartDay] = 4;
    rec->header[block::kStartHour] = 10;
    rec->header[block::kStartMinute] = static_cast<std::uint8_t>(startMinute);
    rec->header[block::kModeFlags] = fast ? 0x12 : 0x02;
    rec->samples = std::move(raw);
    rec->sampleCount = static_cast<std::int32_t>(rec->samples.size());
    return rec;
}

std::vector<std::uint16_t> signal(std::size_t n, std::uint64_t seed, bool overRange) {
    std::mt19937_64 rng(seed);
    std::vector<std::uint16_t> v(n);
    double level = 15000;
    for (std::size_t i = 0; i < n; ++i) {
        level += std::uniform_real_distribution<double>(-900, 900)(rng);
        level = std::clamp(level, 0.0, 30000.0);
        v[i] = static_cast<std::uint16_t>(level);
        if (overRange && std::uniform_int_distribution<int>(0, 400)(rng) == 0) {
            v[i] = kOverRangeRaw;
        }
    }
    return v;
}

CurveMapping areaOf(const PlotScene& s, const PlotFrame& f) {
    CurveMapping m;
    m.xScale = f.xScale;
    m.xOffset = s.xOffset;
    m.xMin = s.xMin;
    m.yScale = f.yScale;
    m.yOffset = s.yOffset;
    m.yMin = s.yMin;
    m.factor = unitFactor(s.unitIndex);
    m.left = f.leftMargin;
    m.top = f.topMargin;
    m.width = f.plotWidth();
    m.height = f.plotHeight();
    return m;
}

// Every segment between two valid neighbours, one drawLine each.
void drawPlainRuns(QPainter& p, const PlotScene& s, const CurveMapping& m) {
    p.save();
    p.setClipRect(QRect(m.left, m.top, m.width + 1, m.height + 1));
    for (const ComparedCurve& c : s.compared) {
        p.setPen(QPen(toQColor(c.colour), 1, Qt::SolidLine, Qt::SquareCap));
        const std::uint16_t* raw = c.summary->samples();
        const auto x = [&](std::int64_t j) {
            return sampleToPixelX(comparedIndex(j, c.interval, c.offsetSeconds, s.sampleInterval),
                                  m.xScale, m.xOffset, m.xMin, m.left);
        };
        for (std::int64_t j = 0; j + 1 < c.summary->count(); ++j) {
            if (raw[j] > kOverRangeThresholdRaw || raw[j + 1] > kOverRangeThresholdRaw) {
                continue;
            }
            const std::int64_t x1 = x(j), x2 = x(j + 1);
            if (std::max(x1, x2) < m.left - 20 || std::min(x1, x2) > m.left + m.width + 20) {
                continue;
            }
            p.drawLine(int(x1), int(m.y(raw[j])), int(x2), int(m.y(raw[j + 1])));
        }
    }
    p.restore();
}

} // namespace

class PlotCompareTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { setLoggerModel(kModelVoltage); }

    void reducedRunsMatchPlainLines_data() {
        QTest::addColumn<float>("shownInterval");
        QTest::addColumn<double>("xOffset");
        QTest::addColumn<double>("xScale");
        QTest::addColumn<bool>("byClock");
        QTest::addColumn<int>("unit");
        QTest::newRow("dense, at start") << 2.0f << 0.0 << 40.0 << false << 0;
        QTest::newRow("dense, by clock") << 1.0f << 0.0 << 90.0 << true << 0;
        QTest::newRow("zoomed, by clock") << 2.0f << 700.0 << 0.3 << true << 0;
        QTest::newRow("sparse, fast shown") << kFastInterval << 5000.0 << 2.0 << false << 2;
        QTest::newRow("columns of a few") << 1.0f << 1000.0 << 3.5 << true << 0;
    }

    void reducedRunsMatchPlainLines() {
        QFETCH(float, shownInterval);
        QFETCH(double, xOffset);
        QFETCH(double, xScale);
        QFETCH(bool, byClock);
        QFETCH(int, unit);
        PlotView view;
        view.geometry().resize(1000, 520);
        view.setSamples(nullptr, 0);
        view.setSampleInterval(shownInterval);
        view.setStartTime(*startTime(*run({}, 1.0f, 0)));
        view.resetView();
        view.display().hideStatistics = true;
        view.display().unitIndex = unit;
        PlotGeometry& g = view.geometry();
        g.xOffset = xOffset;
        g.xScale = xScale;
        g.yScale = 35.0 / g.plotHeight;
        view.addRun(run(signal(30000, 1, true), 2.0f, 1));
        view.addRun(run(signal(100000, 2, false), 1.0f, 0));
        view.addRun(run(signal(200000, 3, true), kFastInterval, 2));
        view.setAlignment(byClock ? RunAlignment::ByClock : RunAlignment::AtStart);

        const PlotScene withRuns = view.scene(kModelVoltage);
        const PlotFrame frame = screenFrame(1000, 520, g);
        const QImage reduced = renderPlotImage(withRuns, frame);

        PlotScene bare = withRuns;
        bare.compared.clear();
        QImage plain = renderPlotImage(bare, frame);
        {
            QPainter p(&plain);
            const CurveMapping m = areaOf(withRuns, frame);
            drawPlainRuns(p, withRuns, m);
            drawComparedLegend(p, withRuns, m, frame.fontHeight, 1);
        }
        int differing = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                differing += plain.pixel(x, y) != reduced.pixel(x, y);
            }
        }
        if (differing != 0) {
            reduced.save(QStringLiteral("/tmp/compare_reduced.png"));
            plain.save(QStringLiteral("/tmp/compare_plain.png"));
        }
        QCOMPARE(differing, 0);
        // The runs did draw: the image is not the bare plot.
        QVERIFY(reduced != renderPlotImage(bare, frame));
    }

    // With runs compared the shown curve is reduced on another thread while the runs are
    // drawn: the frame must still equal drawing every sample of the curve and of the runs, at
    // a screen's ratios, with and without dots, over many frames in a row.
    void shownCurveBesideRunsMatchesEverySample_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<bool>("dots");
        QTest::newRow("1, dots") << 1.0 << true;
        QTest::newRow("1, line only") << 1.0 << false;
        QTest::newRow("1.5, dots") << 1.5 << true;
        QTest::newRow("2, line only") << 2.0 << false;
    }

    void shownCurveBesideRunsMatchesEverySample() {
        QFETCH(double, ratio);
        QFETCH(bool, dots);
        PlotView view;
        view.geometry().resize(700, 420);
        QVERIFY(view.setRecording(run(signal(60000, 9, true), 2.0f, 0)));
        view.resetView();
        view.display().showMaskPoints = dots;
        view.addRun(run(signal(30000, 1, true), 1.0f, 1));
        view.addRun(run(signal(9000, 2, false), 7.0f, 0));
        PlotGeometry& g = view.geometry();
        for (int frameNo = 0; frameNo < 6; ++frameNo) {
            const PlotScene scene = view.scene(kModelVoltage);
            QVERIFY(!scene.compared.empty());
            const PlotFrame device = deviceFrame(screenFrame(700, 420, g), ratio);
            const auto draw = [&](CurveDrawing how) {
                QImage image(device.right - device.left, device.bottom - device.top,
                             QImage::Format_RGB32);
                image.fill(toQColor(scene.colours.background));
                QPainter p(&image);
                DrawPlot(scene, device, p, how);
                return image;
            };
            const QImage reduced = draw(CurveDrawing::Reduced);
            const QImage full = draw(CurveDrawing::Full);
            if (reduced != full) {
                reduced.save(QStringLiteral("/tmp/beside_reduced.png"));
                full.save(QStringLiteral("/tmp/beside_full.png"));
            }
            QVERIFY2(reduced == full, qPrintable(QStringLiteral("frame %1").arg(frameNo)));
            // Zoom in about the middle, then pan: each frame another mapping.
            if (frameNo < 3) {
                view.zoomTimeAboutCentre(0.3);
            } else {
                view.panTime(0.37);
            }
        }
    }

    // A file that cannot be read, or one run too many, gives Open's message and adds nothing;
    // the Runs list hides and removes runs.
    void addingHidingAndRemovingRuns() {
        test_support::forgetWatches();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString good = test_support::writeRecording(dir.filePath(QStringLiteral("a.smpq")),
                                                          signal(400, 5, false), kModelVoltage);
        const QString bad = dir.filePath(QStringLiteral("bad.smpq"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("short");
        f.close();
        CGraphics plot;
        plot.resize(900, 500);
        auto shown = std::make_shared<Recording>(*run(signal(1000, 4, false), 2.0f, 0));
        plot.setRecording(shown, *startTime(*shown));
        RunsPanel panel(plot);

        auto box = test_support::answerNextBox(QMessageBox::Ok);
        QVERIFY(!addComparedRuns(plot, {good, bad}, nullptr));
        QVERIFY(box->shown);
        QCOMPARE(box->text, QStringLiteral("Failed to open document."));
        QVERIFY(box->informative.contains(QStringLiteral("bad.smpq")));
        QVERIFY(plot.view().runs().empty());

        QVERIFY(addComparedRuns(plot, {good, good}, nullptr));
        QCOMPARE(plot.view().runs().size(), std::size_t(2));
        QCOMPARE(panel.rows().size(), 2);
        QVERIFY(panel.rows()[0].contains(QStringLiteral("400 samples")));
        QStringList seven;
        for (int i = 0; i < 7; ++i)
            seven << good;
        box = test_support::answerNextBox(QMessageBox::Ok);
        QVERIFY(!addComparedRuns(plot, seven, nullptr));
        QVERIFY(box->shown);
        QCOMPARE(plot.view().runs().size(), std::size_t(2));

        panel.list()->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(!plot.view().runs()[0]->visible);
        QCOMPARE(plot.scene().compared.size(), std::size_t(1));
        QCOMPARE(plot.scene().compared[0].colour, plot.view().runColour(1));
        plot.removeRun(0);
        QCOMPARE(panel.rows().size(), 1);
        QCOMPARE(plot.scene().compared.size(), std::size_t(1));
    }

    // One Measurements row per visible run over the visible span, with the run's value at
    // the pointer's time; hiding a run takes its row away.
    void measurementsShowOneRowPerVisibleRun() {
        CGraphics plot;
        plot.resize(900, 500);
        auto shown = std::make_shared<Recording>(*run(signal(1000, 4, false), 2.0f, 0));
        plot.setRecording(shown, *startTime(*shown));
        plot.ResetView();
        MeasurementsPanel panel;
        panel.show();
        panel.follow(&plot);
        QVERIFY(panel.runRows().isEmpty());
        const auto slow = run(signal(400, 6, true), 1.0f, 0);
        const auto fast = run(signal(150, 7, false), 1.0f, 0);
        plot.addRun(slow);
        plot.addRun(fast);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));

        struct Step {
            const char* name;
            int pointerX;
            bool hideFirst;
        };
        const Step steps[] = {{"both runs, pointer inside both", 120, false},
                              {"pointer past the short run", 200, false},
                              {"first run hidden", 130, true}};
        for (const Step& step : steps) {
            if (step.hideFirst)
                plot.setRunVisible(0, false); // a redraw: the pointer has to move again
            const QPointF at(step.pointerX, 250);
            QMouseEvent move(QEvent::MouseMove, at, plot.mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&plot, &move);
            const std::optional<std::int64_t> k = plot.pointerSample();
            QVERIFY2(k, step.name);
            const QStringList rows = panel.runRows();
            std::vector<std::shared_ptr<const Recording>> visible;
            if (!step.hideFirst)
                visible.push_back(slow);
            visible.push_back(fast);
            QCOMPARE(rows.size(), 1 + static_cast<qsizetype>(visible.size()));
            for (std::size_t r = 0; r < visible.size(); ++r) {
                const Recording& rec = *visible[r];
                const QStringList cells = rows[static_cast<qsizetype>(r) + 1].split('\t');
                QCOMPARE(cells.size(), 8);
                // The whole run lies within the visible span (At Start, the shown run is longer).
                QCOMPARE(cells[1], QString::number(rec.samples.size()));
                std::int64_t over = 0;
                for (const std::uint16_t v : rec.samples)
                    over += v > 31000 ? 1 : 0;
                QCOMPARE(cells[6], QString::number(over));
                // The pointer's shown sample k lies at 2k s: the run's sample 2k, if it has one.
                const std::size_t j = static_cast<std::size_t>(2 * *k);
                const QString expected = j >= rec.samples.size() ? QString()
                                         : rec.samples[j] > 31000
                                             ? QStringLiteral("OL")
                                             : QString::number(rec.samples[j] / 1000.0, 'f', 2);
                QCOMPARE(cells[7], expected);
            }
        }
    }

    void windowExportAndCommandLineAgree_data() {
        QTest::addColumn<bool>("byClock");
        QTest::newRow("at start") << false;
        QTest::newRow("by clock") << true;
    }

    // The same view with compared runs in the window, in Export Image and from
    // `quillmark-cli plot`, pixel for pixel.
    void windowExportAndCommandLineAgree() {
        QFETCH(bool, byClock);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Three intervals: the shown 2 s, a 1 s run starting later and a fast run.
        struct File {
            const char* name;
            std::size_t samples;
            float interval;
            int startMinute;
            bool overRange;
        };
        const File files[] = {{"a.smpq", 3000, 2.0f, 0, false},
                              {"b.smpq", 4000, 1.0f, 20, true},
                              {"c.smpq", 200000, 0.0025f, 5, false}};
        QStringList paths;
        for (std::size_t i = 0; i < std::size(files); ++i) {
            const File& f = files[i];
            Recording rec = *run(signal(f.samples, 40 + i, f.overRange), f.interval, f.startMinute);
            computeStatistics(rec);
            paths << dir.filePath(QString::fromLatin1(f.name));
            QVERIFY(writeRecordingFile(paths.last().toStdString(), rec, kModelVoltage));
        }

        CGraphics plot;
        LoadColours(plot, settingsIniPath());
        plot.resize(1280, 800);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        const auto shown =
            std::make_shared<const Recording>(readRecordingFile(paths[0].toStdString())->recording);
        plot.setRecording(shown, *startTime(*shown));
        plot.setAlignment(byClock ? RunAlignment::ByClock : RunAlignment::AtStart);
        QVERIFY(addComparedRuns(plot, {paths[1], paths[2]}, nullptr));
        plot.viewAll();
        const QImage window = plot.renderPlot(1.0).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(window.size(), QSize(1280, 800));

        const QString exported = dir.filePath(QStringLiteral("export.png"));
        QVERIFY(writePlotImage(plot, exported, nullptr, 1.0));
        const QImage fromExport = QImage(exported).convertToFormat(QImage::Format_RGB32);

        const QString cli = dir.filePath(QStringLiteral("cli.png"));
        QProcess p;
        p.start(QStringLiteral(QUILLMARK_CLI),
                {QStringLiteral("plot"), paths[0], paths[1], paths[2], QStringLiteral("--size"),
                 QStringLiteral("1280x800"), QStringLiteral("--align"),
                 byClock ? QStringLiteral("clock") : QStringLiteral("start"), QStringLiteral("-o"),
                 cli});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        const QImage fromCli = QImage(cli).convertToFormat(QImage::Format_RGB32);

        for (const auto& [name, image] : {std::pair{"export", &fromExport}, {"cli", &fromCli}}) {
            QCOMPARE(image->size(), window.size());
            int differing = 0;
            for (int y = 0; y < window.height(); ++y)
                for (int x = 0; x < window.width(); ++x)
                    differing += window.pixel(x, y) != image->pixel(x, y) ? 1 : 0;
            QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1: %2 pixels differ")
                                                    .arg(QLatin1String(name))
                                                    .arg(differing)));
        }
        // The runs are in it: without them the window draws otherwise.
        plot.clearRuns();
        QVERIFY(plot.renderPlot(1.0).convertToFormat(QImage::Format_RGB32) != window);
    }

    void legendLeavesTheStatisticsAlone() {
        std::vector<std::uint16_t> raw = signal(5000, 9, false);
        auto shown = run(raw, 2.0f, 0);
        auto rec = std::make_shared<Recording>(*shown);
        computeStatistics(*rec);
        PlotView view;
        view.geometry().resize(800, 500);
        QVERIFY(view.setRecording(rec));
        view.resetView();
        const PlotFrame frame = screenFrame(800, 500, view.geometry());
        const QImage alone = renderPlotImage(view.scene(kModelVoltage), frame);
        for (int i = 0; i < 8; ++i) {
            view.addRun(run(signal(3000 + 100 * i, 20 + i, false), 1.0f, i));
        }
        const QImage compared = renderPlotImage(view.scene(kModelVoltage), frame);
        // Everything above the plot area (the statistics and their band) stays as it was.
        QCOMPARE(compared.copy(0, 0, 800, kPlotTop), alone.copy(0, 0, 800, kPlotTop));
        QVERIFY(compared != alone);
    }
};

QUILLMARK_GUI_TEST_MAIN(PlotCompareTest)
#include "plot_compare_test.moc"
