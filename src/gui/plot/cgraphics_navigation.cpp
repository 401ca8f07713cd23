// View navigation: reset, fit, pan, zoom, their keys and the undo history.
#include "gui/plot/cgraphics.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/common/model_units.h"
#include "core/plot/plot_geometry.h"

namespace quillmark {

void CGraphics::ResetView() {
    PlotGeometry& g = view_.geometry();
    // A window not shown yet has had no resize event: take its size first.
    if (g.plotWidth != std::max(1, g.areaWidth(width())) ||
        g.plotHeight != std::max(1, plotAreaHeight(height()))) {
        g.resize(width(), height());
    }
    view_.resetView();
    refresh();
}

void CGraphics::viewAll() {
    const DataWindow before = view_.geometry().window();
    ResetView();
    view_.rememberWindow(before);
}

bool CGraphics::undoZoom() {
    return view_.undoZoom() ? (refresh(), true) : false;
}

bool CGraphics::fitValues() {
    return view_.fitValues() ? (refresh(), true) : false;
}

bool CGraphics::panTime(double windows) {
    return view_.panTime(windows) ? (refresh(), true) : false;
}

bool CGraphics::zoomTimeAboutCentre(double factor) {
    return view_.zoomTimeAboutCentre(factor) ? (refresh(), true) : false;
}

void CGraphics::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || view_.geometry().dragging) {
        event->ignore();
        return;
    }
    // One notch in shows 80 % of the samples, one notch out 125 %.
    const double factor = std::pow(0.8, steps);
    if (view_.wheelZoom(static_cast<int>(event->position().x()), factor)) {
        refresh();
    }
    event->accept();
}

void CGraphics::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        view_.geometry().insidePlotArea(event->position().toPoint().x(),
                                        event->position().toPoint().y())) {
        view_.geometry().dragging = false;
        viewAll();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CGraphics::keyPressEvent(QKeyEvent* event) {
    // Escape first drops a measured selection (or the drag making one); only then does it
    // mean View All.
    if (event->key() == Qt::Key_Escape &&
        (view_.selection() || (view_.geometry().mode == Measure && view_.geometry().dragging))) {
        view_.geometry().dragging = false;
        setSelection(std::nullopt);
        return;
    }
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        panTime((event->key() == Qt::Key_Left ? -1.0 : 1.0) * (shift ? 1.0 : 0.1));
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without Shift on most layouts
        zoomTimeAboutCentre(0.5);
        return;
    case Qt::Key_Minus:
        zoomTimeAboutCentre(2.0);
        return;
    case Qt::Key_Home:
        if (!view_.geometry().dragging)
            viewAll();
        return;
    default:
        break;
    }
    if (event->key() == Qt::Key_Escape) {
        if (view_.geometry().dragging) {
            view_.geometry().dragging = false; // drop the rubber band or pan
            refresh();
        } else {
            viewAll();
        }
        return;
    }
    if (event->key() == Qt::Key_Backspace || event->matches(QKeySequence::Undo)) {
        undoZoom();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillmark
