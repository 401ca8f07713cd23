#include "gui/app/cmain_frame.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "core/app/command_ids.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/app_resources.h"
#include "gui/app/command_line.h"
#include "gui/link/transfer_runner.h"
#include "gui/plot/cgraphics.h"

namespace quillmark {
namespace {

// Preferences of our own additions, apart from the recent-file list.
QSettings preferences() {
    return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Quillmark"));
}

// "Save Data?" with Yes and No. QMessageBox would treat Escape and its close button as No,
// which quits without saving; here they answer nothing, so the window and its data stay.
class SaveQuestion : public QMessageBox {
public:
    explicit SaveQuestion(QWidget* parent)
        : QMessageBox(QMessageBox::NoIcon, CMainFrame::tr("Tip"), CMainFrame::tr("Save Data?"),
                      QMessageBox::Yes | QMessageBox::No, parent) {
        setObjectName(QStringLiteral("saveDataQuestion"));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            QDialog::reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

struct ToolButton {
    int id;
    const char* tooltip;
    const char* prompt;
};

// Left to right; the picture of button i is image i of the toolbar strip.
constexpr ToolButton kToolButtons[] = {
    {ID_DATA_DOWNLOAD, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Download"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "download data")},
    {ID_LOGGER_SETTING, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Setting"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "setting")},
    {ID_FILE_OPEN, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Open"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Open an existing document")},
    {ID_FILE_SAVE, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Save As"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Save the active document with a new name")},
    {ID_FILE_PRINT, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Print"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Print the active document")},
    {ID_VIEW_ALL, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "View all"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "view all graph")},
    {ID_ZOOM_IN, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Zoom in"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "zoom in")},
    {ID_MOVE_VIEW, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "Move"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame", "move view")},
    {ID_APP_ABOUT, QT_TRANSLATE_NOOP("quillmark::CMainFrame", "About"),
     QT_TRANSLATE_NOOP("quillmark::CMainFrame",
                       "Display program information, version number and copyright")},
};

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    initAppResources();
    setWindowIcon(applicationIcon());
    setDocumentTitle(kNewDocumentTitle);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::makeAction(int id, const QString& text) {
    auto* act = new QAction(text, this);
    act->setData(id);
    act->setObjectName(QStringLiteral("command%1").arg(id));
    connect(act, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
    actions_[id] = act;
    return act;
}

void CMainFrame::buildMenus() {
    QMenuBar* bar = menuBar();

    fileMenu_ = bar->addMenu(tr("&File"));
    fileMenu_->setObjectName(QStringLiteral("menuFile"));
    fileMenu_->addAction(makeAction(ID_FILE_OPEN, tr("&Open...\tCtrl+O")));
    fileMenu_->addAction(makeAction(ID_FILE_SAVE, tr("&Save")));
    fileMenu_->addAction(makeAction(ID_EXPORT_EXCEL, tr("&Export to Excel")));
    fileMenu_->addAction(makeAction(ID_EXPORT_REPORT, tr("Expor&t Report...\tCtrl+R")));
    fileMenu_->addSeparator();
    fileMenu_->addAction(makeAction(ID_FILE_PRINT, tr("&Print...\tCtrl+P")));
    fileMenu_->addAction(makeAction(ID_FILE_PRINT_PREVIEW, tr("Print Pre&view")));
    fileMenu_->addAction(makeAction(ID_FILE_PRINT_SETUP, tr("P&rint Setup...")));
    fileMenu_->addSeparator();
    for (int i = 0; i < 4; ++i) {
        QAction* entry = makeAction(ID_FILE_MRU_FILE1 + i, tr("Recent &File"));
        recentActions_.append(entry);
        fileMenu_->addAction(entry);
    }
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addAction(makeAction(ID_APP_EXIT, tr("E&xit")));
    rebuildRecentMenu();

    QMenu* view = bar->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(makeAction(ID_VIEW_TOOLBAR, tr("&Toolbar")));
    view->addAction(makeAction(ID_VIEW_STATUS_BAR, tr("&Status Bar")));
    view->addAction(makeAction(ID_COLOR_SETTING, tr("&ColorSetting")));
    QMenu* grid = view->addMenu(tr("&GridLines"));
    grid->setObjectName(QStringLiteral("menuGridLines"));
    grid->addAction(makeAction(ID_GRID_X, tr("&X Axis")));
    grid->addAction(makeAction(ID_GRID_Y, tr("&Y Axis")));
    view->addAction(makeAction(ID_MASK_POINTS, tr("&Mask Points")));
    view->addAction(makeAction(ID_ALARM_LINE, tr("&Alarm Line")));
    view->addAction(makeAction(ID_VIEW_ALL, tr("&View All")));
    view->addAction(makeAction(ID_MOVE_VIEW, tr("M&ove View")));
    view->addAction(makeAction(ID_ZOOM_IN, tr("&Zoom In")));

    buildAnalyzeMenu();

    QMenu* link = bar->addMenu(tr("&Link"));
    link->setObjectName(QStringLiteral("menuLink"));
    link->addAction(makeAction(ID_LOGGER_SETTING, tr("&Logger Setting")));
    link->addAction(makeAction(ID_DATA_DOWNLOAD, tr("&Data Download")));

    QMenu* help = bar->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(makeAction(ID_HELP_CONTENTS, tr("&Contents")));
    help->addAction(makeAction(ID_APP_ABOUT, tr("&About Quillmark...")));

    for (int id :
         {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_GRID_X, ID_GRID_Y, ID_MASK_POINTS, ID_ALARM_LINE})
        actions_[id]->setCheckable(true);

    // Accelerators. New and the plain save have no menu item; they live on the window.
    actions_[ID_FILE_OPEN]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    actions_[ID_FILE_PRINT]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    actions_[ID_EXPORT_REPORT]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    QAction* newDoc = makeAction(ID_FILE_NEW, tr("&New"));
    newDoc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addAction(newDoc);
    QAction* plainSave = makeAction(ID_FILE_SAVE_STANDARD, tr("Save"));
    plainSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(plainSave);

    for (QMenu* m : {fileMenu_, view, grid, analyzeMenu_, link, help})
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::updateCommandUi);

    setCommandHandler(ID_VIEW_TOOLBAR, [this] { toolBar_->setVisible(!toolBar_->isVisible()); });
    setCommandCheck(ID_VIEW_TOOLBAR, [this] { return !toolBar_->isHidden(); });
    setCommandHandler(ID_VIEW_STATUS_BAR,
                      [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    setCommandCheck(ID_VIEW_STATUS_BAR, [this] { return !statusBar()->isHidden(); });
    setCommandHandler(ID_APP_EXIT, [this] { close(); });
}

void CMainFrame::buildAnalyzeMenu() {
    struct Item {
        int id;
        const char* text;
        QKeySequence shortcut;
        const char* prompt;
    };
    const auto add = [this](const Item& item) {
        QAction* act = makeAction(item.id, tr(item.text));
        act->setShortcut(item.shortcut);
        act->setStatusTip(tr(item.prompt));
        analyzeMenu_->addAction(act);
    };
    analyzeMenu_ = menuBar()->addMenu(tr("&Analyze"));
    analyzeMenu_->setObjectName(QStringLiteral("menuAnalyze"));
    add({ID_FIT_VALUES, QT_TR_NOOP("&Fit Values"), QKeySequence(Qt::Key_F),
         QT_TR_NOOP("Fit the value axis to the samples in view")});
    add({ID_MEASURE, QT_TR_NOOP("&Measure"), QKeySequence(Qt::Key_M),
         QT_TR_NOOP("Drag across the plot to measure a range of samples")});
    measurePlace_ = analyzeMenu_->addSeparator();
    {
        // Compared runs: added, cleared and aligned here, listed in the Runs panel.
        QAction* compare = makeAction(ID_COMPARE_WITH, tr("Compare &With..."));
        compare->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
        compare->setStatusTip(tr("Lay other recordings over the shown one"));
        analyzeMenu_->addAction(compare);
        QAction* clear = makeAction(ID_CLEAR_COMPARISON, tr("Clear Compari&son"));
        clear->setStatusTip(tr("Remove every compared run"));
        analyzeMenu_->addAction(clear);
        QMenu* align = analyzeMenu_->addMenu(tr("&Align Runs"));
        auto* alignGroup = new QActionGroup(this);
        for (const auto& [id, text] : {std::pair{ID_ALIGN_START, tr("At &Start")},
                                       std::pair{ID_ALIGN_CLOCK, tr("By &Clock")}}) {
            QAction* a = makeAction(id, text);
            a->setCheckable(true);
            a->setStatusTip(id == ID_ALIGN_START
                                ? tr("Start every compared run with the shown recording")
                                : tr("Place every compared run by its own start time"));
            alignGroup->addAction(a);
            align->addAction(a);
        }
        analyzeMenu_->addSeparator();
    }
    for (const Item& item : {
             Item{ID_PAN_LEFT, QT_TR_NOOP("Pan &Left"), QKeySequence(Qt::Key_Left),
                  QT_TR_NOOP("Move the view back by a tenth of its width")},
             Item{ID_PAN_RIGHT, QT_TR_NOOP("Pan &Right"), QKeySequence(Qt::Key_Right),
                  QT_TR_NOOP("Move the view on by a tenth of its width")},
             Item{ID_PAGE_LEFT, QT_TR_NOOP("&Page Left"), QKeySequence(Qt::SHIFT | Qt::Key_Left),
                  QT_TR_NOOP("Move the view back by its whole width")},
             Item{ID_PAGE_RIGHT, QT_TR_NOOP("Page Ri&ght"), QKeySequence(Qt::SHIFT | Qt::Key_Right),
                  QT_TR_NOOP("Move the view on by its whole width")},
             Item{ID_ZOOM_TIME_IN, QT_TR_NOOP("Zoom Time &In"), QKeySequence(Qt::Key_Plus),
                  QT_TR_NOOP("Show half the time span about the middle")},
             Item{ID_ZOOM_TIME_OUT, QT_TR_NOOP("Zoom Time &Out"), QKeySequence(Qt::Key_Minus),
                  QT_TR_NOOP("Show twice the time span about the middle")},
         })
        add(item);
    analyzeMenu_->addSeparator();
    add({ID_EXPORT_IMAGE, QT_TR_NOOP("&Export Image..."), QKeySequence(Qt::CTRL | Qt::Key_E),
         QT_TR_NOOP("Save the plot as shown as a PNG or SVG image")});
    add({ID_COPY_IMAGE, QT_TR_NOOP("&Copy Image"), QKeySequence(Qt::CTRL | Qt::Key_C),
         QT_TR_NOOP("Copy the plot as shown to the clipboard")});

    // The mouse modes are exclusive; the plot's mode decides the checks.
    modeGroup_ = new QActionGroup(this);
    modeGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int id : {ID_ZOOM_IN, ID_MOVE_VIEW, ID_MEASURE}) {
        actions_[id]->setCheckable(true);
        modeGroup_->addAction(actions_[id]);
    }
}

void CMainFrame::buildToolBar() {
    toolBar_ = new QToolBar(tr("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(32, 32));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (const ToolButton& button : kToolButtons) {
        QAction* act = actions_.at(button.id);
        act->setToolTip(tr(button.tooltip));
        act->setStatusTip(tr(button.prompt));
        toolBar_->addAction(act);
    }
    setToolbarIcons();
    setDockNestingEnabled(true);
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::setToolbarIcons() {
    int index = 0;
    for (const ToolButton& button : kToolButtons)
        actions_.at(button.id)->setIcon(toolbarIcon(index++, palette()));
}

void CMainFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && toolBar_)
        setToolbarIcons();
    QMainWindow::changeEvent(event);
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    for (const char* key : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(key), bar);
        label->setObjectName(QStringLiteral("indicator%1").arg(QString::fromLatin1(key)));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        // The lock-key states cannot be read portably, so the indicators stay greyed out.
        label->setEnabled(false);
        bar->addPermanentWidget(label);
        indicators_.append(label);
    }
    // The idle text comes back whenever a command prompt is cleared.
    connect(bar, &QStatusBar::messageChanged, this, [this, bar](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(tr("Ready"));
    });
    bar->showMessage(tr("Ready"));
}

QAction* CMainFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* CMainFrame::menu(const QString& objectName) const {
    return menuBar()->findChild<QMenu*>(objectName);
}

QList<QAction*> CMainFrame::toolBarActions() const {
    return toolBar_->actions();
}

void CMainFrame::setCommandHandler(int id, Handler handler) {
    Q_ASSERT_X(handlers_.find(id) == handlers_.end(), "setCommandHandler",
               "a command id has exactly one handler");
    handlers_[id] = std::move(handler);
}

void CMainFrame::setCommandCheck(int id, Predicate checked) {
    checks_[id] = std::move(checked);
}

void CMainFrame::setCommandEnabled(int id, Predicate enabled) {
    enabled_[id] = std::move(enabled);
}

bool CMainFrame::dispatchCommand(int id) {
    auto it = handlers_.find(id);
    if (it == handlers_.end() || !it->second)
        return false;
    // Copy: the handler may replace the table entry while it runs.
    Handler handler = it->second;
    handler();
    updateCommandUi();
    return true;
}

void CMainFrame::updateCommandUi() {
    for (auto& [id, act] : actions_) {
        if (auto c = checks_.find(id); c != checks_.end())
            act->setChecked(c->second());
        bool enabled = handlers_.count(id) != 0;
        if (auto e = enabled_.find(id); e != enabled_.end())
            enabled = enabled && e->second();
        if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + 4)
            enabled = enabled && (id - ID_FILE_MRU_FILE1) < recentFiles_.size();
        act->setEnabled(enabled);
    }
}

void CMainFrame::setDocumentTitle(const QString& title) {
    setWindowTitle(title + QStringLiteral(" - ") + kApplicationTitle);
}

void CMainFrame::setRecentFiles(const QStringList& paths) {
    recentFiles_ = paths.mid(0, 4);
    rebuildRecentMenu();
    updateCommandUi();
}

void CMainFrame::rebuildRecentMenu() {
    // With an empty list one greyed "Recent File" item stands in for the entries.
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* act = recentActions_[i];
        if (i < recentFiles_.size()) {
            act->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
                QFileInfo(recentFiles_[i])
                    .fileName()
                    .replace(QLatin1Char('&'), QStringLiteral("&&"))));
            act->setStatusTip(recentFiles_[i]);
            act->setVisible(true);
        } else {
            act->setText(tr("Recent &File"));
            act->setStatusTip(QString());
            act->setVisible(i == 0 && recentFiles_.isEmpty());
        }
    }
}

void CMainFrame::attachMeasurements(CGraphics* plot) {
    if (!measurements_) {
        measurements_ = new MeasurementsPanel(this);
        QSettings prefs = preferences();
        prefs.beginGroup(QStringLiteral("Measurements"));
        const auto area = static_cast<Qt::DockWidgetArea>(
            prefs.value(QStringLiteral("area"), static_cast<int>(Qt::RightDockWidgetArea)).toInt());
        addDockWidget(area == Qt::NoDockWidgetArea ? Qt::RightDockWidgetArea : area, measurements_);
        if (prefs.value(QStringLiteral("floating"), false).toBool()) {
            measurements_->setFloating(true);
            const QRect where = prefs.value(QStringLiteral("geometry")).toRect();
            if (where.isValid())
                measurements_->setGeometry(where);
        }
        measurements_->setVisible(prefs.value(QStringLiteral("visible"), false).toBool());
        connect(measurements_, &QDockWidget::dockLocationChanged, this,
                [this] { saveMeasurementsPlace(); });
        connect(measurements_, &QDockWidget::topLevelChanged, this,
                [this] { saveMeasurementsPlace(); });
    }
    measurements_->follow(plot);
}

void CMainFrame::showMeasurements() {
    if (measurements_ && measurements_->isHidden()) {
        measurements_->show();
        saveMeasurementsPlace();
    }
}

void CMainFrame::saveMeasurementsPlace() const {
    if (!measurements_)
        return;
    QSettings prefs = preferences();
    prefs.beginGroup(QStringLiteral("Measurements"));
    prefs.setValue(QStringLiteral("area"), static_cast<int>(dockWidgetArea(measurements_)));
    prefs.setValue(QStringLiteral("floating"), measurements_->isFloating());
    prefs.setValue(QStringLiteral("geometry"), measurements_->geometry());
    prefs.setValue(QStringLiteral("visible"), !measurements_->isHidden());
}

void CMainFrame::onLoggerArrival() {
    if (deviceScan_)
        deviceScan_();
    // The scan may have changed the model code: the plots draw its unit names at once.
    for (CGraphics* plot : findChildren<CGraphics*>())
        plot->refresh();
}

bool CMainFrame::askSaveData() {
    SaveQuestion box(this);
    box.exec();
    // Escape or the question's own close button: the user takes the step back.
    if (box.clickedButton() == nullptr)
        return false;
    // A save that was cancelled or failed: going on would lose the recording.
    return box.clickedButton() != box.button(QMessageBox::Yes) || !saveBeforeClose_ ||
           saveBeforeClose_();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A logger exchange in flight would be cut off with its data: the window stays until it
    // has ended (the logger dialog that runs it is modal, so this is not the user's click).
    if (TransferRunner::anyBusy()) {
        event->ignore();
        return;
    }
    const int shown = shownSamples_ ? shownSamples_() : 0;
    if (shown > 0 && !askSaveData()) {
        event->ignore();
        return;
    }
    saveMeasurementsPlace();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    QMainWindow::dragEnterEvent(event);
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            activateWindow();
            // Shift+drop compares the files with the shown recording instead of opening one.
            if (event->modifiers().testFlag(Qt::ShiftModifier)) {
                QStringList paths;
                for (const QUrl& u : event->mimeData()->urls()) {
                    if (u.isLocalFile())
                        paths << localPathFromUrl(u);
                }
                emit filesDroppedForComparison(paths);
                updateCommandUi();
                return;
            }
            emit fileDropped(localPathFromUrl(url));
            // Like a command, an opened file changes what the items may do.
            updateCommandUi();
            return;
        }
    }
    QMainWindow::dropEvent(event);
}

} // namespace quillmark
