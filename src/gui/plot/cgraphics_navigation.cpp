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
    // A window not shown yet has had no resize event: take its size first.
    if (geometry_.plotWidth != std::max(1, geometry_.areaWidth(width())) ||
        geometry_.plotHeight != std::max(1, plotAreaHeight(height()))) {
        geometry_.resize(width(), height());
    }
    geometry_.resetView(scene_.sampleCount);
    refresh();
}

void CGraphics::viewAll() {
    const DataWindow before = geometry_.window();
    ResetView();
    rememberWindow(before);
}

void CGraphics::rememberWindow(const DataWindow& before) {
    if (before == geometry_.window() || !(before.xSpan > 0.0) || !(before.ySpan > 0.0)) {
        return;
    }
    constexpr std::size_t kMaxHistory = 64;
    if (zoomHistory_.size() == kMaxHistory) {
        zoomHistory_.erase(zoomHistory_.begin());
    }
    zoomHistory_.push_back(before);
}

bool CGraphics::undoZoom() {
    if (zoomHistory_.empty()) {
        return false;
    }
    geometry_.setWindow(zoomHistory_.back());
    zoomHistory_.pop_back();
    refresh();
    return true;
}

bool CGraphics::fitValues() {
    if (geometry_.dragging) {
        return false;
    }
    const DataWindow before = geometry_.window();
    // The spans are products of scale and width: allow for their rounding at the edges.
    constexpr double kEdge = 1e-6;
    const auto first = truncToInt64(std::ceil(before.xOffset - kEdge));
    const auto last = truncToInt64(std::floor(before.xOffset + before.xSpan + kEdge));
    const double factor = unitFactor(scene_.unitIndex);
    const std::optional<ValueSpan> fit = analysis().fitValues(first, last, factor);
    if (!fit) {
        return false;
    }
    // The window holds base-unit values; the fit is in the display unit.
    DataWindow after = before;
    after.yOffset = fit->low / factor;
    after.ySpan = (fit->high - fit->low) / factor;
    geometry_.setWindow(after);
    rememberWindow(before);
    refresh();
    return true;
}

bool CGraphics::panTime(double windows) {
    if (geometry_.dragging || windows == 0.0) {
        return false;
    }
    const DataWindow before = geometry_.window();
    const double xMin = geometry_.xMin;
    const double xMax = geometry_.xMax;
    const double span = before.xSpan;
    double& offset = geometry_.xOffset;
    if (windows < 0.0) {
        offset = xMin < offset ? std::max(offset + windows * span, xMin) : xMin;
    } else {
        offset =
            offset + span < xMax ? std::min(offset + windows * span, xMax - span) : xMax - span;
    }
    if (geometry_.window() == before) {
        return false;
    }
    rememberWindow(before);
    refresh();
    return true;
}

bool CGraphics::zoomTimeAboutCentre(double factor) {
    if (geometry_.dragging) {
        return false;
    }
    const DataWindow before = geometry_.window();
    if (!geometry_.wheelZoom(geometry_.leftMargin + geometry_.plotWidth / 2, factor)) {
        return false;
    }
    rememberWindow(before);
    refresh();
    return true;
}

void CGraphics::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || geometry_.dragging) {
        event->ignore();
        return;
    }
    const DataWindow before = geometry_.window();
    // One notch in shows 80 % of the samples, one notch out 125 %.
    const double factor = std::pow(0.8, steps);
    if (geometry_.wheelZoom(static_cast<int>(event->position().x()), factor)) {
        rememberWindow(before);
        refresh();
    }
    event->accept();
}

void CGraphics::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        geometry_.insidePlotArea(event->position().toPoint().x(),
                                 event->position().toPoint().y())) {
        geometry_.dragging = false;
        viewAll();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CGraphics::keyPressEvent(QKeyEvent* event) {
    // Escape first drops a measured selection (or the drag making one); only then does it
    // mean View All.
    if (event->key() == Qt::Key_Escape &&
        (selection_ || (geometry_.mode == Measure && geometry_.dragging))) {
        geometry_.dragging = false;
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
        if (!geometry_.dragging)
            viewAll();
        return;
    default:
        break;
    }
    if (event->key() == Qt::Key_Escape) {
        if (geometry_.dragging) {
            geometry_.dragging = false; // drop the rubber band or pan
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
