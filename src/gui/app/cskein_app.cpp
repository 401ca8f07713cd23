#include "gui/app/cskein_app.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "core/app/command_ids.h"
#include "core/link/logger_detector.h"
#include "core/link/vendor_usb.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/analyze_commands.h"
#include "gui/app/app_resources.h"
#include "gui/app/cabout_dlg.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/cskein_doc.h"
#include "gui/app/report_export.h"
#include "gui/plot/cgraphics.h"
#include "gui/plot/compare_runs.h"
#include "gui/plot/cskein_view.h"

namespace quillmark {

CSkeinApp::CSkeinApp(QObject* parent) : QObject(parent) {}

CSkeinApp::~CSkeinApp() {
    // No arrival may be posted to a frame that is going away.
    if (detector_)
        detector_->stop();
}

void CSkeinApp::setBackend(std::unique_ptr<VendorUsb> usb,
                           std::unique_ptr<LoggerDetector> detector) {
    usb_ = std::move(usb);
    detector_ = std::move(detector);
}

void CSkeinApp::startDetection() {
    if (!detector_)
        return;
    // The scan at frame creation, then one scan per arrival, always on the GUI thread.
    deviceScan(*detector_);
    frame_->setDeviceScan([this] { deviceScan(*detector_); });
    QPointer<CMainFrame> frame(frame_.get());
    detector_->start([frame] {
        QMetaObject::invokeMethod(frame.data(), "onLoggerArrival", Qt::QueuedConnection);
    });
}

QSize fitWindowSize(QSize wanted, QSize available) {
    // Room for the window manager's title bar and borders.
    constexpr int kFrameWidth = 16;
    constexpr int kFrameHeight = 48;
    if (available.isEmpty())
        return wanted;
    return wanted.boundedTo(QSize(std::max(1, available.width() - kFrameWidth),
                                  std::max(1, available.height() - kFrameHeight)));
}

bool CSkeinApp::initInstance(const CommandLine& cmd) {
    initAppResources();
    recent_.load();
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);

    doc_ = new CSkeinDoc(this);
    frame_ = std::make_unique<CMainFrame>();
    view_ = new CSkeinView(doc_, frame_.get());
    frame_->setCentralWidget(view_);
    doc_->setView(view_);
    doc_->setWindow(frame_.get());
    doc_->setVendor(usb_.get());
    startDetection();
    // The first size, never larger than the screen's free area (at 2x a 1600x1000 screen has
    // room for 800x500 logical pixels); below the plot's minimum the view scrolls.
    frame_->resize(fitWindowSize(QSize(1000, 720), frame_->screen()->availableGeometry().size()));
    frame_->setRecentFiles(recent_.entries());
    registerCommands();
    frame_->attachMeasurements(view_->plotWindow());
    if (MeasurementsPanel* panel = frame_->measurementsPanel()) {
        const auto keepWhole = [this, panel] {
            const bool docked = !panel->isHidden() && !panel->isFloating();
            view_->setPlotKeptWhole(docked);
            // A screen without room for the whole plot beside the panel (a small screen at 2x)
            // gets the panel as a window of its own rather than a main window beyond it.
            const QSize room = frame_->screen()->availableGeometry().size();
            const QSize least = frame_->minimumSizeHint();
            if (docked && (least.width() > room.width() || least.height() > room.height())) {
                view_->setPlotKeptWhole(false);
                panel->setFloating(true);
            }
        };
        connect(panel, &QDockWidget::visibilityChanged, view_, keepWhole);
        connect(panel, &QDockWidget::topLevelChanged, view_, keepWhole);
        keepWhole();
    }

    connect(doc_, &CSkeinDoc::titleChanged, frame_.get(), &CMainFrame::setDocumentTitle);
    connect(doc_, &CSkeinDoc::pathAdopted, this, &CSkeinApp::addRecent);
    connect(frame_.get(), &CMainFrame::fileDropped, this, &CSkeinApp::openDocumentFile);
    {
        // The Runs list shows while runs are compared.
        CGraphics* plot = view_->plotWindow();
        auto* runs = new RunsPanel(*plot, frame_.get());
        frame_->addDockWidget(Qt::BottomDockWidgetArea, runs);
        runs->hide();
        connect(plot, &CGraphics::runsChanged, runs,
                [runs, plot] { runs->setVisible(!plot->view().runs().empty()); });
        connect(frame_.get(), &CMainFrame::filesDroppedForComparison, this,
                [this, plot](const QStringList& paths) {
                    if (plot->scene().sampleCount >= 1)
                        addComparedRuns(*plot, paths, frame_.get());
                });
    }
    connect(view_, &CSkeinView::commandIssued, frame_.get(), &CMainFrame::dispatchCommand);
    frame_->setShownSampleCount([this] { return view_->shownSampleCount(); });
    frame_->setSaveBeforeClose([this] {
        const CSkeinDoc::SaveOutcome outcome = doc_->onFileSave();
        return outcome == CSkeinDoc::SaveOutcome::Saved ||
               outcome == CSkeinDoc::SaveOutcome::NothingToSave;
    });

    const bool printJob =
        cmd.action == CommandLine::Action::Print || cmd.action == CommandLine::Action::PrintTo;
    if (printJob)
        doc_->setErrorSink([this](const QString& text) { startError_ = text; });
    if (!cmd.file.isEmpty()) {
        if (!openDocumentFile(cmd.file))
            return false;
    } else {
        onFileNew();
    }

    if (printJob) {
        // Lay the window out without showing it, so the page shows the View All window.
        frame_->setAttribute(Qt::WA_DontShowOnScreen);
        frame_->show();
        view_->initialUpdate();
        QPrinter printer(QPrinter::HighResolution);
        if (cmd.action == CommandLine::Action::PrintTo) {
            if (cmd.printer.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(cmd.printer);
            } else {
                printer.setPrinterName(cmd.printer);
            }
        }
        if (!printer.isValid() || !printDocument(printer)) {
            startError_ = cmd.printer.isEmpty()
                              ? QStringLiteral("cannot print: no printer is available")
                              : QStringLiteral("cannot print on \"%1\"").arg(cmd.printer);
            return false;
        }
        printedAndDone_ = true;
        frame_->hide();
        return true;
    }

    frame_->updateCommandUi();
    frame_->show();
    frame_->repaint();
    return true;
}

void CSkeinApp::registerCommands() {
    CMainFrame& f = *frame_;
    f.setCommandHandler(ID_FILE_NEW, [this] { onFileNew(); });
    f.setCommandHandler(ID_FILE_OPEN, [this] { onFileOpen(); });
    f.setCommandHandler(ID_FILE_SAVE, [this] { doc_->onFileSave(); });
    f.setCommandHandler(ID_FILE_SAVE_STANDARD, [this] { doc_->onFileSaveStandard(); });
    f.setCommandHandler(ID_EXPORT_EXCEL, [this] { doc_->onExportExcel(); });
    f.setCommandHandler(ID_EXPORT_REPORT, [this] {
        exportRunReport(*view_->plotWindow(), doc_->recording(), frame_.get(), doc_->path());
    });
    f.setCommandEnabled(ID_EXPORT_REPORT,
                        [this] { return view_->plotWindow()->scene().sampleCount >= 1; });
    f.setCommandHandler(ID_FILE_PRINT, [this] { onFilePrint(); });
    f.setCommandHandler(ID_FILE_PRINT_PREVIEW, [this] { onFilePrintPreview(); });
    f.setCommandHandler(ID_FILE_PRINT_SETUP, [this] { onFilePrintSetup(); });
    f.setCommandHandler(ID_APP_ABOUT, [this] { onAppAbout(); });
    f.setCommandHandler(ID_HELP_CONTENTS, [this] { onHelpContents(); });
    f.setCommandHandler(ID_DATA_DOWNLOAD, [this] { doc_->onDataDownload(); });
    f.setCommandHandler(ID_COLOR_SETTING, [this] { view_->onColorSetting(); });
    f.setCommandHandler(ID_LOGGER_SETTING, [this] { doc_->onLoggerSetting(); });
    f.setCommandEnabled(ID_DATA_DOWNLOAD, [this] { return doc_->hasLogger(); });
    f.setCommandEnabled(ID_LOGGER_SETTING, [this] { return doc_->hasLogger(); });
    for (int i = 0; i < RecentFileList::kMaxEntries; ++i) {
        f.setCommandHandler(ID_FILE_MRU_FILE1 + i, [this, i] {
            if (i < recent_.entries().size())
                openDocumentFile(recent_.entries()[i]);
        });
    }
    for (int id : {ID_VIEW_ALL, ID_MOVE_VIEW, ID_ZOOM_IN, ID_GRID_X, ID_GRID_Y, ID_MASK_POINTS,
                   ID_ALARM_LINE, ID_UNIT_0, ID_UNIT_1, ID_UNIT_2, ID_UNIT_3, ID_UNIT_4}) {
        f.setCommandHandler(id, [this, id] { view_->onCommand(id); });
    }
    f.setCommandHandler(ID_MEASURE, [this] {
        view_->onCommand(ID_MEASURE);
        frame_->showMeasurements();
    });
    for (int id : {ID_GRID_X, ID_GRID_Y, ID_MASK_POINTS, ID_ALARM_LINE, ID_UNIT_0, ID_UNIT_1,
                   ID_UNIT_2, ID_UNIT_3, ID_UNIT_4}) {
        f.setCommandCheck(id, [this, id] { return view_->isCommandChecked(id); });
    }
    registerAnalyzeCommands(f, *view_->plotWindow(), [this] { return doc_->path(); });
    registerCompareCommands(f, *view_->plotWindow());
}

void CSkeinApp::addRecent(const QString& path) {
    recent_.add(path);
    recent_.save();
    frame_->setRecentFiles(recent_.entries());
}

bool CSkeinApp::openDocumentFile(const QString& path) {
    // A download not saved yet exists nowhere else: ask before an opened file replaces it.
    const auto mayReplace = [this] { return !doc_->unsavedDownload() || frame_->askSaveData(); };
    if (!doc_->openDocument(path, mayReplace)) {
        // A refused or withdrawn open leaves the list alone; only a file that is gone leaves it.
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink() &&
            recent_.entries().contains(info.absoluteFilePath())) {
            recent_.remove(path);
            recent_.save();
            frame_->setRecentFiles(recent_.entries());
        }
        return false;
    }
    view_->initialUpdate();
    return true;
}

void CSkeinApp::onFileNew() {
    doc_->newDocument();
    view_->initialUpdate();
}

void CSkeinApp::onFileOpen() {
    const QString path = askOpenFileName(frame_.get());
    if (!path.isEmpty())
        openDocumentFile(path);
}

bool CSkeinApp::printDocument(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    view_->printPage(painter, printer);
    return painter.end();
}

void CSkeinApp::onFilePrint() {
    QPrintDialog dialog(printer_.get(), frame_.get());
    dialog.setObjectName(QStringLiteral("printDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printDocument(*printer_)) {
        QMessageBox::warning(frame_.get(), kApplicationTitle, tr("Failed to print the document."));
    }
}

void CSkeinApp::onFilePrintPreview() {
    QPrintPreviewDialog dialog(printer_.get(), frame_.get());
    dialog.setObjectName(QStringLiteral("printPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        QPainter painter(printer);
        view_->printPage(painter, *printer);
    });
    dialog.resize(900, 700);
    dialog.exec();
}

void CSkeinApp::onFilePrintSetup() {
    QPageSetupDialog dialog(printer_.get(), frame_.get());
    dialog.setObjectName(QStringLiteral("printSetup"));
    dialog.exec();
}

void CSkeinApp::onAppAbout() {
    CAboutDlg about(frame_.get());
    about.exec();
}

void CSkeinApp::onHelpContents() {
    const QString path = manualPath();
    const QUrl url = QUrl::fromLocalFile(path);
    if (!path.isEmpty() && QFileInfo::exists(path) &&
        (openUrl_ ? openUrl_(url) : QDesktopServices::openUrl(url)))
        return;
    // Without a browser the command would do nothing visible: say where the manual is.
    const QString where = path.isEmpty() ? installedManualPath() : path;
    QMessageBox box(QMessageBox::Warning, kApplicationTitle,
                    tr("The manual could not be opened. It is installed at:\n%1")
                        .arg(QDir::toNativeSeparators(where)),
                    QMessageBox::Ok, frame_.get());
    box.setObjectName(QStringLiteral("manualNotOpened"));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

} // namespace quillmark
