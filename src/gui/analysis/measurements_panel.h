#pragma once
// The "Measurements" dock: the figures of the measured samples (a Measure selection, or the
// visible window), as the core's measurement text gives them, and with runs compared one
// row per visible run over the same time span.
#include <QDockWidget>
#include <QList>
#include <vector>

#include "core/analysis/measurement_text.h"
#include "core/plot/plot_view.h"

class QGridLayout;
class QLabel;

namespace quillmark {

class CGraphics;

class MeasurementsPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit MeasurementsPanel(QWidget* parent = nullptr);

    // Follows the plot's selection, data window, unit and recording while the panel shows.
    void follow(CGraphics* plot);
    void setLines(const std::vector<MeasurementLine>& lines, bool selection);

    // The compared runs' rows for the plot's measured range and pointer.
    void setRunRows(const std::vector<RunMeasurement>& runs);

    // What the panel shows now: a caption, then "label value" rows.
    QString caption() const;
    QStringList rows() const;
    // The compared runs' table: its heading, then one row per run, cells tab-separated.
    QStringList runRows() const;
    // The shown figures as tab-separated "label<TAB>value" lines, for the clipboard.
    QString figuresText() const;
    // Puts figuresText() on the clipboard (the panel's "Copy Figures").
    void copyFigures() const;

private:
    void refreshFigures();
    void refreshPointer();
    QString pointerText(const RunMeasurement& m) const;

    CGraphics* plot_ = nullptr;
    QLabel* caption_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QList<QLabel*> labels_;
    QList<QLabel*> values_;
    QGridLayout* runsGrid_ = nullptr;
    QList<QLabel*> runHeading_;
    QList<QList<QLabel*>> runCells_; // per row: swatch, name, figures..., at pointer
    std::vector<RunMeasurement> runs_;
};

} // namespace quillmark
