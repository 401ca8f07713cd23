// Measure mode: a drag selects samples, the Measurements panel shows their figures, Escape
// clears the selection, and the band is an overlay only.
#include <QKeyEvent>
#include <QMenu>
#include <QtTest>
#include <optional>

#include "app_test_support.h"
#include "core/analysis/measurement_text.h"
#include "core/analysis/range_analysis.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "core/common/byte_order.h"
#include "core/common/header_layout.h"
#include "core/data/recording.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/cmain_frame.h"
#include "gui/plot/cgraphics.h"
#include "image_dump.h"

using namespace quillmark;

namespace {

// 1000 samples at 2 s with alarm limits 5 and 20: values up and down through both limits,
// and one over-range sample.
Recording measureRecording() {
    Recording rec = newDocumentRecording(1700000000);
    rec.samples.resize(1000);
    for (std::size_t i = 0; i < rec.samples.size(); ++i)
        rec.samples[i] = static_cast<std::uint16_t>((i * 7919) % 26000);
    rec.samples[150] = 45000;
    rec.sampleCount = 1000;
    computeStatistics(rec);
    putF32LE(rec.header.data() + block::kAlarmLow, 5.0f);
    putF32LE(rec.header.data() + block::kAlarmHigh, 20.0f);
    return rec;
}

// A 1000 x 520 plot (900 x 440 plot area, 1000/900 samples per pixel) showing all samples.
struct Plot {
    Recording rec = measureRecording();
    CGraphics g;
    Plot() {
        g.resize(1000, 520);
        g.setRecording(rec, 1700000000);
        g.ResetView();
        g.SetMode(Measure);
    }
    void drag(int x0, int x1, int y = 200) {
        QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
        QTest::mouseMove(&g, QPoint((x0 + x1) / 2, y));
        QTest::mouseMove(&g, QPoint(x1, y));
        QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    }
    void key(int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(&g, &press);
    }
};

QStringList expectedRows(const Recording& rec, std::int64_t first, std::int64_t last, int unit) {
    const DisplayUnit u = displayUnit(loggerModel(), unit);
    QStringList out;
    for (const MeasurementLine& l :
         measurementLines(rec, RangeAnalysis(rec).statistics(first, last, u.factor), u))
        out << QString::fromStdString(l.label + " " + l.value);
    return out;
}

} // namespace

class MeasureTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLoggerModel(710); }

    void dragSelectsTheSamplesUnderIt_data() {
        QTest::addColumn<int>("x0");
        QTest::addColumn<int>("x1");
        QTest::addColumn<qint64>("first"); // -1: no selection
        QTest::addColumn<qint64>("last");
        // Sample under x: trunc((x - 50) x 1000 / 900 + 0.5).
        QTest::newRow("left to right") << 150 << 240 << qint64(111) << qint64(211);
        QTest::newRow("right to left") << 240 << 150 << qint64(111) << qint64(211);
        QTest::newRow("past the right edge") << 900 << 995 << qint64(944) << qint64(999);
        QTest::newRow("from the left edge") << 51 << 60 << qint64(1) << qint64(11);
        QTest::newRow("a click") << 300 << 300 << qint64(-1) << qint64(-1);
        QTest::newRow("pressed outside the plot") << 20 << 300 << qint64(-1) << qint64(-1);
    }
    void dragSelectsTheSamplesUnderIt() {
        QFETCH(int, x0);
        QFETCH(int, x1);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        Plot p;
        const DataWindow before = p.g.geometry().window();
        p.drag(x0, x1);
        const std::optional<SampleSelection> s = p.g.selection();
        if (first < 0) {
            QVERIFY(!s);
        } else {
            QVERIFY(s);
            QCOMPARE(s->first, first);
            QCOMPARE(s->last, last);
        }
        QVERIFY(p.g.geometry().window() == before); // measuring never zooms
    }

    void panelShowsTheRangeFiguresAndFollowsTheUnit() {
        Plot p;
        MeasurementsPanel panel;
        panel.show();
        panel.follow(&p.g);
        // No selection: the visible window, here every sample.
        QCOMPARE(panel.caption(), QStringLiteral("Visible window"));
        QCOMPARE(panel.rows(), expectedRows(p.rec, 0, 999, 0));

        p.drag(150, 240);
        QCOMPARE(panel.caption(), QStringLiteral("Selection"));
        const QStringList rows = panel.rows();
        QCOMPARE(rows, expectedRows(p.rec, 111, 211, 0));
        QCOMPARE(rows.value(0), QStringLiteral("Range: 111 .. 211 (101 samples)"));
        QCOMPARE(rows.value(3), QStringLiteral("Duration: 200 s"));
        // The smallest value of 111..211, found by hand.
        std::int64_t minAt = 111;
        for (std::int64_t i = 111; i <= 211; ++i)
            if (p.rec.samples[i] <= 31000 && p.rec.samples[i] <= p.rec.samples[minAt])
                minAt = i;
        QVERIFY2(rows.value(5).startsWith(QStringLiteral("Min: %1 V at sample %2, ")
                                              .arg(p.rec.samples[minAt] / 1000.0, 0, 'f', 4)
                                              .arg(minAt)),
                 qPrintable(rows.value(5)));
        QCOMPARE(rows.value(9), QStringLiteral("OverRange: 1 sample"));

        p.g.setUnitIndex(3);
        QCOMPARE(panel.rows(), expectedRows(p.rec, 111, 211, 3));
        QVERIFY(panel.rows() != rows);

        // Zoomed in with no selection: the samples of the new window.
        p.key(Qt::Key_Escape);
        p.g.geometry().setWindow({300.0, 900.0 * 0.2, 0.0, 35.0});
        p.g.refresh();
        QCOMPARE(panel.rows(), expectedRows(p.rec, 300, 480, 3));
    }

    void escapeClearsTheSelectionBeforeViewAll() {
        Plot p;
        p.g.geometry().setWindow({100.0, 450.0, 0.0, 35.0});
        const DataWindow zoomed = p.g.geometry().window();
        p.drag(150, 240);
        QVERIFY(p.g.selection());
        QSignalSpy changed(&p.g, &CGraphics::measurementChanged);
        p.key(Qt::Key_Escape);
        QVERIFY(!p.g.selection());
        QVERIFY(changed.count() >= 1);
        QVERIFY(p.g.geometry().window() == zoomed); // the first Escape only clears
        p.key(Qt::Key_Escape);
        QCOMPARE(p.g.geometry().window().xOffset, 0.0); // then View All as before
        QCOMPARE(p.g.geometry().window().xSpan, 1000.0);
    }

    void bandIsAnOverlayOnly() {
        Plot p;
        const QImage plain = p.g.renderPlot();
        p.drag(150, 240);
        QVERIFY(p.g.selection());
        QCOMPARE(p.g.renderPlot(), plain);
        const QImage shown = p.g.grab().toImage().convertToFormat(QImage::Format_RGB32);
        test_support::dumpImage(shown);
        // Inside the band the picture is tinted; outside it is the plain plot.
        QVERIFY(shown.pixel(200, 60) != plain.convertToFormat(QImage::Format_RGB32).pixel(200, 60));
        QCOMPARE(shown.pixel(700, 60), plain.convertToFormat(QImage::Format_RGB32).pixel(700, 60));
    }

    void measureItemAndHiddenPanel() {
        CMainFrame frame;
        QMenu* analyze = frame.menu(QStringLiteral("menuAnalyze"));
        QVERIFY(analyze);
        QAction* measure = frame.action(ID_MEASURE);
        QVERIFY(measure && analyze->actions().contains(measure));
        QCOMPARE(measure->shortcut(), QKeySequence(Qt::Key_M));
        QVERIFY(!measure->statusTip().isEmpty());
        CGraphics plot;
        frame.attachMeasurements(&plot);
        QVERIFY(frame.measurementsPanel()->isHidden()); // until first used
        frame.showMeasurements();
        QVERIFY(!frame.measurementsPanel()->isHidden());
        frame.close();
        // The next window remembers that the panel was shown.
        CMainFrame again;
        again.attachMeasurements(&plot);
        QVERIFY(!again.measurementsPanel()->isHidden());
    }
};

QUILLMARK_GUI_TEST_MAIN(MeasureTest)
#include "measure_test.moc"
