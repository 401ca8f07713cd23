#pragma once
// The "Measurements" dock: the figures of the measured samples (a Measure selection, or the
// visible window), as the core's measurement text gives them.
#include <QDockWidget>
#include <QList>
#include <vector>

#include "core/analysis/measurement_text.h"

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

    // What the panel shows now: a caption, then "label value" rows.
    QString caption() const;
    QStringList rows() const;
    // The shown figures as tab-separated "label<TAB>value" lines, for the clipboard.
    QString figuresText() const;
    // Puts figuresText() on the clipboard (the panel's "Copy Figures").
    void copyFigures() const;

private:
    void refreshFigures();

    CGraphics* plot_ = nullptr;
    QLabel* caption_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QList<QLabel*> labels_;
    QList<QLabel*> values_;
};

} // namespace quillmark
