#pragma once
// The main window: menu bar, toolbar, status bar, the command routing table, dropped files and
// the close question.
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>

class QActionGroup;
class QLabel;
class QMenu;

namespace quillmark {

class CGraphics;
class MeasurementsPanel;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    using Predicate = std::function<bool()>;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action carrying command `id` (menu item, toolbar button or accelerator); the recent
    // file entries are 57616 to 57619. Null when no such action exists.
    QAction* action(int id) const;
    QMenu* menu(const QString& objectName) const;
    QToolBar* toolBar() const { return toolBar_; }
    // The Analyze menu, right after View. The Measure item goes just before measurePlace()
    // (a separator) and joins modeGroup(), the exclusive group of the mouse-mode items that
    // already holds Zoom In and Move View.
    QMenu* analyzeMenu() const { return analyzeMenu_; }
    QAction* measurePlace() const { return measurePlace_; }
    QActionGroup* modeGroup() const { return modeGroup_; }
    QList<QAction*> toolBarActions() const;

    // The routing table: each command id has exactly one handler.
    void setCommandHandler(int id, Handler handler);
    void setCommandCheck(int id, Predicate checked);
    void setCommandEnabled(int id, Predicate enabled);
    // Runs the handler of `id`; false when none is installed.
    bool dispatchCommand(int id);
    // Re-reads the check marks and enabled states of every action.
    void updateCommandUi();

    // Caption "<document title> - Quillmark".
    void setDocumentTitle(const QString& title);
    void setRecentFiles(const QStringList& paths);

    // How many samples the view shows; the close question is asked only when it is above 0.
    void setShownSampleCount(std::function<int()> count) { shownSamples_ = std::move(count); }
    // The save that a Yes to "Save Data?" runs; true when the data is safe (saved, or nothing
    // to save), false when the save was cancelled or failed and the window must stay open.
    void setSaveBeforeClose(std::function<bool()> save) { saveBeforeClose_ = std::move(save); }
    // Asks "Save Data?" and saves on Yes. True when the caller may go on (No, or saved); false
    // when the user took it back (Escape, the close button) or the save did not happen.
    bool askSaveData();

    // The Measurements dock follows this plot; it stays hidden until first shown, and its
    // place and visibility are remembered between runs.
    void attachMeasurements(CGraphics* plot);
    void showMeasurements();
    MeasurementsPanel* measurementsPanel() const { return measurements_; }

    // The device scan run on each logger arrival (the model code becomes 710).
    void setDeviceScan(std::function<void()> scan) { deviceScan_ = std::move(scan); }

signals:
    void fileDropped(const QString& path);
    void filesDroppedForComparison(const QStringList& paths);

public slots:
    // A logger arrived (posted from the detection thread).
    void onLoggerArrival();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A theme switched to dark (or back) recolours the toolbar pictures.
    void changeEvent(QEvent* event) override;

private:
    void setToolbarIcons();
    QAction* makeAction(int id, const QString& text);
    void buildMenus();
    void buildAnalyzeMenu();
    void buildToolBar();
    void buildStatusBar();
    void rebuildRecentMenu();
    void saveMeasurementsPlace() const;

    std::map<int, QAction*> actions_;
    std::map<int, Handler> handlers_;
    std::map<int, Predicate> checks_;
    std::map<int, Predicate> enabled_;
    QMenu* fileMenu_ = nullptr;
    QMenu* analyzeMenu_ = nullptr;
    QAction* measurePlace_ = nullptr;
    QActionGroup* modeGroup_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
    QStringList recentFiles_;
    QToolBar* toolBar_ = nullptr;
    QList<QLabel*> indicators_;
    std::function<int()> shownSamples_;
    std::function<bool()> saveBeforeClose_;
    std::function<void()> deviceScan_;
    MeasurementsPanel* measurements_ = nullptr;
};

} // namespace quillmark
