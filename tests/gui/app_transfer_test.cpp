// Logger exchanges seen from the windows: they never overlap, a dialog takes no input while
// its exchange runs (but Cancel, which stops a download), and closing a dialog or the main
// window meanwhile is safe and loses nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app_test_support.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "core/settings/ini_store.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/cskein_app.h"
#include "gui/app/cskein_doc.h"
#include "gui/link/cdlg_download.h"
#include "gui/plot/cskein_view.h"
#include "gui/settings/cdlg_setting.h"
#include "sim/sim_detector.h"
#include "sim/simulated_logger.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {

// The simulated logger behind a gate: every read and write waits while the test holds it, and
// after release(true) the logger is gone as if unplugged. cancel() ends a waiting transfer,
// and every later one until the next open, as the real backends do. It notes when a second handle
// is opened while one is still open, which two overlapping exchanges would do.
class GatedLogger : public VendorUsb {
public:
    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override {
        if (holders_.fetch_add(1) > 0)
            overlapped_ = true;
        ++opens_;
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = false;
        }
        const Status s = gone() ? kDeviceNotFound : sim_.openDevice(deviceIndex, handle);
        if (s != kSuccess)
            --holders_;
        return s;
    }
    Status closeDevice(Handle handle) override {
        const Status s = sim_.closeDevice(handle);
        if (s == kSuccess)
            --holders_;
        return s;
    }
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override {
        returned = 0;
        const Status gate = passGate();
        return gate == kSuccess ? sim_.read(handle, buffer, count, returned) : gate;
    }
    Status write(Handle handle, const std::uint8_t* buffer, std::uint32_t count,
                 std::uint32_t& written) override {
        written = 0;
        const Status gate = passGate();
        return gate == kSuccess ? sim_.write(handle, buffer, count, written) : gate;
    }
    Status setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        return sim_.setTimeouts(readMs, writeMs);
    }
    Status getTimeouts(std::uint32_t& readMs, std::uint32_t& writeMs) override {
        return sim_.getTimeouts(readMs, writeMs);
    }
    void cancel() override {
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
    }

    void hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release(bool unplug = false) {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
            gone_ = unplug;
        }
        changed_.notify_all();
    }
    bool waiting() {
        const std::lock_guard lock(mutex_);
        return waiting_ > 0;
    }
    bool overlapped() const { return overlapped_; }
    int opens() const { return opens_; }
    int holders() const { return holders_; }

private:
    bool gone() {
        const std::lock_guard lock(mutex_);
        return gone_;
    }
    Status passGate() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.wait(lock, [this] { return !held_ || cancelled_; });
        --waiting_;
        return cancelled_ ? kCancelled : gone_ ? kDeviceNotFound : kSuccess;
    }

    sim::SimulatedLogger sim_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool gone_ = false;
    bool cancelled_ = false;
    int waiting_ = 0;
    std::atomic<int> holders_{0};
    std::atomic<int> opens_{0};
    std::atomic<bool> overlapped_{false};
};

// Two loggers on the bus with the simulator behind both; it notes which one each open reached
// and can make every read stall. Its header claims more samples than it holds.
class TwoLoggers : public sim::SimulatedLogger {
public:
    TwoLoggers()
        : sim::SimulatedLogger([] {
              sim::SimOptions options;
              options.badRecordedPoints = 99999;
              return options;
          }()) {}

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override {
        const std::lock_guard lock(mutex_);
        handle = kInvalidHandle;
        if (deviceIndex >= present_.size())
            return kDeviceNotFound;
        opened_ << QString::fromStdString(present_[deviceIndex].location);
        return sim::SimulatedLogger::openDevice(0, handle);
    }
    Status read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                std::uint32_t& returned) override {
        returned = 0;
        return stall_ ? kPipeStalled : sim::SimulatedLogger::read(handle, buffer, count, returned);
    }
    bool listDevices(std::vector<Device>& out) override {
        const std::lock_guard lock(mutex_);
        out = present_;
        return true;
    }

    void plug(std::vector<Device> present) {
        const std::lock_guard lock(mutex_);
        present_ = std::move(present);
    }
    QStringList opened() {
        const std::lock_guard lock(mutex_);
        return opened_;
    }
    std::atomic<bool> stall_{false};

private:
    std::mutex mutex_;
    std::vector<Device> present_{{"1:1", ""}, {"1:2", "B"}};
    QStringList opened_;
};

struct GatedApp {
    std::unique_ptr<CSkeinApp> app;
    GatedLogger* logger = nullptr; // owned by the app
};

GatedApp gatedApp() {
    GatedApp g;
    auto logger = std::make_unique<GatedLogger>();
    g.logger = logger.get();
    g.app = std::make_unique<CSkeinApp>();
    g.app->setBackend(std::move(logger), std::make_unique<sim::SimDetector>());
    if (!g.app->initInstance(parseCommandLine({QStringLiteral("quillmark")})))
        g.app.reset();
    return g;
}

template <typename T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// Every way a user could end a dialog: Cancel, Escape and the window's close button.
bool dialogStaysOnEveryCloseAttempt(QDialog* dlg, QPushButton* cancel) {
    cancel->click();
    QTest::keyClick(dlg, Qt::Key_Escape);
    const bool closed = dlg->close();
    return !closed && dlg->isVisible();
}

} // namespace

class AppTransferTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        startTest();
        QFile::remove(QString::fromStdString(settingsIniPath()));
    }

    void downloadIsAloneAndClosingMeanwhileStopsItCleanly() {
        GatedApp g = gatedApp();
        QVERIFY(g.app);
        CMainFrame* frame = g.app->mainFrame();
        bool seen = false, dialogStayed = false, frameStayed = false, stoppedWhileHeld = false,
             stoppedAgain = false, downloadAgain = true;
        int holdersAfterStop = -1, shownAfterStop = -1;
        QString caption;
        whenModal<CDlgDownload>(
            [&](CDlgDownload* dlg) {
                QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
                g.logger->hold();
                const auto reopen = qScopeGuard([&] { g.logger->release(); }); // on failure too
                dlg->downloadButton()->click();
                QTRY_VERIFY(g.logger->waiting()); // the download is inside a transfer
                // The probe comes due again (as it would when started late): it waits.
                QMetaObject::invokeMethod(dlg, "onProbeTimer");
                frameStayed = !frame->close() && frame->isVisible();
                // Cancel (and Escape, and the close button) stop the download: the transfer
                // that waits for a silent logger ends at once, the dialog stays.
                dialogStayed = dialogStaysOnEveryCloseAttempt(dlg, dlg->cancelButton());
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->busy(), 5000);
                stoppedWhileHeld = !g.logger->waiting();
                holdersAfterStop = g.logger->holders();
                shownAfterStop = g.app->document()->recording().sampleCount;
                stoppedAgain = dlg->downloadButton()->isEnabled();
                g.logger->release();
                dlg->downloadButton()->click();
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->busy(), 10000);
                caption = dlg->windowTitle();
                downloadAgain = dlg->downloadButton()->isEnabled();
                dlg->viewButton()->click();
            },
            &seen, 10000);
        frame->action(ID_DATA_DOWNLOAD)->trigger();
        QVERIFY(seen);
        QVERIFY(dialogStayed);
        QVERIFY(frameStayed);
        QVERIFY(stoppedWhileHeld);
        QCOMPARE(holdersAfterStop, 0); // the stopped download closed its link
        QCOMPARE(shownAfterStop, 0);
        QVERIFY(stoppedAgain); // a stopped download may be tried again
        QVERIFY(!g.logger->overlapped());
        QCOMPARE(g.logger->opens(), 4); // probe, download, the late probe, the second download
        QCOMPARE(g.logger->holders(), 0);
        QCOMPARE(caption, QStringLiteral("Connected"));
        QVERIFY(!downloadAgain); // one download per opening
        const int n = g.app->document()->recording().sampleCount;
        QVERIFY(n > 0);
        QCOMPARE(g.app->view()->shownSampleCount(), n);
        // With the transfer over, closing asks before the recording could be lost.
        auto question = answerNextBox(QMessageBox::No);
        QVERIFY(frame->close());
        QVERIFY(question->shown);
        QCOMPARE(question->text, QStringLiteral("Save Data?"));
    }

    void settingsDialogTakesNoInputWhileUploading_data() {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("acknowledged") << false;
        QTest::newRow("unplugged") << true;
    }
    void settingsDialogTakesNoInputWhileUploading() {
        QFETCH(bool, unplug);
        GatedApp g = gatedApp();
        QVERIFY(g.app);
        CMainFrame* frame = g.app->mainFrame();
        bool seen = false, dialogStayed = false, frameStayed = false, failureBox = false;
        QStringList live;
        LoggerSettings before, during;
        QString lowDuring, lowAfter, status, caption;
        std::shared_ptr<BoxSeen> box;
        whenModal<CDlgSetting>(
            [&](CDlgSetting* dlg) {
                auto* points = child<QComboBox>(dlg, "samplePoints");
                auto* low = child<QLineEdit>(dlg, "lowAlarm");
                child<QPushButton>(dlg, "buttonDefault")->click();
                points->setCurrentIndex(5);
                emit points->activated(5);
                // Setup before the probe: the probe comes due while the upload runs.
                g.logger->hold();
                child<QPushButton>(dlg, "buttonSetup")->click();
                QTRY_VERIFY(g.logger->waiting());
                before = dlg->rules().settings();
                for (QWidget* w : dlg->findChildren<QWidget*>()) {
                    const bool input =
                        qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                        (qobject_cast<QLineEdit*>(w) && !static_cast<QLineEdit*>(w)->isReadOnly());
                    if (input && w->isVisibleTo(dlg) && w->isEnabled())
                        live << w->objectName();
                }
                child<QPushButton>(dlg, "buttonDefault")->click();
                QTest::mouseClick(child<QRadioButton>(dlg, "modeManual"), Qt::LeftButton);
                QTest::mouseClick(child<QCheckBox>(dlg, "alarmFlash"), Qt::LeftButton);
                QTest::keyClicks(low, QStringLiteral("7"));
                lowDuring = low->text();
                during = dlg->rules().settings();
                dialogStayed =
                    dialogStaysOnEveryCloseAttempt(dlg, child<QPushButton>(dlg, "buttonCancel"));
                frameStayed = !frame->close() && frame->isVisible();
                QTimer* probe = nullptr;
                for (QTimer* t : dlg->findChildren<QTimer*>())
                    if (t->isSingleShot())
                        probe = t;
                QVERIFY(probe);
                QTRY_VERIFY_WITH_TIMEOUT(!probe->isActive(), 4000);
                box = answerNextBox(QMessageBox::Ok, 10000);
                g.logger->release(unplug);
                if (!unplug)
                    return; // success closes the dialog after the start-mode message
                QTRY_VERIFY_WITH_TIMEOUT(box->shown, 10000);
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->busy(), 10000);
                failureBox = box->text == QStringLiteral("Failed writing data to the datalogger.");
                lowAfter = low->text();
                status = child<QLabel>(dlg, "statusLine")->text();
                caption = dlg->windowTitle();
                dlg->reject();
            },
            &seen, 5000);
        frame->action(ID_LOGGER_SETTING)->trigger();
        QVERIFY(seen);
        QVERIFY2(live.isEmpty(), qPrintable(live.join(QLatin1Char(' '))));
        QVERIFY(during == before);
        QCOMPARE(lowDuring, QStringLiteral("0"));
        QVERIFY(dialogStayed);
        QVERIFY(frameStayed);
        QVERIFY(!g.logger->overlapped());
        QCOMPARE(g.logger->holders(), 0);
        IniStore ini;
        QVERIFY(ini.load(settingsIniPath()));
        if (unplug) {
            QVERIFY(failureBox);
            QCOMPARE(status, QStringLiteral("Failed writing data to the datalogger."));
            QCOMPARE(lowAfter, QStringLiteral("0"));
            QCOMPARE(caption, QStringLiteral("Not Connected")); // the probe ran after the upload
            QVERIFY(!ini.hasKey("K52R_DATASET", "SAMPLEPOINTS"));
        } else {
            QVERIFY(box->shown);
            QCOMPARE(box->text, QStringLiteral("Datalogger is running..."));
            QCOMPARE(ini.getInt("K52R_DATASET", "SAMPLEPOINTS", -1), 5); // as set before Setup
        }
    }

    void severalLoggersAreAskedForOnceAndRememberedWhilePlugged() {
        auto owned = std::make_unique<TwoLoggers>();
        TwoLoggers* two = owned.get();
        CSkeinApp app;
        app.setBackend(std::move(owned), std::make_unique<sim::SimDetector>());
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        CMainFrame* frame = app.mainFrame();
        const auto connectedThen = [](QDialog* dlg) {
            QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
        };

        // Asked in a list; the download dialog then talks to the chosen one only.
        QStringList offered;
        auto question = whenModal<QInputDialog>([&](QInputDialog* d) {
            offered = d->comboBoxItems();
            d->setTextValue(offered.value(1));
            d->accept();
        });
        bool downloaded = false;
        QString result;
        whenModal<CDlgDownload>(
            [&](CDlgDownload* dlg) {
                connectedThen(dlg);
                dlg->downloadButton()->click();
                QTRY_VERIFY_WITH_TIMEOUT(!dlg->busy(), 10000);
                result = dlg->messageLabel()->text();
                QLabel* line = dlg->messageLabel();
                QTRY_VERIFY(line->height() >= line->heightForWidth(line->width())); // not clipped
                dlg->viewButton()->click();
            },
            &downloaded, 10000);
        frame->action(ID_DATA_DOWNLOAD)->trigger();
        QVERIFY(question->seen);
        QCOMPARE(offered, (QStringList{QStringLiteral("1:1"), QStringLiteral("1:2, serial B")}));
        QVERIFY(downloaded);
        // The count beyond the stored samples is cut, and the result line says so.
        QCOMPARE(app.document()->recording().sampleCount, 600);
        QCOMPARE(result, QStringLiteral("600 points finished! Press View to show graph, or Cancel "
                                        "to exit.\nThe logger reported 99999 points but holds "
                                        "only 600; the recording keeps those 600."));

        // Logger Setting: remembered, not asked again.
        question = whenModal<QInputDialog>([](QInputDialog* d) { d->reject(); }, nullptr, 300);
        bool setting = false;
        whenModal<CDlgSetting>(
            [&](CDlgSetting* dlg) {
                connectedThen(dlg);
                dlg->reject();
            },
            &setting, 5000);
        frame->action(ID_LOGGER_SETTING)->trigger();
        QVERIFY(setting);
        QTRY_VERIFY(question->over);
        QVERIFY(!question->seen);
        QCOMPARE(two->opened(), QStringList(3, QStringLiteral("1:2"))); // two probes, a download

        // A failure's box keeps its fixed text and shows what failed as its details.
        two->stall_ = true;
        QString text, details;
        whenModal<CDlgDownload>([&](CDlgDownload* dlg) {
            connectedThen(dlg);
            whenModal<QMessageBox>(
                [&](QMessageBox* box) {
                    text = box->text();
                    details = box->detailedText();
                    box->accept();
                },
                nullptr, 10000);
            dlg->downloadButton()->click();
            QTRY_VERIFY_WITH_TIMEOUT(!details.isEmpty(), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!dlg->busy(), 10000);
            dlg->reject();
        });
        frame->action(ID_DATA_DOWNLOAD)->trigger();
        QCOMPARE(text, QStringLiteral("Failed reading data from the datalogger."));
        QCOMPARE(details,
                 QStringLiteral("reading the reply to the header request: endpoint stalled"));

        // Once the chosen logger is unplugged the choice is gone: asked again.
        two->plug({{"1:1", ""}, {"1:3", ""}});
        question = whenModal<QInputDialog>([&](QInputDialog* d) {
            offered = d->comboBoxItems();
            d->reject();
        });
        const int opens = static_cast<int>(two->opened().size());
        frame->action(ID_DATA_DOWNLOAD)->trigger();
        QVERIFY(question->seen);
        QCOMPARE(offered, (QStringList{QStringLiteral("1:1"), QStringLiteral("1:3")}));
        QCOMPARE(two->opened().size(), opens);     // cancelled: no dialog, nothing opened
        app.document()->recording() = Recording{}; // nothing to save at exit
    }

    void destroyingADialogMidTransferWaitsForTheWorker() {
        // As when the application is told to quit while a download runs.
        GatedLogger logger;
        Recording recording = makeRecording({1, 2, 3});
        const Recording before = recording;
        auto dlg = std::make_unique<CDlgDownload>(recording, logger, nullptr);
        dlg->show();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->windowTitle(), QStringLiteral("Connected"), 4000);
        logger.hold();
        dlg->downloadButton()->click();
        QTRY_VERIFY(logger.waiting());
        std::thread releaser([&logger] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            logger.release();
        });
        dlg.reset();
        releaser.join();
        QCOMPARE(logger.holders(), 0); // the link was closed before the dialog went
        QCOMPARE(recording.samples, before.samples);
        QCOMPARE(recording.header, before.header);
    }
};

QUILLMARK_GUI_TEST_MAIN(AppTransferTest)
#include "app_transfer_test.moc"
