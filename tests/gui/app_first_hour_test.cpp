// What a new user meets in the first hour: an unsaved download is never dropped without a
// question, a refused file changes nothing, View All can be undone however it was reached,
// Ctrl+C copies what has focus, and windows and captions fit.
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>

#include "app_test_support.h"
#include "core/app/command_ids.h"
#include "core/common/byte_order.h"
#include "core/common/header_layout.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/analyze_commands.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/cskein_app.h"
#include "gui/app/cskein_doc.h"
#include "gui/app/user_messages.h"
#include "gui/link/cdlg_download.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/cskein_view.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"

using namespace quillmark;
using namespace quillmark::test_support;

class AppFirstHourTest : public QObject {
    Q_OBJECT
private:
    TestFolder dir_;

    std::unique_ptr<CSkeinApp> simulatedApp() {
        auto app = std::make_unique<CSkeinApp>();
        app->setBackend(std::make_unique<sim::SimulatedLogger>(),
                        std::make_unique<sim::SimDetector>());
        if (!app->initInstance(parseCommandLine({QStringLiteral("quillmark")})))
            return nullptr;
        return app;
    }

    // Downloads the simulator's demo recording and views it.
    static bool downloadAndView(CSkeinApp& app) {
        bool seen = false;
        whenModal<CDlgDownload>(
            [](CDlgDownload* dlg) {
                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
                dlg->downloadButton()->click();
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->downloading(), 20000);
                dlg->viewButton()->click();
            },
            &seen, 10000);
        app.mainFrame()->action(ID_DATA_DOWNLOAD)->trigger();
        return seen && app.view()->shownSampleCount() > 0;
    }

private slots:
    void init() { startTest(); }

    void openingOverAnUnsavedDownloadAsksFirst_data() {
        QTest::addColumn<int>("answer"); // 0 Escape, 1 No
        QTest::addColumn<bool>("replaced");
        QTest::newRow("escape keeps the download") << 0 << false;
        QTest::newRow("no opens the file") << 1 << true;
    }

    void openingOverAnUnsavedDownloadAsksFirst() {
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        auto app = simulatedApp();
        QVERIFY(app);
        QVERIFY(downloadAndView(*app));
        const int downloaded = app->document()->recording().sampleCount;
        const QString other =
            writeRecording(dir_.file(QStringLiteral("other.smpq")), {1, 2, 3, 4}, kModelVoltage);
        QString question;
        bool seen = false;
        whenModal<QMessageBox>(
            [&](QMessageBox* box) {
                question = box->text();
                if (answer == 0)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->button(QMessageBox::No)->click();
            },
            &seen);
        QCOMPARE(app->openDocumentFile(other), replaced);
        QVERIFY(seen);
        QCOMPARE(question, QStringLiteral("Save Data?"));
        QCOMPARE(app->document()->recording().sampleCount, replaced ? 4 : downloaded);
        QCOMPARE(app->view()->shownSampleCount(), replaced ? 4 : downloaded);
        QCOMPARE(app->mainFrame()->windowTitle().startsWith(QStringLiteral("other.smpq")),
                 replaced);

        // Files opened from disk replace each other without a question, as before.
        const QString third =
            writeRecording(dir_.file(QStringLiteral("third.smpq")), {5, 6}, kModelVoltage);
        if (replaced) {
            bool asked = false;
            auto watch = whenModal<QMessageBox>([](QMessageBox* b) { b->reject(); }, &asked, 300);
            QVERIFY(app->openDocumentFile(third));
            QTRY_VERIFY(watch->over);
            QVERIFY(!asked);
        }
    }

    void refusedFileChangesNothingAndNamesTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("time,value\n1,2\n").repeated(30);
        Recording bad = makeRecording(std::vector<std::uint16_t>{1, 2, 3});
        putI32LE(&bad.header[block::kStartYear], 2024);
        bad.header[block::kStartMonth] = 13; // no such month
        const QString path = QDir::temp().filePath(QStringLiteral("quillmark-badstart.smpq"));
        QVERIFY(writeRecordingFile(path.toStdString(), bad, kModelVoltage));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTest::newRow("invalid start time") << f.readAll();
        QFile::remove(path);
    }

    void refusedFileChangesNothingAndNamesTheFile() {
        QFETCH(QByteArray, content);
        const QString good =
            writeRecording(dir_.file(QStringLiteral("good.smpq")), {1, 2, 3}, kModelVoltage);
        auto app = std::make_unique<CSkeinApp>();
        QVERIFY(app->initInstance(parseCommandLine({QStringLiteral("quillmark"), good})));
        const QString title = app->mainFrame()->windowTitle();
        const QStringList recent = app->recentFiles().entries();
        const QString refused = dir_.file(QStringLiteral("refused.smpq"));
        QFile f(refused);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        auto box = answerNextBox(QMessageBox::Ok);
        QVERIFY(!app->openDocumentFile(refused));
        QVERIFY(box->shown);
        QCOMPARE(box->text, QStringLiteral("Failed to open document."));
        QVERIFY2(box->informative.contains(refused), qPrintable(box->informative));
        QCOMPARE(app->mainFrame()->windowTitle(), title);
        QCOMPARE(app->recentFiles().entries(), recent);
        QCOMPARE(app->view()->shownSampleCount(), 3);
        QVERIFY(app->view()->plotWindow()->isVisible() ||
                !app->mainFrame()->isVisible()); // the grid did not turn empty
    }

    // Toolbar, menu, context menu and keys all reach View All as one undoable step.
    void viewAllIsOneUndoStepEverywhere_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("toolbar/menu command") << 0;
        QTest::newRow("Home") << 1;
        QTest::newRow("Escape") << 2;
    }

    void viewAllIsOneUndoStepEverywhere() {
        QFETCH(int, how);
        std::vector<std::uint16_t> raw(400);
        for (std::size_t i = 0; i < raw.size(); ++i)
            raw[i] = static_cast<std::uint16_t>(1000 + (i * 37) % 900);
        const QString path =
            writeRecording(dir_.file(QStringLiteral("v.smpq")), raw, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), path})));
        CGraphics* plot = app.view()->plotWindow();
        QVERIFY(plot->zoomTimeAboutCentre(0.5));
        QVERIFY(plot->zoomTimeAboutCentre(0.5));
        const DataWindow zoomed = plot->geometry().window();
        if (how == 0)
            app.mainFrame()->action(ID_VIEW_ALL)->trigger();
        else
            QTest::keyClick(plot, how == 1 ? Qt::Key_Home : Qt::Key_Escape);
        QVERIFY(!(plot->geometry().window() == zoomed));
        QTest::keyClick(plot, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(plot->geometry().window() == zoomed);
    }

    void copyTakesSelectedPanelTextElseTheImage() {
        const QString path =
            writeRecording(dir_.file(QStringLiteral("c.smpq")), {100, 900, 500}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), path})));
        app.mainFrame()->showMeasurements();
        MeasurementsPanel* panel = app.mainFrame()->measurementsPanel();
        QTRY_VERIFY(!panel->rows().isEmpty());
        QLabel* figure = nullptr;
        for (QLabel* l : panel->findChildren<QLabel*>())
            if (l->isVisible() && l->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard))
                figure = l;
        QVERIFY(figure);
        QVERIFY(!figure->text().isEmpty());

        QGuiApplication::clipboard()->clear();
        figure->setFocus();
        figure->setSelection(0, static_cast<int>(figure->text().size()));
        QVERIFY(app.mainFrame()->dispatchCommand(ID_COPY_IMAGE));
        QCOMPARE(QGuiApplication::clipboard()->text(), figure->text());
        QVERIFY(QGuiApplication::clipboard()->image().isNull());

        app.view()->plotWindow()->setFocus();
        QVERIFY(app.mainFrame()->dispatchCommand(ID_COPY_IMAGE));
        QVERIFY(!QGuiApplication::clipboard()->image().isNull());

        // Copy Figures: one tab-separated line per shown row.
        panel->copyFigures();
        const QStringList lines =
            QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), panel->rows().size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i].count(QLatin1Char('\t')), 1);
            QCOMPARE(QString(lines[i]).replace(QLatin1Char('\t'), QLatin1Char(' ')),
                     panel->rows()[i]);
        }
    }

    void exportImageOffersTheRecordingsName_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("offered");
        QTest::newRow("saved recording") << "/data/run 3.smpq"
                                         << "run 3.png";
        QTest::newRow("two dots") << "/data/cold.room.smpq"
                                  << "cold.room.png";
        QTest::newRow("not saved") << ""
                                   << "plot.png";
    }

    void exportImageOffersTheRecordingsName() {
        QFETCH(QString, document);
        QFETCH(QString, offered);
        QCOMPARE(suggestedImageName(document), offered);
    }

    void windowFitsTheScreen_data() {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("large screen") << QSize(1920, 1040) << QSize(1000, 720);
        QTest::newRow("2x on 1600x1000") << QSize(800, 470) << QSize(784, 422);
        QTest::newRow("narrow") << QSize(900, 2000) << QSize(884, 720);
        QTest::newRow("unknown screen") << QSize() << QSize(1000, 720);
    }

    void windowFitsTheScreen() {
        QFETCH(QSize, available);
        QFETCH(QSize, expected);
        QCOMPARE(fitWindowSize(QSize(1000, 720), available), expected);
    }

    void firstWindowIsNoLargerThanTheScreen() {
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        const QSize free = app.mainFrame()->screen()->availableGeometry().size();
        QVERIFY(app.mainFrame()->width() <= free.width());
        QVERIFY(app.mainFrame()->height() <= free.height());
    }

    // The manual's menu tables name only items the menus have, under the menu they are in.
    void manualNamesOnlyMenuItemsThatExist() {
        QFile manual(QStringLiteral(QUILLMARK_MANUAL));
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(manual.readAll());
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        // Every item of a menu and its submenus, without mnemonics and shortcut text.
        const auto items = [](QMenu* menu) {
            QStringList out;
            QList<QMenu*> todo{menu};
            while (!todo.isEmpty()) {
                QMenu* m = todo.takeFirst();
                out << m->title().remove(QLatin1Char('&'));
                for (QAction* a : m->actions()) {
                    if (a->menu())
                        todo << a->menu();
                    out << a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
                }
            }
            return out;
        };
        int named = 0;
        for (const char* section : {"file", "view", "analyze", "link", "help"}) {
            const QString id = QString::fromLatin1(section);
            const qsizetype at = html.indexOf(QStringLiteral("<h2 id=\"%1\">").arg(id));
            QVERIFY2(at >= 0, section);
            const qsizetype end = html.indexOf(QStringLiteral("</table>"), at);
            const QString table = html.mid(at, end - at);
            QMenu* menu =
                app.mainFrame()->menu(QStringLiteral("menu") + id.at(0).toUpper() + id.mid(1));
            QVERIFY2(menu, section);
            QStringList have = items(menu);
            // The recent entries show file names; "Recent File" stands in for them when none.
            if (menu->actions().contains(app.mainFrame()->action(ID_FILE_MRU_FILE1)))
                have << QStringLiteral("Recent File");
            static const QRegularExpression firstCell(
                QStringLiteral("<tr><td>(.*?)</td>"),
                QRegularExpression::DotMatchesEverythingOption);
            for (auto it = firstCell.globalMatch(table); it.hasNext();) {
                QString name = it.next().captured(1);
                name.remove(QRegularExpression(QStringLiteral("\\(<kbd>.*?</kbd>\\)")));
                for (QString part : name.split(QRegularExpression(QStringLiteral("[,/]")))) {
                    part = part.simplified();
                    QVERIFY2(have.contains(part), qPrintable(id + QStringLiteral(": ") + part));
                    ++named;
                }
            }
        }
        QVERIFY(named > 25);
        QVERIFY(!html.contains(QStringLiteral("Help Topics")));
    }

    void messageBoxCaptionIsWhole() {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Status Information"),
                        QStringLiteral("OK"), QMessageBox::Ok);
        fitCaption(box);
        box.show();
        QFont bold = QApplication::font("QMdiSubWindowTitleBar");
        bold.setBold(true);
        QVERIFY(box.width() >
                QFontMetrics(bold).horizontalAdvance(QStringLiteral("Status Information")) + 100);
    }
};

QUILLMARK_GUI_TEST_MAIN(AppFirstHourTest)
#include "app_first_hour_test.moc"
