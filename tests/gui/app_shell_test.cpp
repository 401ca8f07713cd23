// The main window as a person meets it: caption, menus, toolbar, status bar, command line,
// recent files, dropped files, the view's inset and the display commands.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <cstdio>

#include "app_test_support.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/app_resources.h"
#include "gui/app/cabout_dlg.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"
#include "gui/app/cskein_doc.h"
#include "gui/app/recent_file_list.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/cskein_view.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {

struct MenuEntry {
    int id; // 0 for a separator, -1 for a popup
    QString text;
};

QList<MenuEntry> entriesOf(QMenu* menu) {
    QList<MenuEntry> out;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible())
            continue;
        if (a->isSeparator())
            out.append({0, QString()});
        else if (a->menu())
            out.append({-1, a->text()});
        else
            out.append({a->data().toInt(), a->text()});
    }
    return out;
}

bool sameEntries(const QList<MenuEntry>& got, const QList<MenuEntry>& want) {
    if (got.size() != want.size())
        return false;
    for (qsizetype i = 0; i < got.size(); ++i) {
        // A label without a mnemonic of its own may gain one; the words stay.
        const bool sameText = got[i].text == want[i].text ||
                              (!want[i].text.contains(QLatin1Char('&')) &&
                               QString(got[i].text).remove(QLatin1Char('&')) == want[i].text);
        if (got[i].id != want[i].id || !sameText)
            return false;
    }
    return true;
}

QString describe(const QList<MenuEntry>& entries) {
    QStringList parts;
    for (const MenuEntry& e : entries)
        parts << QStringLiteral("%1:%2").arg(e.id).arg(e.text);
    return parts.join(QStringLiteral(" | "));
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int count = 0;
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        count += e->type() == QEvent::Paint;
        return false;
    }
};

CommandLine noArguments() {
    return parseCommandLine({QStringLiteral("quillmark")});
}

} // namespace

class AppShellTest : public QObject, private TestFolder {
    Q_OBJECT
private slots:
    void init() { startTest(); }

    void parsesTheCommandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("backend");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << int(A::Run) << ""
                                 << ""
                                 << "usb";
        QTest::newRow("file") << QStringList{"run.smpq"} << int(A::Run) << "run.smpq"
                              << ""
                              << "usb";
        QTest::newRow("print") << QStringList{"--print", "a.smpq"} << int(A::Print) << "a.smpq"
                               << ""
                               << "usb";
        QTest::newRow("print-to") << QStringList{"--print-to", "a.smpq", "Office"}
                                  << int(A::PrintTo) << "a.smpq"
                                  << "Office"
                                  << "usb";
        QTest::newRow("simulate") << QStringList{"--simulate"} << int(A::Run) << ""
                                  << ""
                                  << "sim";
        QTest::newRow("socket") << QStringList{"--backend", "socket:/run/l.sock", "x.smpq"}
                                << int(A::Run) << "x.smpq"
                                << ""
                                << "socket:/run/l.sock";
        QTest::newRow("backend=") << QStringList{"--backend=sim"} << int(A::Run) << ""
                                  << ""
                                  << "sim";
        QTest::newRow("bad backend") << QStringList{"--backend", "serial"} << int(A::Error) << ""
                                     << ""
                                     << "usb";
        QTest::newRow("empty socket") << QStringList{"--backend", "socket:"} << int(A::Error) << ""
                                      << ""
                                      << "usb";
        QTest::newRow("missing value") << QStringList{"--backend"} << int(A::Error) << ""
                                       << ""
                                       << "usb";
        QTest::newRow("two files") << QStringList{"a.smpq", "b.smpq"} << int(A::Error) << "a.smpq"
                                   << ""
                                   << "usb";
        QTest::newRow("print-to short")
            << QStringList{"--print-to", "a.smpq"} << int(A::Error) << ""
            << ""
            << "usb";
        QTest::newRow("unknown") << QStringList{"--frobnicate"} << int(A::Error) << ""
                                 << ""
                                 << "usb";
        QTest::newRow("help") << QStringList{"--help"} << int(A::Help) << ""
                              << ""
                              << "usb";
    }
    void parsesTheCommandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, file);
        QFETCH(QString, printer);
        QFETCH(QString, backend);
        args.prepend(QStringLiteral("quillmark"));
        const CommandLine cmd = parseCommandLine(args);
        QCOMPARE(int(cmd.action), action);
        if (action != int(CommandLine::Action::Error)) {
            QCOMPARE(cmd.file, file);
            QCOMPARE(cmd.printer, printer);
            QCOMPARE(cmd.backend, backend);
        } else {
            QVERIFY(!cmd.error.isEmpty());
        }
    }

    void startsWithCaptionStatusAndModel() {
        setLoggerModel(kModelCurrent);
        CSkeinApp app;
        app.setBackend(std::make_unique<sim::SimulatedLogger>(),
                       std::make_unique<sim::SimDetector>());
        QVERIFY(app.initInstance(noArguments()));
        CMainFrame* frame = app.mainFrame();
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->windowTitle(), QStringLiteral("DataLogger - Quillmark"));
        QCOMPARE(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
        QStringList indicators;
        for (QLabel* l : frame->statusBar()->findChildren<QLabel*>())
            if (l->objectName().startsWith(QLatin1String("indicator")))
                indicators << l->text();
        QCOMPARE(indicators, (QStringList{"CAP", "NUM", "SCRL"}));
        // The device scan at frame creation sets the voltage model.
        QVERIFY(app.mainFrame()->action(ID_DATA_DOWNLOAD)->isEnabled());
        QCOMPARE(loggerModel(), kModelVoltage);
        QCOMPARE(app.view()->shownSampleCount(), 0);
        QVERIFY(!app.view()->plotWindow()->isVisible());
    }

    void menusCarryExactLabelsIdsAndSeparators() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        CMainFrame* f = app.mainFrame();
        QStringList tops;
        for (QAction* a : f->menuBar()->actions())
            tops << a->text();
        QCOMPARE(tops, (QStringList{"&File", "&View", "&Analyze", "&Link", "&Help"}));

        const QList<MenuEntry> file = {{ID_FILE_OPEN, "&Open...\tCtrl+O"},
                                       {ID_FILE_SAVE, "&Save"},
                                       {ID_EXPORT_EXCEL, "&Export to Excel"},
                                       {ID_EXPORT_REPORT, "Expor&t Report...\tCtrl+R"},
                                       {0, ""},
                                       {ID_FILE_PRINT, "&Print...\tCtrl+P"},
                                       {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
                                       {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
                                       {0, ""},
                                       {ID_FILE_MRU_FILE1, "Recent File"},
                                       {0, ""},
                                       {ID_APP_EXIT, "E&xit"}};
        const QList<MenuEntry> view = {{ID_VIEW_TOOLBAR, "&Toolbar"},
                                       {ID_VIEW_STATUS_BAR, "&Status Bar"},
                                       {ID_COLOR_SETTING, "&ColorSetting"},
                                       {-1, "GridLines"},
                                       {ID_MASK_POINTS, "&Mask Points"},
                                       {ID_ALARM_LINE, "Alarm Line"},
                                       {ID_VIEW_ALL, "&View All"},
                                       {ID_MOVE_VIEW, "Move View"},
                                       {ID_ZOOM_IN, "Zoom In"}};
        const QList<MenuEntry> grid = {{ID_GRID_X, "&X Axis"}, {ID_GRID_Y, "&Y Axis"}};
        const QList<MenuEntry> link = {{ID_LOGGER_SETTING, "&Logger Setting"},
                                       {ID_DATA_DOWNLOAD, "&Data Download"}};
        const QList<MenuEntry> help = {{ID_HELP_CONTENTS, "&Contents"},
                                       {ID_APP_ABOUT, "&About Quillmark..."}};
        const std::pair<const char*, const QList<MenuEntry>*> menus[] = {{"menuFile", &file},
                                                                         {"menuView", &view},
                                                                         {"menuGridLines", &grid},
                                                                         {"menuLink", &link},
                                                                         {"menuHelp", &help}};
        for (const auto& [name, want] : menus) {
            QMenu* m = f->menu(QString::fromLatin1(name));
            QVERIFY2(m, name);
            const QList<MenuEntry> got = entriesOf(m);
            QVERIFY2(sameEntries(got, *want), qPrintable(describe(got)));
        }

        QCOMPARE(f->action(ID_FILE_OPEN)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(f->action(ID_FILE_PRINT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(f->action(ID_FILE_NEW)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(f->action(ID_FILE_SAVE_STANDARD)->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+S")));
        // Every action reaches a handler through its id.
        for (QAction* a : f->findChildren<QAction*>()) {
            const int id = a->data().toInt();
            if (id == 0 || (id > ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE1 + 3))
                continue;
            QVERIFY2(a->objectName() == QStringLiteral("command%1").arg(id), qPrintable(a->text()));
        }
    }

    void toolbarHasNineButtonsInOrder() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        CMainFrame* f = app.mainFrame();
        QCOMPARE(f->toolBar()->iconSize(), QSize(32, 32));
        struct Want {
            int id;
            const char* tip;
            const char* prompt;
        };
        const Want want[] = {{ID_DATA_DOWNLOAD, "Download", "download data"},
                             {ID_LOGGER_SETTING, "Setting", "setting"},
                             {ID_FILE_OPEN, "Open", "Open an existing document"},
                             {ID_FILE_SAVE, "Save As", "Save the active document with a new name"},
                             {ID_FILE_PRINT, "Print", "Print the active document"},
                             {ID_VIEW_ALL, "View all", "view all graph"},
                             {ID_ZOOM_IN, "Zoom in", "zoom in"},
                             {ID_MOVE_VIEW, "Move", "move view"},
                             {ID_APP_ABOUT, "About", nullptr}};
        const QList<QAction*> acts = f->toolBarActions();
        QCOMPARE(acts.size(), qsizetype(9));
        QSet<qint64> pictures;
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(acts[i]->data().toInt(), want[i].id);
            QCOMPARE(acts[i]->toolTip(), QString::fromLatin1(want[i].tip));
            if (want[i].prompt)
                QCOMPARE(acts[i]->statusTip(), QString::fromLatin1(want[i].prompt));
            QVERIFY(!acts[i]->statusTip().isEmpty());
            const QImage img = acts[i]->icon().pixmap(32, 32).toImage();
            QCOMPARE(img.size(), QSize(32, 32));
            pictures.insert(img.cacheKey() ^
                            qHash(QByteArray(reinterpret_cast<const char*>(img.constBits()),
                                             img.sizeInBytes())));
        }
        QCOMPARE(pictures.size(), qsizetype(9)); // nine different pictures

        // Drawn from vectors: at 2x the picture has four times the pixels and is not the 1x
        // one enlarged. On a dark theme every dark outline takes the text colour instead.
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x2a, 0x2a, 0x2e));
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        const QRgb ink = qRgb(0x28, 0x28, 0x30);
        for (int i = 0; i < 9; ++i) {
            const QImage one = acts[i]->icon().pixmap(QSize(32, 32), 1.0).toImage();
            const QImage two = acts[i]->icon().pixmap(QSize(32, 32), 2.0).toImage();
            QCOMPARE(two.size(), QSize(64, 64));
            QVERIFY(two.convertToFormat(QImage::Format_ARGB32) !=
                    one.scaled(64, 64).convertToFormat(QImage::Format_ARGB32));
            const QImage onDark = toolbarIcon(i, dark).pixmap(QSize(32, 32), 1.0).toImage();
            int inkPixels = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) {
                    inkPixels += qAlpha(one.pixel(x, y)) == 255 &&
                                 (one.pixel(x, y) & 0xffffff) == (ink & 0xffffff);
                    QVERIFY(qAlpha(onDark.pixel(x, y)) < 255 ||
                            (onDark.pixel(x, y) & 0xffffff) != (ink & 0xffffff));
                }
            // The outlined pictures (all but open, save and about) had ink to replace.
            if (i != 2 && i != 3 && i != 8)
                QVERIFY2(inkPixels > 0, qPrintable(QString::number(i)));
        }
        QCOMPARE(toolbarOutline(dark), dark.color(QPalette::WindowText));
        QCOMPARE(toolbarOutline(QPalette(QColor(0xef, 0xef, 0xef))), QColor(0x28, 0x28, 0x30));
        // A live switch to the dark theme recolours the toolbar.
        f->setPalette(dark);
        const QImage zoom = acts[6]->icon().pixmap(QSize(32, 32), 1.0).toImage();
        QVERIFY(zoom == toolbarIcon(6, dark).pixmap(QSize(32, 32), 1.0).toImage());
        f->setPalette(QPalette());
        // The status bar shows a button's prompt while it is hovered, then "Ready" again.
        QStatusTipEvent tip(QStringLiteral("download data"));
        QApplication::sendEvent(f, &tip);
        QCOMPARE(f->statusBar()->currentMessage(), QStringLiteral("download data"));
        QStatusTipEvent clear{QString()};
        QApplication::sendEvent(f, &clear);
        QCOMPARE(f->statusBar()->currentMessage(), QStringLiteral("Ready"));
    }

    void toolbarAndStatusBarToggle() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        CMainFrame* f = app.mainFrame();
        QVERIFY(f->action(ID_VIEW_TOOLBAR)->isChecked());
        f->action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(f->toolBar()->isHidden());
        QVERIFY(!f->action(ID_VIEW_TOOLBAR)->isChecked());
        f->action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(f->statusBar()->isHidden());
        QVERIFY(!f->action(ID_VIEW_STATUS_BAR)->isChecked());
        f->action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(!f->statusBar()->isHidden());
    }

    void opensTheFileNamedOnTheCommandLine() {
        const QString path =
            writeRecording(file(QStringLiteral("cmd.smpq")), {1000, 2000, 1500}, kModelCurrent);
        QVERIFY(!path.isEmpty());
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), path})));
        QCOMPARE(app.mainFrame()->windowTitle(), QStringLiteral("cmd.smpq - Quillmark"));
        QCOMPARE(app.document()->recording().sampleCount, 3);
        QCOMPARE(app.view()->shownSampleCount(), 3);
        QCOMPARE(loggerModel(), kModelCurrent); // the file's model code
        QCOMPARE(app.recentFiles().entries().value(0), QFileInfo(path).absoluteFilePath());
        QTRY_VERIFY(app.view()->plotWindow()->isVisible());
    }

    void unreadableCommandLineFileEndsStartUp() {
        const QString bad = file(QStringLiteral("short.smpq"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x05\x00\x00\x00", 4); // promises 5 samples, holds nothing
        f.close();
        auto box = answerNextBox(QMessageBox::Ok);
        CSkeinApp app;
        QVERIFY(!app.initInstance(parseCommandLine({QStringLiteral("quillmark"), bad})));
        QVERIFY(box->shown);
        QCOMPARE(box->text, QStringLiteral("Failed to open document."));
    }

    void recentListKeepsFourNewestFirst() {
        RecentFileList list;
        for (int i = 1; i <= 6; ++i)
            list.add(QStringLiteral("/nowhere/f%1.smpq").arg(i));
        QCOMPARE(list.entries(), (QStringList{"/nowhere/f6.smpq", "/nowhere/f5.smpq",
                                              "/nowhere/f4.smpq", "/nowhere/f3.smpq"}));
        list.add(QStringLiteral("/nowhere/f4.smpq"));
        QCOMPARE(list.entries().first(), QStringLiteral("/nowhere/f4.smpq"));
        QCOMPARE(list.entries().size(), qsizetype(4));
        list.save();
        RecentFileList again;
        again.load();
        QCOMPARE(again.entries(), list.entries());
    }

    void recentMenuOpensItsEntries() {
        const QString a =
            writeRecording(file(QStringLiteral("ra.smpq")), {100, 200}, kModelVoltage);
        const QString b =
            writeRecording(file(QStringLiteral("rb.smpq")), {1, 2, 3, 4}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        QVERIFY(app.openDocumentFile(a));
        QVERIFY(app.openDocumentFile(b));
        CMainFrame* f = app.mainFrame();
        QCOMPARE(f->action(ID_FILE_MRU_FILE1)->text(), QStringLiteral("&1 rb.smpq"));
        QCOMPARE(f->action(ID_FILE_MRU_FILE1 + 1)->text(), QStringLiteral("&2 ra.smpq"));
        f->action(ID_FILE_MRU_FILE1 + 1)->trigger();
        QCOMPARE(app.document()->recording().sampleCount, 2);
        QCOMPARE(f->windowTitle(), QStringLiteral("ra.smpq - Quillmark"));
    }

    void droppedFileIsOpened() {
        const QString path =
            writeRecording(file(QStringLiteral("drop.smpq")), {5, 6, 7, 8, 9}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        CMainFrame* f = app.mainFrame();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(f, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f, &drop);
        QCOMPARE(app.document()->recording().sampleCount, 5);
        QCOMPARE(f->windowTitle(), QStringLiteral("drop.smpq - Quillmark"));
    }

    void namesThatAreNotUtf8ReachTheFileSystem() {
        // Every byte string comes back unchanged; valid UTF-8 reads as Qt reads it.
        for (const QByteArray& bytes :
             {QByteArray("plain.smpq"), QByteArray("gr\xc3\xbcn"), QByteArray("\xff\xfe"),
              QByteArray("\xed\xb2\x80"), QByteArray("\xf0\x9f\x98\x80"), QByteArray("\xc3")}) {
            QCOMPARE(encodeLocalPath(decodeLocalPath(bytes)), bytes);
            if (QString::fromUtf8(bytes).toUtf8() == bytes)
                QCOMPARE(decodeLocalPath(bytes), QString::fromUtf8(bytes));
        }
        // Byte 0xff is never UTF-8; the name must reach the file system as these bytes.
        const QByteArray folder = QFile::encodeName(folderPath());
        const QByteArray argName = folder + "/arg\xff.smpq";
        const QByteArray dropName = folder + "/drop\xff.smpq";
        QVERIFY(writeRecordingFile(argName.toStdString(), makeRecording({1, 2, 3}), 710));
        QVERIFY(writeRecordingFile(dropName.toStdString(), makeRecording({1, 2, 3, 4}), 710));

        QByteArray program("quillmark");
        QByteArray arg = argName;
        char* argv[] = {program.data(), arg.data(), nullptr};
        CSkeinApp app;
        auto failure = answerNextBox(QMessageBox::Ok);
        QVERIFY(app.initInstance(parseCommandLine(argumentsFromArgv(2, argv))));
        QVERIFY(!failure->shown);
        QCOMPARE(app.document()->recording().sampleCount, 3);

        QMimeData mime;
        mime.setUrls({QUrl::fromEncoded("file://" + dropName.toPercentEncoding("/"))});
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(app.mainFrame(), &enter);
        failure = answerNextBox(QMessageBox::Ok);
        QApplication::sendEvent(app.mainFrame(), &drop);
        QVERIFY(!failure->shown);
        QCOMPARE(app.document()->recording().sampleCount, 4);
        // QTemporaryDir cannot name these files to remove them.
        QCOMPARE(std::remove(argName.constData()), 0);
        QCOMPARE(std::remove(dropName.constData()), 0);
    }

    void newKeepsTheRecordingButForgetsThePath() {
        const QString path = writeRecording(file(QStringLiteral("n.smpq")), {7, 8}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        QVERIFY(app.openDocumentFile(path));
        app.mainFrame()->action(ID_FILE_NEW)->trigger();
        QCOMPARE(app.mainFrame()->windowTitle(), QStringLiteral("DataLogger - Quillmark"));
        QVERIFY(app.document()->path().isEmpty());
        QCOMPARE(app.document()->recording().sampleCount, 2);
        QCOMPARE(app.view()->shownSampleCount(), 2);
    }

    void viewKeepsThePlotInsetAndAtLeast720x440() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        CSkeinView* view = app.view();
        view->setMinimumSize(0, 0);
        view->resize(1000, 700);
        QTRY_COMPARE(view->plotWindow()->QWidget::geometry(), QRect(30, 30, 940, 640));
        view->resize(400, 300);
        QTRY_COMPARE(view->plotWindow()->QWidget::geometry(), QRect(30, 30, 720, 440));
        view->resize(900, 300);
        QTRY_COMPARE(view->plotWindow()->QWidget::geometry(), QRect(30, 30, 840, 440));
    }

    void measurementsPanelNeverCoversThePlot() {
        // Docked on any side, in any window size asked for, the whole plot window stays in
        // view at no less than its least size.
        const auto plotWhole = [](CSkeinApp& app) {
            CMainFrame* f = app.mainFrame();
            CSkeinView* view = app.view();
            const QRect viewInFrame(view->mapTo(f, QPoint(0, 0)), view->size());
            const QRect plot = view->plotWindow()->QWidget::geometry();
            const QDockWidget* panel = f->measurementsPanel();
            // A panel of its own covers nothing (a screen too small for both floats it); the
            // plot alone may be cut off by a small window, as it always could.
            if (panel->isHidden() || panel->isFloating())
                return true;
            return f->rect().contains(viewInFrame) && view->rect().contains(plot) &&
                   plot.width() >= 720 && plot.height() >= 440 &&
                   !QRect(panel->mapTo(f, QPoint(0, 0)), panel->size()).intersects(viewInFrame);
        };
        int docked = 0; // cases where the screen had room for both
        for (const Qt::DockWidgetArea area : {Qt::RightDockWidgetArea, Qt::LeftDockWidgetArea,
                                              Qt::BottomDockWidgetArea, Qt::TopDockWidgetArea}) {
            for (const QSize asked :
                 {QSize(1000, 720), QSize(400, 300), QSize(800, 600), QSize(1600, 1000)}) {
                CSkeinApp app;
                QVERIFY(app.initInstance(noArguments()));
                CMainFrame* f = app.mainFrame();
                f->show();
                QVERIFY(QTest::qWaitForWindowExposed(f));
                f->resize(asked);
                f->addDockWidget(area, f->measurementsPanel());
                f->showMeasurements();
                QTRY_VERIFY2(plotWhole(app), qPrintable(QStringLiteral("area %1, %2x%3")
                                                            .arg(int(area))
                                                            .arg(asked.width())
                                                            .arg(asked.height())));
                docked += f->measurementsPanel()->isFloating() ? 0 : 1;
                // Making the window smaller afterwards does not cut the plot either.
                f->resize(asked / 2);
                QTRY_VERIFY(plotWhole(app));
            }
        }
        QVERIFY(docked > 0);
        // The panel is remembered as shown (last docked at the top): the next start, at the
        // usual window size, shows the whole plot too.
        CSkeinApp again;
        QVERIFY(again.initInstance(noArguments()));
        QVERIFY(!again.mainFrame()->measurementsPanel()->isHidden());
        again.mainFrame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(again.mainFrame()));
        QTRY_VERIFY(plotWhole(again));
    }

    void aLoggerOfAnotherModelRedrawsThePlotAtOnce() {
        setLoggerModel(kModelCurrent);
        const QString path =
            writeRecording(file(QStringLiteral("ma.smpq")), {7000, 8000, 9000}, kModelCurrent);
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        QVERIFY(app.openDocumentFile(path));
        CMainFrame* f = app.mainFrame();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        CGraphics* plot = app.view()->plotWindow();
        QTRY_VERIFY(plot->isVisible());
        QTest::qWait(200); // the window's first layout and paints are over
        const QImage current = plot->grab().toImage();
        // The scan that a logger's arrival runs finds the voltage model.
        f->setDeviceScan([] { setLoggerModel(kModelVoltage); });
        PaintCounter paints(plot);
        QMetaObject::invokeMethod(f, "onLoggerArrival");
        QTRY_VERIFY(paints.count > 0); // repainted without waiting for anything else
        // From a fresh drawing ("Unit(V)"), not the cached one ("Unit(mA)").
        const QImage voltage = plot->renderPlot().convertToFormat(QImage::Format_RGB32);
        QVERIFY(voltage != current.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(plot->grab().toImage().convertToFormat(QImage::Format_RGB32), voltage);
    }

    void displayTogglesFlipTheirCheckMarks() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        CMainFrame* f = app.mainFrame();
        for (int id : {ID_GRID_X, ID_GRID_Y, ID_MASK_POINTS, ID_ALARM_LINE}) {
            QVERIFY(f->action(id)->isChecked());
            f->action(id)->trigger();
            QVERIFY2(!f->action(id)->isChecked(), qPrintable(QString::number(id)));
            QVERIFY(!app.view()->isCommandChecked(id));
            f->action(id)->trigger();
            QVERIFY(f->action(id)->isChecked());
        }
    }

    void unitCommandsSetPlotAndRecordingUnit() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        for (int unit : {2, 4, 0, 3}) {
            QVERIFY(app.mainFrame()->dispatchCommand(ID_UNIT_0 + unit));
            QCOMPARE(app.view()->unitIndex(), unit);
            QCOMPARE(app.document()->recording().unitIndex, unit);
            for (int other = 0; other < 5; ++other)
                QCOMPARE(app.view()->isCommandChecked(ID_UNIT_0 + other), other == unit);
        }
    }

    void contextMenuCommandsReachTheirHandlers() {
        // The air-speed model offers the whole menu, units included.
        const QString path =
            writeRecording(file(QStringLiteral("air.smpq")), {1000, 2000, 3000}, kModelAirSpeed);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), path})));
        CGraphics* plot = app.view()->plotWindow();
        QTRY_VERIFY(plot->isVisible());
        auto choose = [plot](int id) {
            auto chosen = std::make_shared<QStringList>();
            auto* timer = new QTimer(qApp);
            timer->setInterval(10);
            QObject::connect(timer, &QTimer::timeout, [timer, id, chosen] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu)
                    return;
                timer->stop();
                timer->deleteLater();
                QAction* pick = nullptr;
                for (QAction* a : menu->actions()) {
                    *chosen << QString(a->text()).remove(QLatin1Char('&')) +
                                   (a->isChecked() ? QStringLiteral("*") : QString());
                    if (a->data().toInt() == id)
                        pick = a;
                }
                if (pick) {
                    menu->setActiveAction(pick);
                    QTest::keyClick(menu, Qt::Key_Return);
                } else {
                    QTest::keyClick(menu, Qt::Key_Escape); // dismissed: no command
                }
            });
            timer->start();
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100),
                                    plot->mapToGlobal(QPoint(100, 100)));
            QApplication::sendEvent(plot, &event);
            return *chosen;
        };
        const QStringList items = choose(ID_UNIT_2);
        QCOMPARE(items, (QStringList{"View All", "Move View", "Zoom In", "ColorSetting", "Grid X*",
                                     "Grid Y*", "MaskPoints*", "Alarm Line*", "Unit(m/s)*",
                                     "Unit(ft/min)", "Unit(knots)", "Unit(km/h)", "Unit(MPH)"}));
        QCOMPARE(app.view()->unitIndex(), 2);
        QCOMPARE(app.document()->recording().unitIndex, 2);
        choose(ID_GRID_X);
        QVERIFY(!plot->showGridX());
        QVERIFY(!app.mainFrame()->action(ID_GRID_X)->isChecked());
        choose(ID_MOVE_VIEW);
        QCOMPARE(plot->mode(), MoveView);
        choose(ID_ZOOM_IN);
        QCOMPARE(plot->mode(), ZoomIn);
        bool colourDialog = false;
        whenModal<QDialog>([](QDialog* d) { d->reject(); }, &colourDialog);
        choose(ID_COLOR_SETTING);
        QVERIFY(colourDialog);

        // The voltage model has no unit items.
        setLoggerModel(kModelVoltage);
        QCOMPARE(choose(0).size(), qsizetype(8));
    }

    void manualDocumentsTheCommands() {
        // Without an installed copy beside the program the compiled-in one is written out.
        const QString path = manualPath();
        QVERIFY(!path.isEmpty());
        const QByteArray html = readAll(path);
        for (const char* topic :
             {"First run", "--simulate", "Data Download", "Logger Setting", "Export to Excel",
              "Print Preview", "Print Setup", "ColorSetting", "Mask Points", "Alarm Line",
              "Move View", "Zoom In", "View All", "Recent File", "Ctrl+S", "Unit(knots)",
              "--print-to", "70-quillmark-logger.rules"})
            QVERIFY2(html.contains(topic), topic);
        QVERIFY(QFileInfo::exists(QFileInfo(path).dir().filePath(QStringLiteral("manual.css"))));
    }

    void viewAsksBeforeClosingWithMoreThanOneSample() {
        const QString one = writeRecording(file(QStringLiteral("one.smpq")), {5}, kModelVoltage);
        const QString two = writeRecording(file(QStringLiteral("two.smpq")), {5, 6}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), one})));
        auto none = answerNextBox(QMessageBox::No, 300);
        QVERIFY(app.view()->close()); // a single sample closes at once
        QTRY_VERIFY(none->watch->over);
        QVERIFY(!none->shown);
        app.view()->show();
        QVERIFY(app.openDocumentFile(two));
        auto no = answerNextBox(QMessageBox::No);
        QVERIFY(!app.view()->close());
        QVERIFY(no->shown);
        QCOMPARE(no->text, QStringLiteral("Close Window?"));
        QCOMPARE(no->title, QStringLiteral("Tip"));
        auto yes = answerNextBox(QMessageBox::Yes);
        QVERIFY(app.view()->close());
        QVERIFY(yes->shown);
    }

    void aboutBoxShowsVersion() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        QString title, line;
        bool seen = false;
        whenModal<CAboutDlg>(
            [&](CAboutDlg* dlg) {
                title = dlg->windowTitle();
                line = dlg->findChild<QLabel*>(QStringLiteral("versionLine"))->text();
                dlg->accept();
            },
            &seen);
        app.mainFrame()->action(ID_APP_ABOUT)->trigger();
        QVERIFY(seen);
        QCOMPARE(title, QStringLiteral("About Quillmark"));
        QCOMPARE(line, QStringLiteral("Quillmark Version 2.2"));
    }
};

QUILLMARK_GUI_TEST_MAIN(AppShellTest)
#include "app_shell_test.moc"
