// The plot window: hand-over and View All, the cursor line and readout over the cached
// plot, the Zoom In drag, and the right-click menu per logger model.
#include <QMenu>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>
#include <vector>

#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "core/common/header_layout.h"
#include "core/data/recording.h"
#include "core/plot/plot_menu.h"
#include "gui/app/cskein_doc.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/cskein_view.h"
#include "image_dump.h"

using namespace quillmark;

namespace {

struct Item {
    QString text;
    int id;
    bool checkable;
    bool checked;
};

QList<Item> menuItems(const CGraphics& g) {
    std::unique_ptr<QMenu> menu(g.createContextMenu());
    QList<Item> out;
    for (QAction* a : menu->actions()) {
        // The window adds mnemonics to the menu's words.
        out.append({QString(a->text()).remove(QLatin1Char('&')), a->data().toInt(),
                    a->isCheckable(), a->isChecked()});
    }
    return out;
}

QImage shown(CGraphics& g) {
    const QImage img = g.grab().toImage().convertToFormat(QImage::Format_RGB32);
    test_support::dumpImage(img);
    return img;
}

QImage rendered(const CGraphics& g) {
    const QImage img = g.renderPlot();
    test_support::dumpImage(img);
    return img;
}

} // namespace

class PlotWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLoggerModel(710); }

    void handOverAndViewAll() {
        Recording rec = newDocumentRecording(1700000000); // 2-second interval
        rec.samples.assign(1000, 12000);
        rec.sampleCount = 1000;
        rec.maxIndex = 999;
        rec.minIndex = 0;
        CGraphics g;
        g.resize(1000, 520);
        g.setRecording(rec, 1700000000);
        g.ResetView();
        QCOMPARE(g.geometry().plotWidth, 900);
        QCOMPARE(g.geometry().plotHeight, 440);
        QCOMPARE(g.geometry().xScale, 1000.0 / 900);
        QCOMPARE(g.geometry().yScale, 35.0 / 440);
        QCOMPARE(g.scene().sampleCount, 1000);
        QCOMPARE(g.scene().sampleInterval, 2.0f);
        QCOMPARE(g.scene().startTime, std::int64_t(1700000000));
        // The rendered plot shows the 12 V line at y = 40 + trunc(440 - 150.86) = 329.
        const QImage img = rendered(g);
        QCOMPARE(img.pixelColor(500, 329), QColor(0, 0, 255));
    }

    void setDataNeedsAValidStartTime() {
        Recording rec = newDocumentRecording(1700000000);
        rec.samples.assign(50, 1000);
        rec.sampleCount = 50;
        CGraphics g;
        QVERIFY(g.setData(&rec));
        QCOMPARE(g.scene().sampleCount, 50);
        QCOMPARE(g.scene().startTime, *startTime(rec));
        Recording bad = rec;
        bad.header[block::kStartMonth] = 13;
        bad.samples.assign(7, 1000);
        bad.sampleCount = 7;
        QVERIFY(!g.setData(&bad));
        QCOMPARE(g.scene().sampleCount, 50); // unchanged
        QVERIFY(g.setData(nullptr));
        QCOMPARE(g.scene().sampleCount, 0);
    }

    void cursorLineInvertsAndMoves() {
        std::vector<std::uint16_t> v(1000, 12000);
        CGraphics g;
        g.resize(1000, 520);
        g.setSamples(v.data(), 1000);
        g.ResetView();
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const QImage plain = rendered(g);
        QCOMPARE(shown(g), plain);

        QTest::mouseMove(&g, QPoint(500, 300));
        QImage img = shown(g);
        // NOT (pixel XOR red) keeps red's complement: (r, g, b) -> (r, 255 - g, 255 - b).
        const QColor bg = plain.pixelColor(500, 200);
        QCOMPARE(img.pixelColor(500, 200), QColor(bg.red(), 255 - bg.green(), 255 - bg.blue()));
        // The line spans exactly the plot height, y 40 to 479; the bottom axis at 480 stays.
        QVERIFY(img.pixelColor(500, 40) != plain.pixelColor(500, 40));
        QVERIFY(img.pixelColor(500, 479) != plain.pixelColor(500, 479));
        QCOMPARE(img.pixelColor(500, 480), plain.pixelColor(500, 480));
        QCOMPARE(img.pixelColor(500, 39), plain.pixelColor(500, 39));
        QCOMPARE(img.pixelColor(501, 200), plain.pixelColor(501, 200));
        // The readout strip now holds text over the border colour.
        const int lh = QFontMetrics(g.font()).height();
        int text = 0;
        for (int x = 500; x < 950; ++x) {
            text += img.pixelColor(x, 40 - lh / 2) != plain.pixelColor(x, 40 - lh / 2);
        }
        QVERIFY(text > 10);

        QTest::mouseMove(&g, QPoint(600, 300));
        img = shown(g);
        QCOMPARE(img.pixelColor(500, 200), plain.pixelColor(500, 200)); // old line gone
        QCOMPARE(img.pixelColor(600, 200), QColor(bg.red(), 255 - bg.green(), 255 - bg.blue()));

        // A repaint of the whole window removes the line and the readout, and so does the
        // pointer leaving the window.
        g.refresh();
        QCOMPARE(shown(g), plain);
        QTest::mouseMove(&g, QPoint(610, 300));
        QVERIFY(shown(g) != plain);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&g, &leave);
        QCOMPARE(shown(g), plain);
    }

    void valueLabelsAreNeverCutInAnyUnit_data() {
        QTest::addColumn<int>("unit");
        for (int unit = 0; unit <= 4; ++unit)
            QTest::addRow("unit %d", unit) << unit;
    }
    void valueLabelsAreNeverCutInAnyUnit() {
        QFETCH(int, unit);
        setLoggerModel(86);
        std::vector<std::uint16_t> v(600, 30000); // 30 m/s: 5906 ft/min
        CGraphics g;
        g.resize(720, 440); // the smallest plot window
        PlotColours colours;
        colours.grid = rgbColour(0, 200, 0); // apart from the black text
        g.setColours(colours);
        g.setSamples(v.data(), 600);
        g.setStatistics(1, 0, 29.95);
        g.setUnitIndex(unit);
        g.ResetView();
        const QImage img = rendered(g);
        // No text ink in the window's first two columns: every label starts inside it.
        const QColor border(208, 207, 199);
        for (int y = 0; y < img.height(); ++y) {
            QVERIFY2(img.pixelColor(0, y) == border && img.pixelColor(1, y) == border,
                     qPrintable(QStringLiteral("text cut at row %1").arg(y)));
        }
        // The left axis as drawn (in the lower half, away from the curve), and the mapping of
        // the pointer and the plot width with it.
        const int mid = 40 + g.geometry().plotHeight / 2;
        const int bottom = 40 + g.geometry().plotHeight;
        int axis = -1;
        for (int x = 0; x < img.width() && axis < 0; ++x) {
            int grid = 0;
            for (int y = mid; y < bottom; ++y)
                grid += img.pixelColor(x, y) == QColor(0, 200, 0);
            if (grid > (bottom - mid) / 5)
                axis = x;
        }
        QVERIFY(axis >= 50);
        if (unit == 0)
            QCOMPARE(axis, 50); // the base unit keeps the usual margin
        QCOMPARE(g.geometry().plotWidth, 720 - axis - 50);
        QCOMPARE(g.geometry().readoutIndex(axis), std::int64_t(0));
        // Sample 1 onwards lies on the 30 m/s row right of the axis.
        const int y30 = 40 + int(g.geometry().plotHeight - 30.0 / g.geometry().yScale);
        int curve = 0;
        for (int dy = -2; dy <= 2; ++dy)
            curve +=
                img.pixelColor(axis + g.geometry().plotWidth / 2, y30 + dy) == QColor(0, 0, 255);
        QVERIFY(curve > 0);
    }

    void zoomDragChangesTheWindowAndDrawsABand() {
        std::vector<std::uint16_t> v(1000, 12000);
        CGraphics g;
        g.resize(1000, 520);
        g.setSamples(v.data(), 1000);
        g.ResetView();
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const double xs = g.geometry().xScale;
        const double ys = g.geometry().yScale;
        const QImage plain = rendered(g);
        QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(&g, QPoint(300, 200));
        const QImage band = shown(g);
        int changed = 0;
        for (int x = 100; x <= 300; ++x) {
            changed += band.pixelColor(x, 100) != plain.pixelColor(x, 100);
        }
        QVERIFY(changed > 50); // the frame's top edge
        QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
        QCOMPARE(g.geometry().xOffset, 50 * xs);
        QCOMPARE(g.geometry().xScale, 200 * xs / 900);
        QCOMPARE(g.geometry().yOffset, 280 * ys);
        QCOMPARE(g.geometry().yScale, 100 * ys / 440);
        QCOMPARE(shown(g), rendered(g)); // band gone after the repaint
    }

    void moveViewDragShowsThePannedWindow() {
        std::vector<std::uint16_t> v(1000, 12000);
        CGraphics g;
        g.resize(1000, 520);
        g.setSamples(v.data(), 1000);
        g.ResetView();
        g.geometry().xScale = 0.5; // 450 samples visible
        g.geometry().xOffset = 200;
        g.refresh();
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.SetMode(MoveView);
        QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, QPoint(500, 300));
        QTest::mouseMove(&g, QPoint(460, 300)); // 40 pixels left: 20 samples later
        QTRY_COMPARE(g.geometry().xOffset, 220.0);
        // The window shows the panned offsets without waiting for another event.
        // (Below the readout strip, which the move has filled.)
        QTRY_COMPARE(shown(g).copy(0, 40, 1000, 480), rendered(g).copy(0, 40, 1000, 480));
        QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, QPoint(460, 300));
        QVERIFY(!g.geometry().dragging);
        QCOMPARE(g.geometry().xOffset, 220.0);
    }

    void extrasWheelDoubleClickEscapeAndUndo() {
        std::vector<std::uint16_t> v(9000, 12000);
        CGraphics g;
        g.resize(1000, 520);
        g.setSamples(v.data(), 9000);
        g.ResetView();
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QWheelEvent wheel(QPointF(500, 300), g.mapToGlobal(QPointF(500, 300)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&g, &wheel);
        QCOMPARE(g.geometry().xScale, 8.0);
        QCOMPARE(g.geometry().xOffset + 450 * 8.0, 4500.0);
        // A rubber-band zoom on top, then undo twice back to View All.
        QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(&g, QPoint(300, 200));
        QTest::mouseRelease(&g, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
        const double zoomed = g.geometry().xScale;
        QVERIFY(zoomed < 8.0);
        QVERIFY(g.undoZoom());
        QCOMPARE(g.geometry().xScale, 8.0);
        QTest::keyClick(&g, Qt::Key_Backspace);
        QCOMPARE(g.geometry().xScale, 10.0);
        QCOMPARE(g.geometry().xOffset, 0.0);
        QVERIFY(!g.undoZoom());
        // Escape and double-click give View All.
        QApplication::sendEvent(&g, &wheel);
        QTest::keyClick(&g, Qt::Key_Escape);
        QCOMPARE(g.geometry().xScale, 10.0);
        QApplication::sendEvent(&g, &wheel);
        QTest::mouseDClick(&g, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
        QCOMPARE(g.geometry().xScale, 10.0);
        QCOMPARE(g.geometry().yScale, 35.0 / 440);
    }

    void viewShowsThePlotOnlyWhileTheRecordingHasSamples() {
        // Decided when the recording changes, not while painting: this view never paints.
        CSkeinDoc doc;
        CSkeinView view(&doc);
        QVERIFY(view.plotWindow()->isHidden());
        doc.recording() = newDocumentRecording(1700000000);
        doc.recording().samples.assign(10, 1000);
        doc.recording().sampleCount = 10;
        QVERIFY(view.handOverAfterDownload());
        QVERIFY(!view.plotWindow()->isHidden());
        doc.recording() = newDocumentRecording(1700000000); // a download ended without View
        view.recordingChanged();
        QVERIFY(view.plotWindow()->isHidden());
    }

    void contextMenuShowsTheRuleForTheCurrentModel() {
        // Which items a model gets is a core rule; here the menu must carry it over, with
        // the window's current flags.
        CGraphics g;
        g.setShowGridX(false);
        g.setUnitIndex(3);
        for (const std::int32_t model : {kModelAirSpeed, kModelCurrent, kModelVoltage, 42}) {
            setLoggerModel(model);
            const std::vector<PlotMenuItem> want = plotMenuItems(model, g.scene());
            const QList<Item> items = menuItems(g);
            QCOMPARE(items.size(), qsizetype(want.size()));
            for (int i = 0; i < items.size(); ++i) {
                const PlotMenuItem& w = want[std::size_t(i)];
                QCOMPARE(items[i].text, QString::fromStdString(w.text));
                QCOMPARE(items[i].id, w.id);
                QCOMPARE(items[i].checkable, w.checkable);
                QCOMPARE(items[i].checked, w.checked);
            }
        }
        setLoggerModel(kModelAirSpeed);
        QVERIFY(!menuItems(g)[4].checked); // Grid X off
        QVERIFY(menuItems(g)[11].checked); // Unit(km/h)
        g.setShowGridX(true);
        QVERIFY(menuItems(g)[4].checked);
    }

    void choosingAMenuItemEmitsItsCommand() {
        setLoggerModel(711);
        CGraphics g;
        g.resize(600, 400);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QSignalSpy spy(&g, &CGraphics::commandIssued);
        // Pick "Grid Y" once the menu is open.
        QTimer::singleShot(50, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            menu->setActiveAction(menu->actions().at(5));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(100, 100),
                             g.mapToGlobal(QPoint(100, 100)));
        QApplication::sendEvent(&g, &ev);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), int(ID_GRID_Y));
        // Dismissing sends nothing.
        QTimer::singleShot(50, [&] {
            if (auto* menu = QApplication::activePopupWidget()) {
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        QApplication::sendEvent(&g, &ev);
        QCOMPARE(spy.count(), 1);
        // The preview is disabled: no mouse input reaches it.
        g.setEnabled(false);
        const PlotGeometry before = g.geometry();
        QTest::mousePress(&g, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QVERIFY(!g.geometry().dragging);
        Q_UNUSED(before);
    }
};

QTEST_MAIN(PlotWidgetTest)
#include "plot_widget_test.moc"
