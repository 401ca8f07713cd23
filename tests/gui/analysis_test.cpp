// The Analyze menu: Fit Values, keyboard panning and time zoom, the checked mouse mode, plot
// images (PNG, SVG, clipboard) and the file dialogs' folder per kind of file.
#include <QActionGroup>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QXmlStreamReader>
#include <cmath>
#include <limits>

#include "app_test_support.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "gui/app/analyze_commands.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"
#include "gui/app/cskein_doc.h"
#include "gui/app/file_folders.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/cskein_view.h"
#include "image_dump.h"
#include "render/plot_image.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// 1000 samples of 12 V, 2 s apart, the window 1000 x 520 (a 900 x 440 plot area).
Recording flatRecording() {
    Recording rec = newDocumentRecording(1700000000);
    rec.samples.assign(1000, 12000);
    rec.sampleCount = 1000;
    return rec;
}

bool near(double a, double b) {
    return std::abs(a - b) < 1e-9 * std::max(1.0, std::abs(b));
}

QString describe(const DataWindow& w) {
    return QStringLiteral("x %1 +%2, y %3 +%4")
        .arg(w.xOffset)
        .arg(w.xSpan)
        .arg(w.yOffset)
        .arg(w.ySpan);
}

bool sameWindow(const DataWindow& a, const DataWindow& b) {
    return near(a.xOffset, b.xOffset) && near(a.xSpan, b.xSpan) && near(a.yOffset, b.yOffset) &&
           near(a.ySpan, b.ySpan);
}

} // namespace

class AnalysisTest : public QObject, private TestFolder {
    Q_OBJECT
private slots:
    void init() { startTest(); }

    void fitValues_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("raw"); // every sample in view; 0 for a 10.00 to 12.00 V ramp
        QTest::addColumn<int>("overRangeAt");
        QTest::addColumn<double>("low"); // base unit; NaN: nothing changes
        QTest::addColumn<double>("high");
        QTest::newRow("ramp, 5% above and below") << 0 << 0 << -1 << 9.9 << 12.1;
        QTest::newRow("over-range sample left out") << 0 << 0 << 200 << 9.9 << 12.1;
        QTest::newRow("flat: one unit about the value") << 0 << 12000 << -1 << 11.5 << 12.5;
        QTest::newRow("flat in km/h: one km/h") << 3 << 12000 << -1 << 42.7 / 3.6 << 43.7 / 3.6;
        QTest::newRow("near zero: starts at zero") << 0 << 100 << -1 << 0.0 << 1.0;
        QTest::newRow("only over-range: unchanged") << 0 << 45000 << -1 << kNone << kNone;
    }

    void fitValues() {
        QFETCH(int, unit);
        QFETCH(int, raw);
        QFETCH(int, overRangeAt);
        QFETCH(double, low);
        QFETCH(double, high);
        setLoggerModel(kModelAirSpeed);
        Recording rec = flatRecording();
        for (int i = 100; i <= 300; ++i)
            rec.samples[i] = static_cast<std::uint16_t>(raw ? raw : 10000 + (i - 100) * 10);
        // Just outside the view: must not count.
        rec.samples[99] = 30000;
        rec.samples[301] = 1000;
        if (overRangeAt >= 0)
            rec.samples[overRangeAt] = 45000;
        CGraphics g;
        g.resize(1000, 520);
        g.setRecording(rec, 1700000000);
        g.setUnitIndex(unit);
        g.ResetView();
        g.geometry().setWindow({100.0, 200.0, 0.0, 35.0});
        const DataWindow before = g.geometry().window();

        QCOMPARE(g.fitValues(), !std::isnan(low));
        const DataWindow after = g.geometry().window();
        if (std::isnan(low)) {
            QVERIFY(sameWindow(after, before));
            QVERIFY(!g.undoZoom()); // no history step either
            return;
        }
        const DataWindow want{before.xOffset, before.xSpan, low, high - low};
        QVERIFY2(sameWindow(after, want), qPrintable(describe(after)));
        QVERIFY(g.undoZoom());
        QVERIFY(sameWindow(g.geometry().window(), before));
    }

    void keysPanZoomAndUndo() {
        const Recording rec = flatRecording();
        CGraphics g;
        g.resize(1000, 520);
        g.setRecording(rec, 1700000000);
        g.ResetView();
        struct Step {
            int key;
            Qt::KeyboardModifiers mods;
            double offset;
            double span;
        };
        // Clamped at both ends as a Move View drag clamps; + and - keep the middle.
        const Step steps[] = {
            {Qt::Key_Minus, Qt::NoModifier, 0, 1000}, // already everything
            {Qt::Key_Left, Qt::NoModifier, 0, 1000},  // already at the start
            {Qt::Key_Plus, Qt::NoModifier, 250, 500},
            {Qt::Key_Right, Qt::NoModifier, 300, 500},
            {Qt::Key_Right, Qt::ShiftModifier, 500, 500},
            {Qt::Key_Right, Qt::NoModifier, 500, 500}, // already at the end
            {Qt::Key_Left, Qt::ShiftModifier, 0, 500},
            {Qt::Key_Equal, Qt::NoModifier, 125, 250},
            {Qt::Key_Minus, Qt::NoModifier, 0, 500},
            {Qt::Key_Home, Qt::NoModifier, 0, 1000},
        };
        std::vector<DataWindow> history;
        DataWindow last = g.geometry().window();
        for (const Step& s : steps) {
            QTest::keyClick(&g, static_cast<Qt::Key>(s.key), s.mods);
            const DataWindow w = g.geometry().window();
            QVERIFY2(near(w.xOffset, s.offset) && near(w.xSpan, s.span), qPrintable(describe(w)));
            QCOMPARE(w.ySpan, last.ySpan);
            if (!(w == last))
                history.push_back(last);
            last = w;
        }
        // Exactly one history step per change: Backspace and Ctrl+Z walk them back.
        QCOMPARE(history.size(), std::size_t(7));
        for (std::size_t i = history.size(); i-- > 0;) {
            if (i % 2)
                QTest::keyClick(&g, Qt::Key_Backspace);
            else
                QTest::keyClick(&g, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(sameWindow(g.geometry().window(), history[i]),
                     qPrintable(describe(g.geometry().window())));
        }
        QVERIFY(!g.undoZoom());
        // Escape is still View All.
        g.geometry().setWindow({10.0, 100.0, 5.0, 10.0});
        QTest::keyClick(&g, Qt::Key_Escape);
        QVERIFY(sameWindow(g.geometry().window(), {0.0, 1000.0, 0.0, 35.0}));
    }

    void analyzeMenuAndModeChecks() {
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        CMainFrame* f = app.mainFrame();
        QStringList tops;
        for (QAction* a : f->menuBar()->actions())
            tops << a->text();
        QCOMPARE(tops.indexOf(QStringLiteral("&Analyze")),
                 tops.indexOf(QStringLiteral("&View")) + 1);

        struct Want {
            int id;
            const char* text;
            const char* keys;
        };
        const Want want[] = {
            {ID_FIT_VALUES, "&Fit Values", "F"},
            {ID_MEASURE, "&Measure", "M"},
            {0, nullptr, nullptr},
            {ID_COMPARE_WITH, "Compare &With...", "Ctrl+Shift+O"},
            {ID_CLEAR_COMPARISON, "Clear Compari&son", ""},
            {-1, "&Align Runs", ""}, // a submenu: At Start, By Clock
            {0, nullptr, nullptr},
            {ID_PAN_LEFT, "Pan &Left", "Left"},
            {ID_PAN_RIGHT, "Pan &Right", "Right"},
            {ID_PAGE_LEFT, "&Page Left", "Shift+Left"},
            {ID_PAGE_RIGHT, "Page Ri&ght", "Shift+Right"},
            {ID_ZOOM_TIME_IN, "Zoom Time &In", "+"},
            {ID_ZOOM_TIME_OUT, "Zoom Time &Out", "-"},
            {0, nullptr, nullptr},
            {ID_EXPORT_IMAGE, "&Export Image...", "Ctrl+E"},
            {ID_COPY_IMAGE, "&Copy Image", "Ctrl+C"},
        };
        const QList<QAction*> items = f->analyzeMenu()->actions();
        QCOMPARE(items.size(), qsizetype(std::size(want)));
        QCOMPARE(items[2], f->measurePlace());
        for (qsizetype i = 0; i < items.size(); ++i) {
            const Want& w = want[i];
            QCOMPARE(items[i]->isSeparator(), w.id == 0);
            if (w.id == 0)
                continue;
            if (w.id == -1) {
                QVERIFY(items[i]->menu());
                QCOMPARE(items[i]->text(), QString::fromLatin1(w.text));
                QCOMPARE(items[i]->menu()->actions(),
                         (QList<QAction*>{f->action(ID_ALIGN_START), f->action(ID_ALIGN_CLOCK)}));
                continue;
            }
            QCOMPARE(items[i], f->action(w.id));
            QCOMPARE(items[i]->text(), QString::fromLatin1(w.text));
            QCOMPARE(items[i]->shortcut(), QKeySequence(QString::fromLatin1(w.keys)));
            QVERIFY2(!items[i]->statusTip().isEmpty(), w.text);
            // Nothing to analyse without samples; Measure is a mouse mode, always on offer
            // like Zoom In and Move View.
            QVERIFY2(items[i]->isEnabled() == (w.id == ID_MEASURE), w.text);
        }

        // The mode items are exclusive and follow the plot's mode however it was set.
        QAction* zoom = f->action(ID_ZOOM_IN);
        QAction* move = f->action(ID_MOVE_VIEW);
        QVERIFY(zoom->isCheckable() && move->isCheckable());
        QCOMPARE(zoom->actionGroup(), f->modeGroup());
        QCOMPARE(move->actionGroup(), f->modeGroup());
        QVERIFY(f->modeGroup()->isExclusive());
        CGraphics* plot = app.view()->plotWindow();
        QVERIFY(zoom->isChecked() && !move->isChecked());
        move->trigger(); // menu item or toolbar button: the same action
        QCOMPARE(plot->mode(), MoveView);
        QVERIFY(move->isChecked() && !zoom->isChecked());
        emit plot->commandIssued(ID_ZOOM_IN); // what the context menu sends
        QCOMPARE(plot->mode(), ZoomIn);
        QVERIFY(zoom->isChecked() && !move->isChecked());

        // With a recording the items reach the plot.
        Recording rec = flatRecording();
        rec.samples[700] = 20000;
        QVERIFY(
            writeRecordingFile(file(QStringLiteral("a.smpq")).toStdString(), rec, kModelVoltage));
        QMimeData mime; // a dropped file, the one way in that is no command
        mime.setUrls({QUrl::fromLocalFile(file(QStringLiteral("a.smpq")))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(f, &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f, &drop);
        QCOMPARE(app.view()->shownSampleCount(), 1000);
        QVERIFY(f->action(ID_FIT_VALUES)->isEnabled());
        const DataWindow all = plot->geometry().window();
        f->action(ID_ZOOM_TIME_IN)->trigger();
        QVERIFY(near(plot->geometry().window().xSpan, all.xSpan / 2));
        f->action(ID_PAGE_LEFT)->trigger();
        QCOMPARE(plot->geometry().window().xOffset, 0.0);
        f->action(ID_FIT_VALUES)->trigger(); // 12 V only: the 20 V sample is out of view
        QVERIFY2(near(plot->geometry().window().yOffset, 11.5),
                 qPrintable(describe(plot->geometry().window())));
        f->action(ID_PAN_RIGHT)->trigger();
        QVERIFY(near(plot->geometry().window().xOffset, all.xSpan / 20));
    }

    void exportedImagesShowThePlotAsShown() {
        Recording rec = flatRecording();
        for (int i = 0; i < 1000; ++i)
            rec.samples[i] = static_cast<std::uint16_t>(8000 + (i % 50) * 100);
        CGraphics g;
        g.resize(1000, 520);
        g.setRecording(rec, 1700000000);
        g.ResetView();
        PlotColours colours = g.colours();
        colours.line = rgbColour(200, 10, 30);
        g.setColours(colours);
        g.setShowGridX(false);
        g.geometry().setWindow({100.0, 300.0, 5.0, 20.0});
        g.refresh();
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const QImage onScreen = g.grab().toImage().convertToFormat(QImage::Format_RGB32);
        dumpImage(onScreen);
        // Cursor line and readout are on screen now, but not in the images.
        QTest::mouseMove(&g, QPoint(500, 300));

        const QString png = file(QStringLiteral("plot.PNG"));
        QVERIFY(writePlotImage(g, png, nullptr));
        const QImage saved = QImage(png).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(saved.size(), onScreen.size());
        QVERIFY(saved == onScreen);

        copyPlotImage(g);
        QVERIFY(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) ==
                onScreen);
        // The double-resolution choice: the plot drawn at twice the pixels each way.
        QVERIFY(writePlotImage(g, png, nullptr, 2.0));
        const QImage sharp = QImage(png).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(sharp.size(), onScreen.size() * 2);
        QVERIFY(sharp == g.renderPlot(2.0).convertToFormat(QImage::Format_RGB32));

        // The SVG is well-formed and strokes the curve in the line colour.
        const QString svg = file(QStringLiteral("plot.svg"));
        QVERIFY(writePlotImage(g, svg, nullptr));
        QFile in(svg);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&in);
        QStringList strokes{QString()};
        int curveShapes = 0;
        int pictures = 0; // embedded bitmaps
        int circles = 0;
        bool root = false;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement) {
                root = root || xml.name() == QLatin1String("svg");
                const auto stroke = xml.attributes().value(QLatin1String("stroke"));
                strokes.append(stroke.isEmpty() ? strokes.last() : stroke.toString());
                const bool shape =
                    xml.name() == QLatin1String("path") || xml.name() == QLatin1String("polyline");
                curveShapes += shape && strokes.last() == QLatin1String("#c80a1e");
                pictures += xml.name() == QLatin1String("image");
                circles +=
                    xml.name() == QLatin1String("ellipse") || xml.name() == QLatin1String("circle");
            } else if (xml.isEndElement()) {
                strokes.removeLast();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(root);
        QVERIFY(curveShapes > 0);
        // Fully vector: the sample dots are circles, not small pictures.
        QCOMPARE(pictures, 0);
        QVERIFY(circles > 0);
    }

    void imageWriteFailuresSayWhy_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing/plot.png"
                                        << "No such file or directory";
        QTest::newRow("folder is a file") << "file.txt/plot.svg"
                                          << "Not a directory";
        QTest::newRow("other type") << "plot.bmp"
                                    << ".png or .svg";
        // A link to a full device is a device: written in place, and the system says why.
        QTest::newRow("full device png") << "full.png"
                                         << "No space left on device";
        QTest::newRow("full device svg") << "full.svg"
                                         << "No space left on device";
    }

    void imageWriteFailuresSayWhy() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QFile blocker(file(QStringLiteral("file.txt")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const bool device = name.startsWith(QLatin1String("full."));
        if (device)
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), file(name)));
        CGraphics g;
        g.resize(600, 300);
        const Recording rec = flatRecording();
        g.setRecording(rec, 1700000000);
        g.ResetView();

        std::string error;
        const QString path = file(name);
        QVERIFY(!savePlotImage(g.scene(), screenFrame(600, 300, g.geometry()), path.toStdString(),
                               &error));
        QVERIFY2(QString::fromStdString(error).contains(reason), error.c_str());
        QVERIFY2(QString::fromStdString(error).contains(path), error.c_str());
        QVERIFY2(!QString::fromStdString(error).contains(QLatin1String("Unknown error")),
                 error.c_str());
        if (device)
            QVERIFY(QFileInfo(path).isSymLink() && QFileInfo(QStringLiteral("/dev/full")).exists());
        else
            QVERIFY(!QFileInfo::exists(path));

        QString boxText;
        whenModal<QMessageBox>([&boxText](QMessageBox* box) {
            boxText = box->text() + QLatin1Char('\n') + box->informativeText();
            box->accept();
        });
        QVERIFY(!writePlotImage(g, path, nullptr));
        QVERIFY2(boxText.contains(reason), qPrintable(boxText));
    }

    void fileDialogsStartInTheFolderOfTheirKind() {
        CGraphics plot;
        plot.resize(600, 300);
        const Recording rec = flatRecording();
        plot.setRecording(rec, 1700000000);
        plot.ResetView();
        struct Kind {
            const char* folder;
            const char* pick;
            FileKind kind;
            std::function<void()> ask;
        };
        const Kind kinds[] = {
            {"recordings", "a.smpq", FileKind::Recordings, [] { askOpenFileName(nullptr); }},
            {"exports", "a.xls", FileKind::Exports,
             [] {
                 askSaveFileName(nullptr, QStringLiteral("Data File(*.xls)"), QStringLiteral("xls"),
                                 QString(), FileKind::Exports);
             }},
            {"images", "a.png", FileKind::Images, [&plot] { exportPlotImage(plot, nullptr); }},
        };
        for (const Kind& k : kinds) {
            const QString folder = file(QString::fromLatin1(k.folder));
            QVERIFY(QDir().mkpath(folder));
            const QString pick = folder + QLatin1Char('/') + QString::fromLatin1(k.pick);
            QFile(pick).open(QIODevice::WriteOnly); // Open needs an existing file
            auto seen = answerNextFileDialog(pick);
            k.ask();
            QVERIFY2(seen->shown, k.folder);
            QCOMPARE(rememberedFolder(k.kind), folder);
        }
        // Each kind starts where it was last, whatever the others did since.
        for (const Kind& k : kinds) {
            QString start;
            whenModal<QFileDialog>([&start](QFileDialog* d) {
                start = d->directory().absolutePath();
                d->reject();
            });
            k.ask();
            QCOMPARE(start, file(QString::fromLatin1(k.folder)));
        }
        // A folder that has gone is forgotten rather than opened.
        QVERIFY(QDir(file(QStringLiteral("images"))).removeRecursively());
        QCOMPARE(rememberedFolder(FileKind::Images), QString());
    }
};

QUILLMARK_GUI_TEST_MAIN(AnalysisTest)
#include "analysis_test.moc"
