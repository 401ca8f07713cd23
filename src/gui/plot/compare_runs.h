#pragma once
// Comparing recordings in the window: reading the runs to add, the Analyze items that add,
// clear and align them, and the "Runs" list that shows, hides and removes them.
#include <QDockWidget>
#include <QStringList>

class QListWidget;

namespace quillmark {

class CGraphics;
class CMainFrame;

// Reads every file and adds them all as compared runs; a file that cannot be read gives
// Open's message and nothing is added. More than the plot can compare is refused the same
// way. False when nothing was added.
bool addComparedRuns(CGraphics& plot, const QStringList& paths, QWidget* parent);

// Analyze, Compare With..., Clear Comparison and Align Runs.
void registerCompareCommands(CMainFrame& frame, CGraphics& plot);

class RunsPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit RunsPanel(CGraphics& plot, QWidget* parent = nullptr);
    // One row per compared run: its colour, logger name, start, samples and interval.
    QStringList rows() const;
    QListWidget* list() const { return list_; }

private:
    void rebuild();

    CGraphics& plot_;
    QListWidget* list_ = nullptr;
    bool rebuilding_ = false;
};

} // namespace quillmark
