// Printing: the print switches of the command line (to a PDF file), the print preview and the
// page the view draws.
#include <QDesktopServices>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "app_test_support.h"
#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/cskein_app.h"
#include "gui/plot/cskein_view.h"
#include "image_dump.h"

using namespace quillmark;
using namespace quillmark::test_support;

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class AppPrintTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

private slots:
    void init() { forgetWatches(); }

    void printToAPdfFileFromTheCommandLine() {
        const QString data = writeRecording(dir_.filePath(QStringLiteral("p.smpq")),
                                            {1000, 5000, 3000, 2000}, kModelVoltage);
        const QString pdf = dir_.filePath(QStringLiteral("page.pdf"));
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine(
            {QStringLiteral("quillmark"), QStringLiteral("--print-to"), data, pdf})));
        QVERIFY(app.printedAndDone());
        QVERIFY(!app.mainFrame()->isVisible());
        const QByteArray bytes = readAll(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.size() > 1000);
    }

    void printSwitchWithAnUnreadableFileFailsWithoutAWindow_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("text file") << QByteArray("just some notes\n").repeated(20);
    }

    // A script must not hang on a modal box: the reason comes back as text naming the file.
    void printSwitchWithAnUnreadableFileFailsWithoutAWindow() {
        QFETCH(QByteArray, content);
        const QString data = dir_.filePath(QStringLiteral("in.smpq"));
        if (!content.isEmpty()) {
            QFile f(data);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        bool boxSeen = false;
        auto watch = whenModal<QMessageBox>([](QMessageBox* b) { b->accept(); }, &boxSeen, 300);
        CSkeinApp app;
        QVERIFY(!app.initInstance(
            parseCommandLine({QStringLiteral("quillmark"), QStringLiteral("--print-to"), data,
                              dir_.filePath(QStringLiteral("x.pdf"))})));
        QTRY_VERIFY(watch->over);
        QVERIFY(!boxSeen);
        QVERIFY2(app.startError().startsWith(QStringLiteral("Failed to open document.")),
                 qPrintable(app.startError()));
        QVERIFY(app.startError().contains(data));
        QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("x.pdf"))));
    }

    void printingOnAPrinterThatCannotStartSaysWhy() {
        const QString data =
            writeRecording(dir_.filePath(QStringLiteral("s.smpq")), {1, 2}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(!app.initInstance(
            parseCommandLine({QStringLiteral("quillmark"), QStringLiteral("--print-to"), data,
                              QStringLiteral("No Such Printer")})));
        QVERIFY(!app.printedAndDone());
        QCOMPARE(app.startError(), QStringLiteral("cannot print on \"No Such Printer\""));
    }

    void printAndPrintSetupOpenTheirDialogsAndCancelPrintsNothing() {
        const QString data =
            writeRecording(dir_.filePath(QStringLiteral("t.smpq")), {1, 2, 3}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), data})));
        const QString pdf = dir_.filePath(QStringLiteral("never.pdf"));
        app.printer().setOutputFormat(QPrinter::PdfFormat);
        app.printer().setOutputFileName(pdf);
        bool printSeen = false, setupSeen = false;
        whenModal<QPrintDialog>([](QPrintDialog* d) { d->reject(); }, &printSeen);
        app.mainFrame()->action(ID_FILE_PRINT)->trigger();
        QVERIFY(printSeen);
        QVERIFY(!QFileInfo::exists(pdf));
        whenModal<QPageSetupDialog>([](QPageSetupDialog* d) { d->reject(); }, &setupSeen);
        app.mainFrame()->action(ID_FILE_PRINT_SETUP)->trigger();
        QVERIFY(setupSeen);
    }

    void helpOpensTheManualWithTheDesktopHandler() {
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        app.mainFrame()->action(ID_HELP_CONTENTS)->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), qsizetype(1));
        QVERIFY(catcher.urls[0].isLocalFile());
        QVERIFY(catcher.urls[0].toLocalFile().endsWith(QLatin1String("/manual/index.html")));
        QVERIFY(QFileInfo::exists(catcher.urls[0].toLocalFile()));
    }

    void helpThatCannotOpenSaysWhereTheManualIs() {
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
        QUrl asked;
        app.setUrlOpener([&asked](const QUrl& url) {
            asked = url;
            return false; // no browser
        });
        auto box = answerNextBox(QMessageBox::Ok);
        app.mainFrame()->action(ID_HELP_CONTENTS)->trigger();
        QTRY_VERIFY(box->watch->over);
        QVERIFY(box->shown);
        QVERIFY(asked.isLocalFile());
        QVERIFY(box->text.contains(QLatin1String("could not be opened")));
        QVERIFY(box->text.contains(asked.toLocalFile()));
    }

    void printedPageShowsThePlotInTheUpperHalf() {
        const QString data = writeRecording(dir_.filePath(QStringLiteral("q.smpq")),
                                            {1000, 25000, 3000, 2000, 12000}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), data})));
        QImage page;
        {
            QPrinter printer(QPrinter::ScreenResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir_.filePath(QStringLiteral("unused.pdf")));
            // Draw the printer's page into an image of the same page size.
            const QRect r = printer.pageRect(QPrinter::DevicePixel).toRect();
            QVERIFY(r.width() > 0);
            page = QImage(r.size(), QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter onPage(&page);
            QCOMPARE(app.view()->printing, 0);
            app.view()->printPage(onPage, printer);
            QCOMPARE(app.view()->printing, 0); // only set while the page is drawn
        }
        dumpImage(page);
        // The curve colour is drawn in the upper half only; the lower half stays white.
        int upper = 0, lower = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.pixelColor(x, y) != QColor(Qt::white))
                    (y < page.height() / 2 ? upper : lower)++;
        QVERIFY(upper > 500);
        QCOMPARE(lower, 0);
    }

    void printPreviewOpensWithThePage() {
        const QString data = writeRecording(dir_.filePath(QStringLiteral("r.smpq")),
                                            {1000, 2000, 3000}, kModelVoltage);
        CSkeinApp app;
        QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark"), data})));
        bool seen = false;
        int pages = -1;
        whenModal<QPrintPreviewDialog>(
            [&](QPrintPreviewDialog* dlg) {
                if (auto* w = dlg->findChild<QPrintPreviewWidget*>()) {
                    QTRY_VERIFY(w->pageCount() > 0);
                    pages = w->pageCount();
                }
                screenshot(dlg, QStringLiteral("print-preview"));
                dumpImage(dlg->grab().toImage());
                dlg->reject();
            },
            &seen);
        app.mainFrame()->action(ID_FILE_PRINT_PREVIEW)->trigger();
        QVERIFY(seen);
        QCOMPARE(pages, 1);
    }
};

QUILLMARK_GUI_TEST_MAIN(AppPrintTest)
#include "app_print_test.moc"
