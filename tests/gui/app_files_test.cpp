// File commands and the close sequence, driven through the real windows and file dialogs.
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app_test_support.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/cskein_app.h"
#include "gui/app/cskein_doc.h"
#include "gui/app/file_folders.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/cskein_view.h"

using namespace quillmark;
using namespace quillmark::test_support;

namespace {
CommandLine noArguments() {
    return parseCommandLine({QStringLiteral("quillmark")});
}
} // namespace

class AppFilesTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString file(const QString& name) const { return dir_->filePath(name); }

    // An application showing a recording of `raw` samples (opened from a file).
    std::unique_ptr<CSkeinApp> appWithSamples(const std::vector<std::uint16_t>& raw) {
        const QString src = writeRecording(file(QStringLiteral("source.smpq")), raw, kModelVoltage);
        auto app = std::make_unique<CSkeinApp>();
        if (!app->initInstance(parseCommandLine({QStringLiteral("quillmark"), src})))
            return nullptr;
        QFile::remove(src);
        return app;
    }

    QStringList filesInDir() const {
        return QDir(dir_->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private slots:
    void init() {
        forgetWatches();
        dir_ = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(dir_->path());
        setLoggerModel(kModelVoltage);
    }

    void closingWithoutSamplesAsksNothing() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        auto box = answerNextBox(QMessageBox::No, 400);
        QVERIFY(app.mainFrame()->close());
        QTRY_VERIFY(box->watch->over);
        QVERIFY(!box->shown);
        QVERIFY(!app.mainFrame()->isVisible());
    }

    void closingWithSamplesAnsweredNoClosesWithoutSaving() {
        auto app = appWithSamples({1000, 2000, 3000});
        QVERIFY(app);
        auto box = answerNextBox(QMessageBox::No);
        QVERIFY(app->mainFrame()->close());
        QVERIFY(box->shown);
        QCOMPARE(box->text, QStringLiteral("Save Data?"));
        QCOMPARE(box->title, QStringLiteral("Tip"));
        QCOMPARE(box->buttons.size(), qsizetype(2));
        QVERIFY(box->buttons.contains(QMessageBox::Yes));
        QVERIFY(box->buttons.contains(QMessageBox::No));
        QVERIFY(!app->mainFrame()->isVisible());
        QVERIFY(filesInDir().isEmpty());
    }

    void closingWithdrawnByEscapeOrCloseButtonKeepsTheWindow_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("title bar close") << false;
    }
    void closingWithdrawnByEscapeOrCloseButtonKeepsTheWindow() {
        QFETCH(bool, escape);
        auto app = appWithSamples({1000, 2000, 3000});
        QVERIFY(app);
        const QStringList before = filesInDir();
        auto watch = whenModal<QMessageBox>([escape](QMessageBox* box) {
            if (escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->close();
        });
        QVERIFY(!app->mainFrame()->close());
        QVERIFY(watch->seen);
        QVERIFY(app->mainFrame()->isVisible());
        QCOMPARE(app->view()->shownSampleCount(), 3);
        QCOMPARE(filesInDir(), before);
    }

    void closingWithSamplesAnsweredYesSavesBothFilesThenCloses() {
        auto app = appWithSamples({1000, 2000, 3000});
        QVERIFY(app);
        auto box = answerNextBox(QMessageBox::Yes);
        std::shared_ptr<FileDialogSeen> dialog;
        QTimer::singleShot(
            0, [&] { dialog = answerNextFileDialog(file(QStringLiteral("kept.txt"))); });
        QVERIFY(app->mainFrame()->close());
        QVERIFY(box->shown);
        QVERIFY(dialog && dialog->shown);
        QVERIFY(!app->mainFrame()->isVisible());
        QCOMPARE(QFileInfo(file(QStringLiteral("kept.smpq"))).size(), 92 + 2 * 3);
        QVERIFY(readAll(file(QStringLiteral("kept.txt"))).startsWith("TXT Data File\r\n"));
    }

    void closingStaysOpenWhenTheSaveIsCancelledOrFails() {
        auto app = appWithSamples({1000, 2000, 3000});
        QVERIFY(app);
        // Cancelled file dialog: the recording would be lost, so the window stays.
        auto box = answerNextBox(QMessageBox::Yes);
        std::shared_ptr<FileDialogSeen> dialog;
        QTimer::singleShot(0, [&] { dialog = answerNextFileDialog(QString()); });
        QVERIFY(!app->mainFrame()->close());
        QVERIFY(box->shown && dialog && dialog->shown);
        QVERIFY(app->mainFrame()->isVisible());

        // A save that cannot write: the chosen folder vanishes once the name is chosen.
        QVERIFY(QDir().mkpath(file(QStringLiteral("gone"))));
        auto again = answerNextBox(QMessageBox::Yes);
        std::shared_ptr<BoxSeen> failure;
        QTimer::singleShot(0, [&] {
            answerNextFileDialog(file(QStringLiteral("gone/blocked.txt")), [&] {
                QDir(file(QStringLiteral("gone"))).removeRecursively();
                failure = answerNextBox(QMessageBox::Ok);
            });
        });
        QVERIFY(!app->mainFrame()->close());
        QVERIFY(again->shown);
        QTRY_VERIFY(failure && failure->shown);
        QCOMPARE(failure->text, QStringLiteral("Failed to save document."));
        QCOMPARE(failure->title, QStringLiteral("Quillmark"));
        QVERIFY(app->mainFrame()->isVisible());
    }

    void documentSaveWritesRecordingAndTextFiles() {
        auto app = appWithSamples({1234, 2000, 31001, 500});
        QVERIFY(app);
        auto dialog = answerNextFileDialog(file(QStringLiteral("run.txt")));
        app->mainFrame()->action(ID_FILE_SAVE)->trigger();
        QVERIFY(dialog->shown);
        QCOMPARE(dialog->defaultSuffix, QStringLiteral("txt"));
        // The suggested name is "year-month-day hour-minute" of now.
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d{1,2}-\\d{1,2} \\d{1,2}-\\d{1,2}"))
                     .match(dialog->suggested)
                     .hasMatch(),
                 qPrintable(dialog->suggested));
        const QByteArray bin = readAll(file(QStringLiteral("run.smpq")));
        QCOMPARE(bin.size(), 92 + 2 * 4);
        QCOMPARE(bin.left(4), QByteArray("\x04\x00\x00\x00", 4));
        const QByteArray txt = readAll(file(QStringLiteral("run.txt")));
        QVERIFY(txt.startsWith("TXT Data File\r\nStartTime: "));
        QVERIFY(txt.contains("\r\n1, 1.23, V, "));
        QVERIFY(txt.contains("\r\n3, OL, V, "));
        // The document Save neither renames the document nor adds to the recent list.
        QCOMPARE(app->mainFrame()->windowTitle(), QStringLiteral("source.smpq - Quillmark"));
    }

    void documentSaveAndExportDoNothingWithoutSamples() {
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        auto dialog = whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); }, nullptr, 300);
        app.mainFrame()->action(ID_FILE_SAVE)->trigger();
        app.mainFrame()->action(ID_EXPORT_EXCEL)->trigger();
        QTRY_VERIFY(dialog->over);
        QVERIFY(!dialog->seen);
        QVERIFY(filesInDir().isEmpty());
    }

    void standardSaveAsksOnceThenRewritesInPlace() {
        auto app = appWithSamples({10, 20, 30});
        QVERIFY(app);
        // Opened from a file that is gone now: the plain save asks for a name.
        auto dialog = answerNextFileDialog(file(QStringLiteral("plain")));
        app->mainFrame()->action(ID_FILE_SAVE_STANDARD)->trigger();
        QVERIFY(dialog->shown);
        QCOMPARE(dialog->filters, QStringList{QStringLiteral("Logger Files (*.smpq)")});
        const QString saved = file(QStringLiteral("plain.smpq"));
        QCOMPARE(QFileInfo(saved).size(), 92 + 2 * 3);
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("plain.txt"))));
        QCOMPARE(app->mainFrame()->windowTitle(), QStringLiteral("plain.smpq - Quillmark"));
        QCOMPARE(app->recentFiles().entries().value(0), saved);

        // Now it has a path: the next plain save rewrites it without a dialog.
        app->mainFrame()->dispatchCommand(ID_UNIT_3);
        auto asked = whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); }, nullptr, 300);
        app->mainFrame()->action(ID_FILE_SAVE_STANDARD)->trigger();
        QTRY_VERIFY(asked->over);
        QVERIFY(!asked->seen);
        const QByteArray bin = readAll(saved);
        QCOMPARE(bin.mid(20, 4), QByteArray("\x03\x00\x00\x00", 4)); // the unit chosen since
    }

    void exportWritesTheSpreadsheetInTheChosenUnit() {
        auto app = appWithSamples({5000, 6000});
        QVERIFY(app);
        app->mainFrame()->dispatchCommand(ID_UNIT_2); // knots
        auto dialog = answerNextFileDialog(file(QStringLiteral("sheet.xls")));
        app->mainFrame()->action(ID_EXPORT_EXCEL)->trigger();
        QVERIFY(dialog->shown);
        QCOMPARE(dialog->defaultSuffix, QStringLiteral("xls"));
        QCOMPARE(dialog->filters, QStringList{QStringLiteral("Data File(*.xls)")});
        QVERIFY(dialog->suggested.endsWith(QLatin1String(".xls")));
        const QByteArray xls = readAll(file(QStringLiteral("sheet.xls")));
        QVERIFY(xls.startsWith("StartTime\t"));
        QVERIFY(xls.contains("ID\tValue\tUnit\tDateTime\t\r\n0\t9.72\tknots\t"));
    }

    void exportReportWritesThePdfOfTheSelection() {
        auto app = appWithSamples({5000, 6000, 7000, 8000, 9000, 4000});
        QVERIFY(app);
        CMainFrame* f = app->mainFrame();
        // File menu: right after Export to Excel, on Ctrl+R, which nothing else takes.
        const QList<QAction*> items = f->findChild<QMenu*>(QStringLiteral("menuFile"))->actions();
        const qsizetype at = items.indexOf(f->action(ID_EXPORT_REPORT));
        QVERIFY(at > 0);
        QCOMPARE(items[at - 1], f->action(ID_EXPORT_EXCEL));
        QCOMPARE(f->action(ID_EXPORT_REPORT)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        for (QAction* a : f->findChildren<QAction*>())
            QVERIFY(a == f->action(ID_EXPORT_REPORT) ||
                    !a->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_R)));

        CGraphics* plot = app->view()->plotWindow();
        plot->setSelection(SampleSelection{1, 3});
        const QString pdf = file(QStringLiteral("run.pdf"));
        auto dialog = answerNextFileDialog(pdf);
        f->action(ID_EXPORT_REPORT)->trigger();
        QVERIFY(dialog->shown);
        QCOMPARE(dialog->defaultSuffix, QStringLiteral("pdf"));
        QVERIFY(readAll(pdf).startsWith("%PDF-"));
        QCOMPARE(rememberedFolder(FileKind::Reports), dir_->path());
        // The text layer names the selected range.
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
        if (!text.waitForFinished(30000) || text.exitCode() != 0)
            QSKIP("pdftotext (poppler-utils) is needed to read the report back");
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("Range: 1 .. 3 (3 samples)")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("Max: 8.0000 V at sample 3")));
    }

    void exportThatCannotWriteSaysSo() {
        auto app = appWithSamples({5000, 6000});
        QVERIFY(app);
        QVERIFY(QDir().mkpath(file(QStringLiteral("gone"))));
        std::shared_ptr<BoxSeen> failure;
        auto dialog = answerNextFileDialog(file(QStringLiteral("gone/sheet.xls")), [&] {
            QDir(file(QStringLiteral("gone"))).removeRecursively();
            failure = answerNextBox(QMessageBox::Ok);
        });
        app->mainFrame()->action(ID_EXPORT_EXCEL)->trigger();
        QVERIFY(dialog->shown);
        QTRY_VERIFY(failure && failure->shown);
        QCOMPARE(failure->text, QStringLiteral("Failed to save document."));
    }

    void openThroughTheFileDialog() {
        const QString path =
            writeRecording(file(QStringLiteral("pick.smpq")), {1, 2, 3, 4, 5, 6}, kModelCurrent);
        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        auto dialog = answerNextFileDialog(path);
        app.mainFrame()->action(ID_FILE_OPEN)->trigger();
        QVERIFY(dialog->shown);
        QVERIFY(dialog->filters.contains(QStringLiteral("Logger Files (*.smpq)")));
        QCOMPARE(app.document()->recording().sampleCount, 6);
        QCOMPARE(app.view()->shownSampleCount(), 6);
        QCOMPARE(loggerModel(), kModelCurrent);
        QCOMPARE(app.mainFrame()->windowTitle(), QStringLiteral("pick.smpq - Quillmark"));
    }

    void fileDialogsReachNamesThatAreNotUtf8() {
        // A native file dialog hands byte 0xff back as U+FFFD (QUrl::toLocalFile); the
        // chosen name must still reach the file on disk.
        const QByteArray folder = QFile::encodeName(dir_->path()) + "/in\xff";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        const QByteArray source = folder + "/rec\xff.smpq";
        QVERIFY(writeRecordingFile(source.toStdString(), makeRecording({1, 2, 3, 4, 5}), 710));
        const QString listedFolder = QFile::decodeName(folder);
        QVERIFY(listedFolder.contains(QChar::ReplacementCharacter));
        const QString listed = QFile::decodeName(source);

        CSkeinApp app;
        QVERIFY(app.initInstance(noArguments()));
        auto failure = answerNextBox(QMessageBox::Ok, 1000);
        auto open = answerNextFileDialog(listed);
        app.mainFrame()->action(ID_FILE_OPEN)->trigger();
        QVERIFY(open->shown);
        QVERIFY(!failure->shown);
        QCOMPARE(app.document()->recording().sampleCount, 5);

        auto save = answerNextFileDialog(listedFolder + QStringLiteral("/kept.txt"));
        QCOMPARE(app.document()->onFileSave(), CSkeinDoc::SaveOutcome::Saved);
        QCOMPARE(::access((folder + "/kept.smpq").constData(), F_OK), 0);
        QCOMPARE(::access((folder + "/kept.txt").constData(), F_OK), 0);
        // QTemporaryDir cannot name these files to remove them.
        for (const char* name : {"/kept.smpq", "/kept.txt", "/rec\xff.smpq"})
            QCOMPARE(::unlink((folder + name).constData()), 0);
        QCOMPARE(::rmdir(folder.constData()), 0);
    }

    void failedOpenKeepsTheShownRecording() {
        auto app = appWithSamples({1, 2, 3});
        QVERIFY(app);
        QFile bad(file(QStringLiteral("bad.smpq")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray(10, '\x01'));
        bad.close();
        auto box = answerNextBox(QMessageBox::Ok);
        QVERIFY(!app->openDocumentFile(bad.fileName()));
        QVERIFY(box->shown);
        QCOMPARE(box->text, QStringLiteral("Failed to open document."));
        QCOMPARE(app->document()->recording().sampleCount, 3);
        QCOMPARE(app->mainFrame()->windowTitle(), QStringLiteral("source.smpq - Quillmark"));
    }

    void openingADirectoryOrFifoSaysWhy_data() {
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("reason");
        QTest::newRow("directory") << false << QStringLiteral("odd.smpq is a directory");
        QTest::newRow("FIFO") << true << QStringLiteral("odd.smpq is not a regular file (a FIFO)");
    }

    void openingADirectoryOrFifoSaysWhy() {
        QFETCH(bool, fifo);
        QFETCH(QString, reason);
        auto app = appWithSamples({1, 2, 3});
        QVERIFY(app);
        const QString path = file(QStringLiteral("odd.smpq"));
        const QByteArray name = QFile::encodeName(path);
        if (fifo)
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else
            QVERIFY(QDir().mkdir(path));
        // An open that waits for a writer would hang: after a while a writer comes and
        // goes, which frees such an open and proves it waited (a writer only gets in while
        // the FIFO is open for reading).
        std::atomic<bool> done{false};
        std::atomic<bool> readerWaited{false};
        std::thread writer([&done, &readerWaited, name, fifo] {
            for (int i = 0; i < 300 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!fifo || done)
                return;
            if (const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                readerWaited = true;
                ::close(fd);
            }
        });
        auto box = answerNextBox(QMessageBox::Ok);
        const bool opened = app->openDocumentFile(path);
        done = true;
        writer.join();
        QVERIFY(!readerWaited);
        QVERIFY(!opened);
        QVERIFY(box->shown);
        QCOMPARE(box->text, QStringLiteral("Failed to open document."));
        QVERIFY2(box->informative.contains(reason), qPrintable(box->informative));
        QCOMPARE(app->document()->recording().sampleCount, 3);
        QCOMPARE(app->view()->shownSampleCount(), 3);
        QCOMPARE(app->mainFrame()->windowTitle(), QStringLiteral("source.smpq - Quillmark"));
    }
};

QUILLMARK_GUI_TEST_MAIN(AppFilesTest)
#include "app_files_test.moc"
