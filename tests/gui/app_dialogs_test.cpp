// The logger dialogs driven through the real windows against the simulated logger (and
// against no logger at all), logger arrival, and a download's progress and Cancel.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <mutex>
#include <thread>

#include "app_test_support.h"
#include "backend/logger_backend.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "core/common/byte_order.h"
#include "core/link/logger_detector.h"
#include "core/link/upload.h"
#include "core/link/wire_protocol.h"
#include "core/settings/ini_store.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/cskein_app.h"
#include "gui/app/cskein_doc.h"
#include "gui/link/cdlg_download.h"
#include "gui/link/cdlg_progress.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/cskein_view.h"
#include "gui/settings/cdlg_setting.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {

// A detector whose arrivals the test fires from a thread of its own.
class FakeDetector : public LoggerDetector {
public:
    bool enumerate() override { return true; }
    bool start(ArrivalCallback onArrival) override {
        callback = std::move(onArrival);
        return true;
    }
    void stop() override { callback = nullptr; }
    ArrivalCallback callback;
};

std::unique_ptr<CSkeinApp> simulatedApp(const sim::SimOptions& options = {}) {
    auto app = std::make_unique<CSkeinApp>();
    app->setBackend(std::make_unique<sim::SimulatedLogger>(options),
                    std::make_unique<sim::SimDetector>());
    if (!app->initInstance(parseCommandLine({QStringLiteral("quillmark")})))
        return nullptr;
    return app;
}

// The simulated logger, noting the pages asked for and whether every open was closed again.
class WatchedLogger : public sim::SimulatedLogger {
public:
    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override {
        const Status s = sim::SimulatedLogger::openDevice(deviceIndex, handle);
        opens_ += s == kSuccess;
        return s;
    }
    Status closeDevice(Handle handle) override {
        const Status s = sim::SimulatedLogger::closeDevice(handle);
        closes_ += s == kSuccess;
        return s;
    }
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override {
        if (count == wire::kReadRequestSize && buffer[0] == wire::kReadOpcode &&
            buffer[1] != wire::kHeaderPage) {
            const std::lock_guard lock(mutex_);
            pages_.push_back(buffer[1]);
        }
        return sim::SimulatedLogger::write(handle, buffer, count, written);
    }

    std::vector<int> takePages() {
        const std::lock_guard lock(mutex_);
        return std::exchange(pages_, {});
    }
    int opens() const { return opens_; }
    int closes() const { return closes_; }

private:
    std::mutex mutex_;
    std::vector<int> pages_;
    std::atomic<int> opens_{0};
    std::atomic<int> closes_{0};
};

// 32000 points at 400 Hz: the logger's whole memory, 16 pages.
HeaderBlock fullMemoryBlock() {
    HeaderBlock b{};
    putU32LE(b.data() + block::kStartMarker, block::kMarker);
    putU32LE(b.data() + block::kSamplePoints, 32000);
    putU32LE(b.data() + block::kIntervalSeconds, 0);
    putI32LE(b.data() + block::kStartYear, 2026);
    b[block::kStartMonth] = 12;
    b[block::kStartDay] = 7;
    b[block::kModeFlags] = 0x12;
    putU32LE(b.data() + block::kEndMarker, block::kMarker);
    return b;
}

bool sameRecording(const Recording& a, const Recording& b) {
    return a.header == b.header && a.samples == b.samples && a.sampleCount == b.sampleCount &&
           a.maxIndex == b.maxIndex && a.minIndex == b.minIndex && a.average == b.average &&
           a.unitIndex == b.unitIndex;
}

std::unique_ptr<CSkeinApp> appWithoutLogger() {
    LoggerBackend backend;
    if (!createLoggerBackend("socket:/nonexistent-quillmark/logger.sock", backend))
        return nullptr;
    auto app = std::make_unique<CSkeinApp>();
    app->setBackend(std::move(backend.vendor), std::move(backend.detector));
    if (!app->initInstance(parseCommandLine({QStringLiteral("quillmark")})))
        return nullptr;
    return app;
}

template <typename T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

void loseFocus(QLineEdit* edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
}

} // namespace

class AppDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        startTest();
        qputenv("QUILLMARK_PAGE_WAIT_MS", "0");
        QFile::remove(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
                      QStringLiteral("/Quillmark/SettingConfig.ini"));
    }

    void downloadFromTheSimulatedLoggerThenView() {
        qputenv("QUILLMARK_PAGE_WAIT_MS", "400"); // long enough to watch the transfer
        auto app = simulatedApp();
        QVERIFY(app);
        QCOMPARE(loggerModel(), kModelVoltage);
        QStringList captions;
        bool sawProgress = false, stayedModal = true, buttonsLocked = true;
        int progressMax = 0, progressLast = 0, grownBy = 0, heightAfter = 0;
        QString pagesText, percentText;
        QString result;
        bool seen = false;
        whenModal<CDlgDownload>(
            [&](CDlgDownload* dlg) {
                captions << dlg->windowTitle();
                QVERIFY(!dlg->downloadButton()->isEnabled());
                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
                captions << dlg->windowTitle();
                QVERIFY(dlg->downloadButton()->isEnabled());
                screenshot(dlg, QStringLiteral("download-dialog"));
                dlg->downloadButton()->click();
                // While the worker reads, the dialog stays up and modal, takes no input but
                // Cancel, and shows the progress inside itself.
                const int height = dlg->height();
                QTRY_VERIFY_WITH_TIMEOUT(dlg->progressWindow() != nullptr, 4000);
                sawProgress = dlg->progressWindow()->isVisible() &&
                              !dlg->progressWindow()->isWindow() &&
                              dlg->progressWindow()->window() == dlg;
                grownBy = dlg->height() - height;
                screenshot(dlg, QStringLiteral("download-progress"));
                QProgressBar* bar = dlg->progressWindow()->bar();
                progressMax = bar->maximum();
                pagesText = dlg->progressWindow()->pagesLabel()->text();
                percentText = bar->text();
                const int first = bar->value();
                stayedModal = dlg->isVisible() && QApplication::activeModalWidget() == dlg;
                buttonsLocked = !dlg->viewButton()->isEnabled() &&
                                dlg->cancelButton()->isEnabled() &&
                                !dlg->downloadButton()->isEnabled();
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->progressWindow() || bar->value() > first, 4000);
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->downloading(), 20000);
                QVERIFY(!dlg->progressWindow());
                heightAfter = dlg->height();
                progressLast = progressMax;
                result = dlg->messageLabel()->text();
                screenshot(dlg, QStringLiteral("download-finished"));
                QVERIFY(!dlg->downloadButton()->isEnabled()); // one download per opening
                dlg->viewButton()->click();
            },
            &seen, 10000);
        app->mainFrame()->action(ID_DATA_DOWNLOAD)->trigger();
        QVERIFY(seen);
        QCOMPARE(captions, (QStringList{"Connecting...", "Connected"}));
        QVERIFY(sawProgress);
        QVERIFY(stayedModal);
        QVERIFY(buttonsLocked);
        QCOMPARE(progressMax, 50); // the demo's 600 points fit on one page
        QVERIFY(progressLast > 0);
        QCOMPARE(pagesText, QStringLiteral("0 of 1 pages read"));
        QCOMPARE(percentText, QStringLiteral("20%"));
        QVERIFY2(grownBy > 0, qPrintable(QString::number(grownBy)));
        QCOMPARE(heightAfter, 127);
        const int n = app->document()->recording().sampleCount;
        QVERIFY(n > 0);
        QCOMPARE(result, QStringLiteral("%1 points finished! Press View to show graph, or Cancel "
                                        "to exit.")
                             .arg(n));
        // View handed the recording to the plot.
        QCOMPARE(app->view()->shownSampleCount(), n);
        CGraphics* plot = app->view()->plotWindow();
        QTRY_VERIFY(plot->isVisible());
        QCOMPARE(plot->scene().sampleCount, n);
        QCOMPARE(plot->geometry().xOffset, 0.0); // View All after the hand-over
        // The curve is drawn: the line colour appears inside the plot area.
        const QImage img = plot->renderPlot();
        int curve = 0;
        for (int y = 40; y < img.height() - 40; ++y)
            for (int x = 50; x < img.width() - 50; ++x)
                curve += img.pixelColor(x, y) == QColor(0, 0, 255);
        QVERIFY2(curve > 100, qPrintable(QString::number(curve)));
        screenshot(app->mainFrame(), QStringLiteral("main-window"));
    }

    void cancelMidDownloadReplacesNothingAndClosesTheLink() {
        auto owned = std::make_unique<WatchedLogger>();
        WatchedLogger* logger = owned.get();
        auto app = std::make_unique<CSkeinApp>();
        app->setBackend(std::move(owned), std::make_unique<sim::SimDetector>());
        QVERIFY(app->initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        const auto download = [&](const std::function<void(CDlgDownload*)>& steps) {
            bool seen = false;
            whenModal<CDlgDownload>(
                [&](CDlgDownload* dlg) {
                    QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"),
                                              4000);
                    steps(dlg);
                },
                &seen, 10000);
            app->mainFrame()->action(ID_DATA_DOWNLOAD)->trigger();
            return seen;
        };
        const auto downloadAndView = [](CDlgDownload* dlg) {
            dlg->downloadButton()->click();
            QTRY_VERIFY_WITH_TIMEOUT(!dlg->downloading(), 20000);
            dlg->viewButton()->click();
        };
        // The demo's 600 points are shown; then the logger records a whole memory.
        QVERIFY(download(downloadAndView));
        QCOMPARE(app->view()->shownSampleCount(), 600);
        const Recording before = app->document()->recording();
        const QImage shownBefore = app->view()->plotWindow()->renderPlot();
        {
            LoggerLink link(*logger);
            QCOMPARE(uploadSettings(link, fullMemoryBlock()).result, UploadResult::Success);
        }
        logger->device().advanceClock(3600.0);
        logger->takePages();

        qputenv("QUILLMARK_PAGE_WAIT_MS", "100");
        QString pages, percent, expectedPages, expectedPercent, stoppedText;
        bool stopping = false, unchanged = false, sameView = false, usable = false;
        std::vector<int> asked;
        const bool seen = download([&](CDlgDownload* dlg) {
            dlg->downloadButton()->click();
            QTRY_VERIFY_WITH_TIMEOUT(dlg->progressWindow() &&
                                         dlg->progressWindow()->bar()->value() >= 160 + 2 * 40,
                                     10000);
            QProgressBar* bar = dlg->progressWindow()->bar();
            const int done = (bar->value() - 160) / 40;
            expectedPages = QStringLiteral("%1 of 16 pages read").arg(done);
            expectedPercent = QStringLiteral("%1%").arg(bar->value() * 100 / 800);
            pages = dlg->progressWindow()->pagesLabel()->text();
            percent = bar->text();
            screenshot(dlg, QStringLiteral("download-cancelling"));
            dlg->cancelButton()->click();
            stopping = dlg->stopping() && !dlg->cancelButton()->isEnabled() && dlg->isVisible();
            QTRY_VERIFY_WITH_TIMEOUT(!dlg->downloading(), 10000);
            asked = logger->takePages();
            stoppedText = dlg->messageLabel()->text();
            unchanged = sameRecording(app->document()->recording(), before);
            sameView = app->view()->shownSampleCount() == 600 &&
                       app->view()->plotWindow()->renderPlot() == shownBefore;
            // Stopped, the dialog is as before the download: nothing is left of it.
            usable = dlg->isVisible() && !dlg->progressWindow() && dlg->height() == 127 &&
                     dlg->downloadButton()->isEnabled() && dlg->viewButton()->isEnabled() &&
                     dlg->cancelButton()->isEnabled();
            dlg->cancelButton()->click();
        });
        QVERIFY(seen);
        QCOMPARE(pages, expectedPages);
        QCOMPARE(percent, expectedPercent);
        QVERIFY(stopping);
        QVERIFY2(!asked.empty() && asked.size() < 16, qPrintable(QString::number(asked.size())));
        QCOMPARE(logger->opens(), logger->closes());
        QVERIFY(stoppedText.startsWith(QStringLiteral("Download cancelled")));
        QVERIFY(unchanged);
        QVERIFY(sameView);
        QVERIFY(usable);
        QVERIFY(sameRecording(app->document()->recording(), before));

        // The logger kept its memory, and the next download takes all of it.
        qputenv("QUILLMARK_PAGE_WAIT_MS", "0");
        QVERIFY(download(downloadAndView));
        QCOMPARE(logger->takePages().size(), 16u);
        QCOMPARE(app->view()->shownSampleCount(), 32000);
    }

    void failedAndEmptyDownloadsSayWhyAndKeepTheRecording_data() {
        QTest::addColumn<bool>("vanish");
        QTest::addColumn<QString>("message");
        QTest::newRow("unplugged")
            << true << QStringLiteral("Failed reading data from the datalogger.");
        QTest::newRow("empty") << false
                               << QStringLiteral("Datalogger internal memory currently empty.");
    }
    void failedAndEmptyDownloadsSayWhyAndKeepTheRecording() {
        QFETCH(bool, vanish);
        QFETCH(QString, message);
        sim::SimOptions options;
        if (vanish)
            options.vanishAfterBytes = 3 + 64 + 3 + 500; // inside the first sample page
        else
            options.demoRecording = false;
        auto app = simulatedApp(options);
        QVERIFY(app);
        const Recording before = app->document()->recording();
        bool seen = false, downloadAgain = false, progressGone = false;
        std::shared_ptr<BoxSeen> box;
        whenModal<CDlgDownload>(
            [&](CDlgDownload* dlg) {
                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
                box = answerNextBox(QMessageBox::Ok, 20000);
                dlg->downloadButton()->click();
                QTRY_VERIFY_WITH_TIMEOUT(box->shown, 20000);
                QTRY_VERIFY(!dlg->downloading());
                progressGone = dlg->progressWindow() == nullptr;
                downloadAgain = dlg->downloadButton()->isEnabled();
                dlg->cancelButton()->click();
            },
            &seen, 10000);
        app->mainFrame()->action(ID_DATA_DOWNLOAD)->trigger();
        QVERIFY(seen);
        QVERIFY(box && box->shown);
        QCOMPARE(box->text, message);
        QCOMPARE(box->title, QStringLiteral("Quillmark"));
        QCOMPARE(box->icon, QMessageBox::NoIcon);
        QVERIFY(progressGone);
        QVERIFY(downloadAgain); // the user may try again
        QCOMPARE(app->document()->recording().sampleCount, before.sampleCount);
        QCOMPARE(app->document()->recording().header, before.header);
        QCOMPARE(app->view()->shownSampleCount(), 0);
    }

    void downloadWithoutLoggerStaysDisabledAndViewHasNothing() {
        auto app = appWithoutLogger();
        QVERIFY(app);
        QString caption, noData, noDataCaption;
        bool downloadEnabled = true, seen = false;
        whenModal<CDlgDownload>(
            [&](CDlgDownload* dlg) {
                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Not Connected"),
                                          4000);
                caption = dlg->windowTitle();
                downloadEnabled = dlg->downloadButton()->isEnabled();
                auto box = answerNextBox(QMessageBox::Ok);
                dlg->viewButton()->click();
                noData = box->text;
                noDataCaption = box->title;
                QVERIFY(dlg->isVisible()); // View without data keeps the dialog open
                dlg->cancelButton()->click();
            },
            &seen);
        app->mainFrame()->action(ID_DATA_DOWNLOAD)->trigger();
        QVERIFY(seen);
        QCOMPARE(caption, QStringLiteral("Not Connected"));
        QVERIFY(!downloadEnabled);
        QCOMPARE(noData, QStringLiteral("No data to view."));
        QCOMPARE(noDataCaption, QStringLiteral("warning"));
        QCOMPARE(app->view()->shownSampleCount(), 0);
    }

    void settingsDialogShowsTheRulesAndSetsUpTheLogger() {
        auto app = simulatedApp();
        QVERIFY(app);
        bool seen = false, hiddenBeforeMessage = false;
        QStringList rates, units;
        int pointsCount = 0;
        QString clock, afterDefault, pointsAfter400, rangeText, highAfter, startText, startCaption,
            pointsMessage;
        whenModal<CDlgSetting>(
            [&](CDlgSetting* dlg) {
                QCOMPARE(dlg->windowTitle(), QStringLiteral("Connecting..."));
                clock = child<QLineEdit>(dlg, "currentTime")->text();
                auto* points = child<QComboBox>(dlg, "samplePoints");
                auto* rate = child<QComboBox>(dlg, "sampleRate");
                auto* unit = child<QComboBox>(dlg, "unit");
                pointsCount = points->count();
                for (int i = 0; i < rate->count(); ++i)
                    rates << rate->itemText(i);
                for (int i = 0; i < unit->count(); ++i)
                    units << unit->itemText(i);
                QVERIFY(!child<QLineEdit>(dlg, "loggerName")->isVisibleTo(dlg));
                QVERIFY(!child<QRadioButton>(dlg, "modeCalibration")->isVisibleTo(dlg));
                QCOMPARE(child<QLabel>(dlg, "statusLine")->text(), QString());

                child<QPushButton>(dlg, "buttonDefault")->click();
                afterDefault = child<QLineEdit>(dlg, "recordingTime")->text();
                QVERIFY(child<QRadioButton>(dlg, "modeInstant")->isChecked());
                QVERIFY(child<QRadioButton>(dlg, "flash10s")->isChecked());
                QVERIFY(child<QCheckBox>(dlg, "alarmFlash")->isChecked());

                // 400 Hz with 50 points moves the points to 500 and says so.
                auto box = answerNextBox(QMessageBox::Ok);
                rate->setCurrentIndex(14);
                emit rate->activated(14);
                pointsMessage = box->text;
                pointsAfter400 = points->currentText();
                rate->setCurrentIndex(1);
                emit rate->activated(1);

                // A high alarm beyond 30 V is refused with the range message.
                auto high = child<QLineEdit>(dlg, "highAlarm");
                auto range = answerNextBox(QMessageBox::Ok);
                high->setText(QStringLiteral("31"));
                loseFocus(high);
                rangeText = range->text;
                QCOMPARE(range->icon, QMessageBox::Warning);
                highAfter = high->text();

                // A decimal reverts as specified, and the dialog says why beside the field
                // until a valid entry replaces it.
                auto note = child<QLabel>(dlg, "alarmNote");
                QVERIFY(note && note->isHidden());
                high->setText(QStringLiteral("10.5"));
                loseFocus(high);
                QCOMPARE(high->text(), highAfter);
                QVERIFY(!note->isHidden());
                QVERIFY2(note->text().contains(QStringLiteral("\"10.5\"")) &&
                             note->text().contains(QStringLiteral("whole numbers")),
                         qPrintable(note->text()));
                QCOMPARE(high->toolTip(), note->text());
                high->setText(QStringLiteral("20"));
                loseFocus(high);
                QVERIFY(note->isHidden());

                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
                screenshot(dlg, QStringLiteral("settings-dialog"));
                whenModal<QMessageBox>([&, dlg](QMessageBox* b) {
                    startText = b->text();
                    startCaption = b->windowTitle();
                    hiddenBeforeMessage = !dlg->isVisible();
                    b->button(QMessageBox::Ok)->click();
                });
                child<QPushButton>(dlg, "buttonSetup")->click();
            },
            &seen, 8000);
        app->mainFrame()->action(ID_LOGGER_SETTING)->trigger();
        QVERIFY(seen);
        QTRY_COMPARE_WITH_TIMEOUT(startText, QStringLiteral("Datalogger is running..."), 15000);
        QCOMPARE(startCaption, QStringLiteral("Status Information"));
        QVERIFY(hiddenBeforeMessage);
        QCOMPARE(pointsCount, 13);
        QCOMPARE(rates.size(), qsizetype(15));
        QCOMPARE(rates.last(), QStringLiteral("2.5ms(400Hz)"));
        QCOMPARE(units, QStringList{QStringLiteral("V")});
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                     .match(clock)
                     .hasMatch(),
                 qPrintable(clock));
        QCOMPARE(afterDefault, QStringLiteral(" 4_Minutes, 10_Seconds"));
        QCOMPARE(pointsMessage, QStringLiteral("Please select other points!"));
        QCOMPARE(pointsAfter400, QStringLiteral("500"));
        QCOMPARE(rangeText, QStringLiteral("Please input between 0 and 30 V"));
        QCOMPARE(highAfter, QStringLiteral("25"));
        // Saved only after the logger acknowledged.
        IniStore ini;
        QVERIFY(ini.load(settingsIniPath()));
        QCOMPARE(ini.getInt("K52R_DATASET", "SAMPLERATE", -1), 1);
        QCOMPARE(ini.getInt("K52R_DATASET", "MODEL", -1), 2);
    }

    void settingsSetupWithoutLoggerShowsTheConnectionFault() {
        auto app = appWithoutLogger();
        QVERIFY(app);
        bool seen = false, boxShown = true, setupEnabled = false;
        QString status, caption;
        whenModal<CDlgSetting>(
            [&](CDlgSetting* dlg) {
                child<QPushButton>(dlg, "buttonDefault")->click();
                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Not Connected"),
                                          4000);
                caption = dlg->windowTitle();
                auto box = answerNextBox(QMessageBox::Ok, 1500);
                child<QPushButton>(dlg, "buttonSetup")->click();
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->uploading(), 5000);
                QTRY_VERIFY_WITH_TIMEOUT(box->watch->over, 5000);
                boxShown = box->shown;
                status = child<QLabel>(dlg, "statusLine")->text();
                setupEnabled = child<QPushButton>(dlg, "buttonSetup")->isEnabled();
                child<QPushButton>(dlg, "buttonCancel")->click();
            },
            &seen, 5000);
        app->mainFrame()->action(ID_LOGGER_SETTING)->trigger();
        QVERIFY(seen);
        QCOMPARE(caption, QStringLiteral("Not Connected"));
        QCOMPARE(status, QStringLiteral("Connecting fault. Ensure logger inserted and try again."));
        QVERIFY(!boxShown);
        QVERIFY(setupEnabled);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(settingsIniPath())));
    }

    // A screen reader names every control of the settings dialog by what it is, each apart.
    void settingsControlsHaveTheirOwnAccessibleNames() {
        sim::SimulatedLogger logger;
        CDlgSetting dlg(logger, kModelAirSpeed, nullptr);
        QStringList names;
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w) &&
                !qobject_cast<QAbstractButton*>(w))
                continue;
            if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget()))
                continue; // a combo box's own editor
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY(a);
            // Qt 6.4 reports a combo box's current entry as its name; its own name and the
            // label tied to it reach the screen reader beside that.
            const bool combo = qobject_cast<QComboBox*>(w) != nullptr;
            if (combo)
                QVERIFY2(!a->relations(QAccessible::Label).isEmpty(), qPrintable(w->objectName()));
            const QString name = combo ? w->accessibleName() : a->text(QAccessible::Name);
            QVERIFY2(!name.isEmpty(), qPrintable(w->objectName()));
            QVERIFY2(!name.contains(QStringLiteral("Settings")), qPrintable(name));
            names << name;
        }
        QVERIFY(names.contains(QStringLiteral("Low alarm")));
        QVERIFY(names.contains(QStringLiteral("High alarm")));
        QVERIFY(names.contains(QStringLiteral("Sample rate")));
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }

    void settingsRefusalsAndAnUnknownModel() {
        auto app = simulatedApp();
        QVERIFY(app);
        // Low above high is refused before anything is sent.
        bool seen = false;
        std::shared_ptr<BoxSeen> refusal;
        whenModal<CDlgSetting>(
            [&](CDlgSetting* dlg) {
                child<QPushButton>(dlg, "buttonDefault")->click();
                auto* low = child<QLineEdit>(dlg, "lowAlarm");
                low->setText(QStringLiteral("21"));
                loseFocus(low);
                refusal = answerNextBox(QMessageBox::Ok);
                child<QPushButton>(dlg, "buttonSetup")->click();
                QVERIFY(dlg->isVisible());
                QVERIFY(!dlg->uploading());
                child<QPushButton>(dlg, "buttonCancel")->click();
            },
            &seen);
        app->mainFrame()->action(ID_LOGGER_SETTING)->trigger();
        QVERIFY(seen);
        QVERIFY(refusal);
        QVERIFY(refusal->shown);
        QCOMPARE(refusal->text,
                 QStringLiteral("High Alarm must be larger than Low Alarm!\nPlease retry!"));
        QCOMPARE(refusal->icon, QMessageBox::Warning);
        QCOMPARE(refusal->title, QStringLiteral("Quillmark"));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(settingsIniPath())));

        // A model code only a recording file can bring: no units, so no alarm limits to edit.
        setLoggerModel(999);
        bool lowEnabled = true, highEnabled = true;
        int units = -1;
        whenModal<CDlgSetting>(
            [&](CDlgSetting* dlg) {
                units = child<QComboBox>(dlg, "unit")->count();
                lowEnabled = child<QLineEdit>(dlg, "lowAlarm")->isEnabled();
                highEnabled = child<QLineEdit>(dlg, "highAlarm")->isEnabled();
                dlg->reject();
            },
            &seen);
        app->mainFrame()->action(ID_LOGGER_SETTING)->trigger();
        QVERIFY(seen);
        QCOMPARE(units, 0);
        QVERIFY(!lowEnabled);
        QVERIFY(!highEnabled);
    }

    void loggerArrivalRescansOnTheGuiThread() {
        auto detector = std::make_unique<FakeDetector>();
        FakeDetector* fake = detector.get();
        auto app = std::make_unique<CSkeinApp>();
        app->setBackend(std::make_unique<sim::SimulatedLogger>(), std::move(detector));
        setLoggerModel(kModelAirSpeed);
        QVERIFY(app->initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        QCOMPARE(loggerModel(), kModelVoltage); // the scan at start
        QVERIFY(fake->callback);
        setLoggerModel(kModelCurrent); // as after opening a 711 file
        std::thread arrival(fake->callback);
        arrival.join();
        QCOMPARE(loggerModel(), kModelCurrent); // not yet: it is posted to the GUI thread
        QTRY_COMPARE(loggerModel(), kModelVoltage);
    }
};

QUILLMARK_GUI_TEST_MAIN(AppDialogsTest)
#include "app_dialogs_test.moc"
