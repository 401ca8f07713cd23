// Colours: INI reading and writing, the dialog's pickers, Default, OK and Cancel, and the
// preview's contents.
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include "core/app/logger_model.h"
#include "core/common/byte_order.h"
#include "core/common/header_layout.h"
#include "core/data/recording.h"
#include "core/settings/ini_store.h"
#include "gui/plot/ccolor_setting.h"
#include "gui/plot/cgraphics.h"
#include "image_dump.h"

using namespace quillmark;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Runs `steps` on the colour dialog once runColourSetting has opened it.
void whenDialogOpens(std::function<void(CColorSetting&)> steps) {
    QTimer::singleShot(0, [steps] {
        auto* dlg = qobject_cast<CColorSetting*>(QApplication::activeModalWidget());
        QVERIFY(dlg != nullptr);
        steps(*dlg);
    });
}

void click(CColorSetting& dlg, const char* name) {
    auto* b = dlg.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY(b != nullptr);
    b->click();
}

Recording sampleRecording() {
    Recording rec = newDocumentRecording(1700000000);
    rec.samples = {1000, 5000, 9000, 3000};
    rec.sampleCount = 4;
    computeStatistics(rec);
    putU32LE(rec.header.data() + block::kIntervalSeconds, 60);
    putF32LE(rec.header.data() + block::kAlarmLow, 2.5f);
    putF32LE(rec.header.data() + block::kAlarmHigh, 8.0f);
    return rec;
}

} // namespace

class PlotColourTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLoggerModel(710); }

    void loadUsesLowEightBitsAndDefaults() {
        QTemporaryDir dir;
        const QString path = dir.filePath("SettingConfig.ini");
        writeFile(path,
                  "[K52R_BKCOLOR]\r\nRVALUE=300\r\n[K52R_LINECOLOR]\r\nRVALUE=1\r\nGVALUE=2\r\n"
                  "BVALUE=3\r\n");
        CGraphics plot;
        LoadColours(plot, path.toStdString());
        QCOMPARE(plot.colours().background, rgbColour(44, 207, 204));
        QCOMPARE(plot.colours().line, rgbColour(1, 2, 3));
        QCOMPARE(plot.colours().grid, PlotColours{}.grid);
        QCOMPARE(plot.colours().border, PlotColours{}.border);

        // No file: defaults, and nothing is written.
        const QString missing = dir.filePath("none/SettingConfig.ini");
        CGraphics other;
        other.setColours(
            {rgbColour(1, 1, 1), rgbColour(2, 2, 2), rgbColour(3, 3, 3), rgbColour(4, 4, 4)});
        LoadColours(other, missing.toStdString());
        QCOMPARE(other.colours(), PlotColours{});
        QVERIFY(!QFile::exists(missing));
    }

    void defaultThenCancelChangesAndWritesNothing() {
        QTemporaryDir dir;
        const QString path = dir.filePath("SettingConfig.ini");
        const QByteArray before =
            "[K52R_DATASET]\r\nSAMPLERATE=3\r\n[K52R_LINECOLOR]\r\nRVALUE=255\r\n"
            "GVALUE=0\r\nBVALUE=0\r\n";
        writeFile(path, before);
        CGraphics plot;
        LoadColours(plot, path.toStdString());
        const PlotColours mine = plot.colours();
        QCOMPARE(mine.line, rgbColour(255, 0, 0));
        const Recording rec = sampleRecording();
        whenDialogOpens([](CColorSetting& dlg) {
            click(dlg, "defaultButton");
            QCOMPARE(dlg.colours(), PlotColours{});
            QCOMPARE(dlg.preview()->colours(), PlotColours{});
            click(dlg, "cancelButton");
        });
        QVERIFY(!runColourSetting(plot, rec, path.toStdString()));
        QCOMPARE(plot.colours(), mine);
        QCOMPARE(readAll(path), before);
    }

    void defaultThenOkWritesAllFourSections() {
        QTemporaryDir dir;
        const QString path = dir.filePath("SettingConfig.ini");
        writeFile(path, "[K52R_DATASET]\r\nSAMPLERATE=3\r\n[K52R_LINECOLOR]\r\nRVALUE=255\r\n");
        CGraphics plot;
        LoadColours(plot, path.toStdString());
        const Recording rec = sampleRecording();
        whenDialogOpens([](CColorSetting& dlg) {
            click(dlg, "defaultButton");
            click(dlg, "okButton");
        });
        QVERIFY(runColourSetting(plot, rec, path.toStdString()));
        QCOMPARE(plot.colours(), PlotColours{});
        IniStore ini;
        QVERIFY(ini.load(path.toStdString()));
        QCOMPARE(ini.getInt("K52R_DATASET", "SAMPLERATE", -1), 3);
        struct Want {
            const char* section;
            int r, g, b;
        };
        for (const Want w :
             {Want{"K52R_BKCOLOR", 208, 207, 204}, Want{"K52R_GRIDCOLOR", 0, 0, 0},
              Want{"K52R_LINECOLOR", 0, 0, 255}, Want{"K52R_BOARDERCOLOR", 208, 207, 199}}) {
            QVERIFY(ini.hasKey(w.section, "RVALUE"));
            QCOMPARE(ini.getInt(w.section, "RVALUE", -1), w.r);
            QCOMPARE(ini.getInt(w.section, "GVALUE", -1), w.g);
            QCOMPARE(ini.getInt(w.section, "BVALUE", -1), w.b);
        }
        QVERIFY(readAll(path).contains("RVALUE=208"));
    }

    void anUnreadableSettingsFileIsNeverReplaced() {
        // Over the settings file's size limit it counts as unreadable: saving the colours
        // must not replace it with the colour sections alone.
        QTemporaryDir dir;
        const QString path = dir.filePath("SettingConfig.ini");
        const QByteArray big = "[K52R_DATASET]\r\n" + QByteArray(300 * 1024, ';');
        writeFile(path, big);
        CGraphics plot;
        std::string error;
        QVERIFY(!SaveColours(plot, path.toStdString(), &error));
        QVERIFY(!error.empty());
        QCOMPARE(readAll(path), big);
    }

    void pickersSetWorkingAndPreviewColours() {
        CGraphics plot;
        const Recording rec = sampleRecording();
        CColorSetting dlg(plot, rec);
        QColor next(10, 20, 30);
        dlg.picker = [&](QWidget*) { return next; };
        struct Case {
            int button;
            CColorSetting::ControlId swatch;
            ColourRef PlotColours::*field;
        };
        const Case cases[] = {
            {CColorSetting::IDC_PICK_BACKGROUND, CColorSetting::IDC_SWATCH_BACKGROUND,
             &PlotColours::background},
            {CColorSetting::IDC_PICK_BORDER, CColorSetting::IDC_SWATCH_BORDER,
             &PlotColours::border},
            {CColorSetting::IDC_PICK_GRID, CColorSetting::IDC_SWATCH_GRID, &PlotColours::grid},
            {CColorSetting::IDC_PICK_LINE, CColorSetting::IDC_SWATCH_LINE, &PlotColours::line},
        };
        int n = 0;
        for (const Case& c : cases) {
            next = QColor(10 + n, 20, 30);
            ++n;
            const PlotColours before = dlg.colours();
            auto* b = dlg.findChild<QPushButton*>(QString("pick%1").arg(c.button));
            QVERIFY(b != nullptr);
            b->click();
            QCOMPARE(dlg.colours().*c.field, rgbColour(next.red(), 20, 30));
            QCOMPARE(dlg.preview()->colours().*c.field, rgbColour(next.red(), 20, 30));
            QCOMPARE(dlg.swatch(c.swatch)->palette().color(QPalette::Window), next);
            QCOMPARE(dlg.swatch(c.swatch)->text(), QString(14, ' '));
            // Only that colour changed.
            PlotColours expect = before;
            expect.*c.field = rgbColour(next.red(), 20, 30);
            QCOMPARE(dlg.colours(), expect);
        }
        // A cancelled picker changes nothing.
        const PlotColours before = dlg.colours();
        dlg.picker = [](QWidget*) { return QColor(); };
        dlg.pickColour(CColorSetting::IDC_PICK_LINE);
        QCOMPARE(dlg.colours(), before);
        // The main plot is untouched by the dialog.
        QCOMPARE(plot.colours(), PlotColours{});
    }

    void rowsSitInsideTheGroupFrameWithoutOverlap() {
        CGraphics plot;
        plot.resize(1000, 520);
        const Recording rec = sampleRecording();
        CColorSetting dlg(plot, rec);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        test_support::dumpImage(dlg.grab().toImage());
        auto* group = dlg.findChild<QGroupBox*>();
        QVERIFY(group);
        // Inside the frame and below the title, in the dialog's coordinates.
        const QRect inside = group->contentsRect().translated(group->pos());
        QList<QWidget*> row;
        for (const char* text : {"Background Color", "Border Color", "Grid Color", "Line Color"}) {
            QLabel* label = nullptr;
            for (QLabel* l : dlg.findChildren<QLabel*>())
                label =
                    QString(l->text()).remove(QLatin1Char('&')) == QLatin1String(text) ? l : label;
            QVERIFY2(label, text);
            // The text as drawn, not the label's whole box.
            const QRect textRect = QStyle::alignedRect(
                Qt::LeftToRight, label->alignment(),
                label->fontMetrics().boundingRect(label->text()).size(), label->geometry());
            QVERIFY2(inside.contains(textRect),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5, frame inside %6,%7 %8x%9")
                                    .arg(QLatin1String(text))
                                    .arg(textRect.x())
                                    .arg(textRect.y())
                                    .arg(textRect.width())
                                    .arg(textRect.height())
                                    .arg(inside.x())
                                    .arg(inside.y())
                                    .arg(inside.width())
                                    .arg(inside.height())));
            row << label;
        }
        for (int id = CColorSetting::IDC_SWATCH_BACKGROUND; id <= CColorSetting::IDC_SWATCH_LINE;
             ++id)
            row << dlg.swatch(CColorSetting::ControlId(id));
        for (int id = CColorSetting::IDC_PICK_BACKGROUND; id <= CColorSetting::IDC_PICK_LINE; ++id)
            row << dlg.findChild<QPushButton*>(QString("pick%1").arg(id));
        // Swatches and buttons within the frame; nothing overlaps.
        const QRect frame = group->geometry().adjusted(2, 2, -2, -2);
        for (QWidget* w : row) {
            QVERIFY(w);
            QVERIFY2(frame.contains(w->geometry()), qPrintable(w->objectName()));
            for (QWidget* other : row)
                QVERIFY2(w == other || !w->geometry().intersects(other->geometry()),
                         qPrintable(w->objectName() + QLatin1Char(' ') + other->objectName()));
        }
    }

    void previewCopiesTheMainWindowWithoutStatistics() {
        CGraphics plot;
        plot.resize(1000, 520);
        const Recording rec = sampleRecording();
        plot.setRecording(rec, 1600000000);
        plot.ResetView();
        plot.geometry().xOffset = 1.5;
        plot.setShowGridY(false);
        plot.setShowAlarmLines(false);
        plot.setUnitIndex(2);
        CColorSetting dlg(plot, rec);
        const CGraphics& pv = *dlg.preview();
        QVERIFY(!pv.isEnabled());
        QVERIFY(pv.hideStatistics());
        QVERIFY(!pv.showGridY());
        QVERIFY(pv.showGridX());
        QVERIFY(!pv.showAlarmLines());
        QCOMPARE(pv.unitIndex(), 0);
        QCOMPARE(pv.geometry().xOffset, 1.5);
        QCOMPARE(pv.geometry().xScale, plot.geometry().xScale);
        QCOMPARE(pv.scene().sampleInterval, 60.0f);
        QCOMPARE(pv.scene().alarmLow, 2.5f);
        QCOMPARE(pv.scene().alarmHigh, 8.0f);
        QCOMPARE(pv.scene().sampleCount, 4);
        QCOMPARE(pv.scene().maxIndex, 2);
        QVERIFY(pv.scene().startTime != 1600000000);
        // Shown, it keeps the copied data window over its own size.
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        test_support::dumpImage(dlg.grab().toImage());
        test_support::dumpImage(pv.renderPlot());
        QCOMPARE(pv.geometry().xOffset, 1.5);
        const double span = pv.geometry().plotWidth * pv.geometry().xScale;
        QVERIFY(std::abs(span - 900 * plot.geometry().xScale) < 1e-9);
    }
};

QTEST_MAIN(PlotColourTest)
#include "plot_colour_test.moc"
