#include "gui/plot/cgraphics.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <ctime>

#include "core/app/logger_model.h"
#include "core/data/recording.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_menu.h"
#include "core/plot/plot_summary.h"
#include "gui/app/ui_text.h"
#include "render/draw_plot.h"
#include "render/plot_labels.h"
#include "render/qt_colour.h"

static void initPlotResources() {
    Q_INIT_RESOURCE(plot);
}

namespace quillmark {

namespace {

QCursor modeCursor(const char* path, Qt::CursorShape fallback) {
    const QPixmap pm(QString::fromLatin1(path));
    if (pm.isNull()) {
        return QCursor(fallback);
    }
    return QCursor(pm, 0, 0); // hot spot at the top-left corner
}

// The plot as a screen reader sees it: a chart whose description is read when asked for, so
// it always tells the current view and readout.
class PlotAccessible : public QAccessibleWidget {
public:
    explicit PlotAccessible(CGraphics* plot) : QAccessibleWidget(plot, QAccessible::Chart) {}
    QString text(QAccessible::Text t) const override {
        const auto* plot = static_cast<const CGraphics*>(widget());
        if (t == QAccessible::Name && plot->accessibleName().isEmpty())
            return CGraphics::tr("Plot");
        if (t == QAccessible::Description && plot->accessibleDescription().isEmpty())
            return plot->accessibleSummary();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* plotAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("quillmark::CGraphics") && object && object->isWidgetType())
        return new PlotAccessible(static_cast<CGraphics*>(object));
    return nullptr;
}

} // namespace

CGraphics::CGraphics(QWidget* parent) : QWidget(parent) {
    static const bool accessible = [] {
        QAccessible::installFactory(plotAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    initPlotResources();
    zoomCursor_ = modeCursor(":/cursors/zoom.png", Qt::CrossCursor);
    handCursor_ = modeCursor(":/cursors/hand.png", Qt::OpenHandCursor);
    view_.display().startTime = static_cast<std::int64_t>(std::time(nullptr));
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel comes from the cached image
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void CGraphics::setRecording(const Recording& rec, std::int64_t startTime) {
    // Not owned: the caller keeps the recording alive (an empty owner shares nothing).
    setRecording(std::shared_ptr<const Recording>(std::shared_ptr<const Recording>(), &rec),
                 startTime);
}

void CGraphics::setRecording(std::shared_ptr<const Recording> rec, std::int64_t startTime) {
    view_.setRecording(std::move(rec), startTime);
    refresh();
}

bool CGraphics::setData(const Recording* rec) {
    if (rec == nullptr) {
        setSamples(nullptr, 0);
        setStatistics(-1, -1, 0.0);
        return true;
    }
    const std::optional<std::int64_t> start = startTime(*rec);
    if (!start) {
        return false;
    }
    setRecording(*rec, *start);
    return true;
}

void CGraphics::setSamples(const std::uint16_t* samples, std::int32_t count) {
    view_.setSamples(samples, count);
    refresh();
}

void CGraphics::setStatistics(std::int32_t maxIndex, std::int32_t minIndex, double average) {
    view_.setStatistics(maxIndex, minIndex, average);
    refresh();
}

void CGraphics::setAlarmLevels(float low, float high) {
    view_.setAlarmLevels(low, high);
    refresh();
}

void CGraphics::setSampleInterval(float seconds) {
    view_.setSampleInterval(seconds);
    refresh();
}

void CGraphics::setStartTime(std::int64_t t) {
    view_.setStartTime(t);
    refresh();
}

void CGraphics::setShowGridX(bool on) {
    view_.display().showGridX = on;
    refresh();
}
void CGraphics::setShowGridY(bool on) {
    view_.display().showGridY = on;
    refresh();
}
void CGraphics::setShowMaskPoints(bool on) {
    view_.display().showMaskPoints = on;
    refresh();
}
void CGraphics::setShowAlarmLines(bool on) {
    view_.display().showAlarmLines = on;
    refresh();
}
void CGraphics::setUnitIndex(std::int32_t unit) {
    view_.display().unitIndex = unit;
    refresh();
}
void CGraphics::setHideStatistics(bool hide) {
    view_.display().hideStatistics = hide;
    refresh();
}
void CGraphics::setColours(const PlotColours& c) {
    view_.display().colours = c;
    refresh();
}

void CGraphics::copyViewFrom(const CGraphics& other) {
    view_.copyViewFrom(other.view_);
    refresh();
}

PlotView::AddResult CGraphics::addRun(std::shared_ptr<const Recording> rec) {
    const PlotView::AddResult r = view_.addRun(std::move(rec));
    if (r == PlotView::AddResult::Added) {
        refresh();
        emit runsChanged();
    }
    return r;
}
void CGraphics::removeRun(std::size_t i) {
    view_.removeRun(i);
    refresh();
    emit runsChanged();
}
void CGraphics::clearRuns() {
    view_.clearRuns();
    refresh();
    emit runsChanged();
}
void CGraphics::setRunVisible(std::size_t i, bool visible) {
    view_.setRunVisible(i, visible);
    refresh();
    emit runsChanged();
}
void CGraphics::setAlignment(RunAlignment a) {
    view_.setAlignment(a);
    refresh();
    emit runsChanged();
}

PlotScene CGraphics::scene() const {
    return view_.scene(loggerModel());
}

void CGraphics::fitLeftMargin() {
    view_.geometry().setLeftMargin(
        valueLabelMargin(view_.display(), view_.geometry().yOffset, view_.geometry().yScale,
                         view_.geometry().plotHeight, kScreenFontHeight));
}

void CGraphics::refresh() {
    fitLeftMargin();
    cacheValid_ = false;
    cursorX_.reset();
    readoutShown_ = false;
    band_.reset();
    update();
    emit measurementChanged();
}

void CGraphics::setSelection(std::optional<SampleSelection> s) {
    if (!view_.setSelection(s)) {
        return;
    }
    // Only the overlay changes: the cached plot stays.
    const PlotGeometry& g = view_.geometry();
    update(QRect(g.leftMargin, kPlotTop, g.plotWidth + 1, g.plotHeight + 1));
    emit measurementChanged();
}

std::optional<SampleSelection> CGraphics::measuredRange() const {
    return view_.measuredRange();
}

const RangeAnalysis& CGraphics::analysis() const {
    return view_.analysis();
}

std::vector<MeasurementLine> CGraphics::measurement() const {
    return view_.measurement(loggerModel());
}

QImage CGraphics::renderPlot(double ratio) const {
    return renderPlotImage(scene(), screenFrame(width(), height(), view_.geometry()), ratio);
}

void CGraphics::renderCache() {
    fitLeftMargin(); // a pan step may have moved the value labels since the last refresh
    cache_ = renderPlot(devicePixelRatioF());
}

std::unique_ptr<QMenu> CGraphics::createContextMenu(QWidget* parent) const {
    auto menu = std::make_unique<QMenu>(parent);
    for (const PlotMenuItem& item : plotMenuItems(loggerModel(), view_.display())) {
        QAction* a = menu->addAction(uiMenuText(item.text));
        a->setData(item.id);
        if (item.checkable) {
            a->setCheckable(true);
            a->setChecked(item.checked);
        }
    }
    return menu;
}

QString CGraphics::accessibleSummary() const {
    const std::optional<std::int64_t> under =
        readoutShown_ ? readoutIndex_ : std::optional<std::int64_t>();
    const PlotSummary s = plotSummary(scene(), view_.geometry().yOffset,
                                      view_.geometry().yScale * view_.geometry().plotHeight, under);
    const QString model = QString::number(s.model);
    if (s.samples <= 0)
        return tr("Logger model %1; no recording.").arg(model);
    QString text = tr("Logger model %1; %2 samples; unit %3; values in view from %4 to %5.")
                       .arg(model)
                       .arg(s.samples)
                       .arg(QString::fromStdString(s.unit), QString::fromStdString(s.lowValue),
                            QString::fromStdString(s.highValue));
    if (s.readout)
        text += QLatin1Char(' ') + tr("Readout: NO. %1, Value: %2, Time: %3.")
                                       .arg(s.readout->index)
                                       .arg(QString::fromStdString(s.readout->value),
                                            QString::fromStdString(s.readout->time));
    return text;
}

void CGraphics::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu = createContextMenu(this);
    if (!menu->actions().isEmpty()) {
        if (QAction* chosen = menu->exec(event->globalPos())) {
            emit commandIssued(chosen->data().toInt());
        }
    }
}

int CGraphics::readoutLineHeight() const {
    // The window's own font, not the label font: the readout strip is measured as drawn.
    return labelLineHeight(QFontMetrics(font()));
}

QRect CGraphics::readoutStrip() const {
    const int lineHeight = readoutLineHeight();
    return QRect(width() / 2, kPlotTop - lineHeight, width() - width() / 2, lineHeight);
}

QRect CGraphics::cursorLineRect(int deviceX) const {
    // Whole logical pixels around the device column: at a fractional ratio a one-pixel rect
    // may round to a device region that misses the line and leaves it behind.
    const double ratio = devicePixelRatioF();
    const int x = static_cast<int>(std::floor(deviceX / ratio));
    return QRect(x - 1, kPlotTop, 3, view_.geometry().plotHeight);
}

QRect CGraphics::bandRect(PlotPoint a, PlotPoint b) const {
    return QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)),
                 QPoint(std::max(a.x, b.x), std::max(a.y, b.y)));
}

void CGraphics::paintEvent(QPaintEvent* event) {
    if (!cacheValid_ || cache_.deviceIndependentSize().toSize() != size() ||
        cache_.devicePixelRatio() != devicePixelRatioF()) {
        renderCache();
        cacheValid_ = true;
        // A Move View drag pans after each frame is drawn; show the result at once with a
        // follow-up frame instead of leaving it for some later repaint.
        if (view_.geometry().mode == MoveView && view_.geometry().dragging) {
            const double x0 = view_.geometry().xOffset;
            const double y0 = view_.geometry().yOffset;
            view_.geometry().panStep();
            if (view_.geometry().xOffset != x0 || view_.geometry().yOffset != y0) {
                cacheValid_ = false;
                update();
                emit measurementChanged();
            }
        }
    }
    QPainter p(this);
    // The cache has the device's own pixels: drawn whole at the origin it is copied one to
    // one, and the paint region clips it.
    p.setClipRegion(event->region());
    p.drawImage(QPoint(0, 0), cache_);
    if (view_.selection()) {
        if (const auto cols = view_.geometry().selectionColumns(*view_.selection())) {
            p.fillRect(QRect(cols->first, kPlotTop, cols->second - cols->first + 1,
                             view_.geometry().plotHeight + 1),
                       QColor(40, 120, 220, 70));
        }
    }
    if (readoutShown_) {
        const QRect strip = readoutStrip();
        p.fillRect(strip, toQColor(view_.display().colours.border));
        if (readoutIndex_ && *readoutIndex_ >= 0 && *readoutIndex_ < view_.display().sampleCount) {
            // The cursor readout carries the over-range mark in every model.
            p.setPen(toQColor(readableTextColour(view_.display().colours.border)));
            DrawReadout(static_cast<int>(*readoutIndex_), strip.top(),
                        view_.display().sampleInterval, view_.display().samples[*readoutIndex_],
                        unitFactor(view_.display().unitIndex), view_.display().startTime,
                        width() - kPlotRight, p, true);
        }
    }
    if (cursorX_) {
        // Inverts what it crosses: each pixel becomes NOT (pixel XOR red), over the cache just
        // drawn, so it is exact. One device pixel wide, in the device column under the
        // pointer, whatever the ratio.
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        // A fill covers the pixels whose centres it holds: exactly one device column, and
        // rows kPlotTop .. kPlotTop + plotHeight - 1 (the bottom axis below is not inverted).
        const double ratio = devicePixelRatioF();
        p.fillRect(QRectF(*cursorX_ / ratio, kPlotTop, 1.0 / ratio, view_.geometry().plotHeight),
                   QColor(255, 0, 0));
    }
    if (band_) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(QBrush(Qt::white, Qt::Dense4Pattern), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(band_->adjusted(0, 0, -1, -1));
    }
}

void CGraphics::resizeEvent(QResizeEvent* event) {
    view_.geometry().resize(event->size().width(), event->size().height());
    refresh();
}

void CGraphics::applyCursor(PlotCursor c) {
    switch (c) {
    case PlotCursor::Zoom:
    case PlotCursor::Hand:
        if (!savedCursor_) {
            savedCursor_ = cursor();
        }
        setCursor(c == PlotCursor::Zoom ? zoomCursor_ : handCursor_);
        break;
    case PlotCursor::Measure:
        if (!savedCursor_) {
            savedCursor_ = cursor();
        }
        setCursor(Qt::SizeHorCursor);
        break;
    case PlotCursor::Saved:
        if (savedCursor_) {
            setCursor(*savedCursor_);
            savedCursor_.reset();
        }
        break;
    case PlotCursor::Unchanged:
        break;
    }
}

void CGraphics::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pt = event->position().toPoint();
    applyCursor(view_.geometry().press(pt.x(), pt.y()));
}

void CGraphics::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    const int x = pt.x();
    // The device column under the pointer's hot spot; the sample mapping stays logical.
    const int deviceX = static_cast<int>(std::floor(event->position().x() * devicePixelRatioF()));
    const MoveOutcome m = view_.geometry().move(x, pt.y());
    applyCursor(m.cursor);
    if (m.repaintAll) {
        refresh();
    }
    if (m.moveMeasure) {
        setSelection(view_.geometry().measureSelection(m.bandStart.x, m.newBandEnd.x,
                                                       view_.display().sampleCount));
    }
    if (m.moveRubberBand) {
        if (band_) {
            update(band_->adjusted(-1, -1, 1, 1));
        }
        band_ = bandRect(m.bandStart, m.newBandEnd);
        update(band_->adjusted(-1, -1, 1, 1));
    }
    const std::optional<std::int64_t> pointerBefore = pointerSample();
    readoutIndex_ = view_.geometry().readoutIndex(x);
    readoutShown_ = true;
    update(readoutStrip());
    if (pointerSample() != pointerBefore) {
        emit pointerMoved();
    }
    if (m.drawCursorLine) {
        if (cursorX_) {
            update(cursorLineRect(*cursorX_));
        }
        cursorX_ = deviceX;
        update(cursorLineRect(deviceX));
    }
    view_.geometry().finishMove(x, pt.y());
}

void CGraphics::leaveEvent(QEvent* event) {
    // The readout and cursor line follow the pointer; without one they would stay stale.
    if (cursorX_) {
        update(cursorLineRect(*cursorX_));
        cursorX_.reset();
    }
    if (readoutShown_) {
        update(readoutStrip());
        readoutShown_ = false;
        emit pointerMoved();
    }
    QWidget::leaveEvent(event);
}

void CGraphics::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint pt = event->position().toPoint();
    const DataWindow before = view_.geometry().window();
    const ReleaseOutcome r = view_.geometry().release(pt.x(), pt.y());
    view_.rememberWindow(before);
    if (!r.handled) {
        return;
    }
    applyCursor(r.cursor);
    if (r.endMeasure) {
        setSelection(view_.geometry().measureSelection(r.bandStart.x, r.bandEnd.x,
                                                       view_.display().sampleCount));
    }
    if (r.repaintAll) {
        refresh();
    }
}

} // namespace quillmark
