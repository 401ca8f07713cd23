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
    scene_.startTime = static_cast<std::int64_t>(std::time(nullptr));
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel comes from the cached image
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void CGraphics::setRecording(const Recording& rec, std::int64_t startTime) {
    const auto count = static_cast<std::int32_t>(std::min<std::size_t>(
        static_cast<std::size_t>(std::max(rec.sampleCount, 0)), rec.samples.size()));
    setSamples(rec.samples.empty() ? nullptr : rec.samples.data(), count);
    setStatistics(rec.maxIndex, rec.minIndex, rec.average);
    setAlarmLevels(rec.alarmLow(), rec.alarmHigh());
    setSampleInterval(rec.effectiveInterval());
    setStartTime(startTime);
    recording_ = &rec;
    analysis_.reset();
    emit measurementChanged();
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
    scene_.samples = samples;
    scene_.sampleCount = samples ? std::max(count, 0) : 0;
    summary_.build(scene_.samples, scene_.sampleCount);
    zoomHistory_.clear(); // windows of an earlier recording mean nothing now
    recording_ = nullptr;
    analysis_.reset(); // it may refer to the samples being replaced
    selection_.reset();
    refresh();
}

void CGraphics::setStatistics(std::int32_t maxIndex, std::int32_t minIndex, double average) {
    scene_.maxIndex = maxIndex;
    scene_.minIndex = minIndex;
    scene_.average = average;
    refresh();
}

void CGraphics::setAlarmLevels(float low, float high) {
    scene_.alarmLow = low;
    scene_.alarmHigh = high;
    refresh();
}

void CGraphics::setSampleInterval(float seconds) {
    scene_.sampleInterval = seconds;
    refresh();
}

void CGraphics::setStartTime(std::int64_t t) {
    scene_.startTime = t;
    refresh();
}

void CGraphics::setShowGridX(bool on) {
    scene_.showGridX = on;
    refresh();
}
void CGraphics::setShowGridY(bool on) {
    scene_.showGridY = on;
    refresh();
}
void CGraphics::setShowMaskPoints(bool on) {
    scene_.showMaskPoints = on;
    refresh();
}
void CGraphics::setShowAlarmLines(bool on) {
    scene_.showAlarmLines = on;
    refresh();
}
void CGraphics::setUnitIndex(std::int32_t unit) {
    scene_.unitIndex = unit;
    refresh();
}
void CGraphics::setHideStatistics(bool hide) {
    scene_.hideStatistics = hide;
    refresh();
}
void CGraphics::setColours(const PlotColours& c) {
    scene_.colours = c;
    refresh();
}

void CGraphics::copyViewFrom(const CGraphics& other) {
    const PlotGeometry& g = other.geometry_;
    geometry_.xScale = g.xScale;
    geometry_.yScale = g.yScale;
    geometry_.xMax = g.xMax;
    geometry_.yMax = g.yMax;
    geometry_.xMin = g.xMin;
    geometry_.yMin = g.yMin;
    geometry_.plotWidth = g.plotWidth;
    geometry_.plotHeight = g.plotHeight;
    geometry_.leftMargin = g.leftMargin;
    geometry_.xOffset = g.xOffset;
    geometry_.yOffset = g.yOffset;
    scene_.colours = other.scene_.colours;
    scene_.showGridX = other.scene_.showGridX;
    scene_.showGridY = other.scene_.showGridY;
    scene_.showMaskPoints = other.scene_.showMaskPoints;
    scene_.showAlarmLines = other.scene_.showAlarmLines;
    refresh();
}

PlotScene CGraphics::scene() const {
    PlotScene s = scene_;
    s.xOffset = geometry_.xOffset;
    s.xMin = geometry_.xMin;
    s.yOffset = geometry_.yOffset;
    s.yMin = geometry_.yMin;
    s.summary = &summary_;
    s.model = loggerModel();
    return s;
}

void CGraphics::fitLeftMargin() {
    geometry_.setLeftMargin(valueLabelMargin(scene_, geometry_.yOffset, geometry_.yScale,
                                             geometry_.plotHeight, kScreenFontHeight));
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
    if (s == selection_) {
        return;
    }
    selection_ = s;
    // Only the overlay changes: the cached plot stays.
    update(
        QRect(geometry_.leftMargin, kPlotTop, geometry_.plotWidth + 1, geometry_.plotHeight + 1));
    emit measurementChanged();
}

std::optional<SampleSelection> CGraphics::measuredRange() const {
    if (selection_) {
        return selection_;
    }
    const std::int64_t n = scene_.sampleCount;
    if (n < 1) {
        return std::nullopt;
    }
    const std::int64_t first =
        std::clamp<std::int64_t>(geometry_.readoutIndex(geometry_.leftMargin), 0, n - 1);
    const std::int64_t last = std::clamp<std::int64_t>(
        geometry_.readoutIndex(geometry_.leftMargin + geometry_.plotWidth), 0, n - 1);
    return SampleSelection{first, last};
}

const RangeAnalysis& CGraphics::analysis() const {
    if (!analysis_)
        analysis_ = recording_ ? RangeAnalysis(*recording_) : RangeAnalysis();
    return *analysis_;
}

std::vector<MeasurementLine> CGraphics::measurement() const {
    const std::optional<SampleSelection> range = measuredRange();
    if (!recording_ || !range) {
        return {};
    }
    const DisplayUnit unit = displayUnit(loggerModel(), scene_.unitIndex);
    return measurementLines(*recording_,
                            analysis().statistics(range->first, range->last, unit.factor), unit);
}

QImage CGraphics::renderPlot(double ratio) const {
    return renderPlotImage(scene(), screenFrame(width(), height(), geometry_), ratio);
}

void CGraphics::renderCache() {
    fitLeftMargin(); // a pan step may have moved the value labels since the last refresh
    cache_ = renderPlot(devicePixelRatioF());
}

std::unique_ptr<QMenu> CGraphics::createContextMenu(QWidget* parent) const {
    auto menu = std::make_unique<QMenu>(parent);
    for (const PlotMenuItem& item : plotMenuItems(loggerModel(), scene_)) {
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
    const PlotSummary s =
        plotSummary(scene(), geometry_.yOffset, geometry_.yScale * geometry_.plotHeight, under);
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
    return QRect(x - 1, kPlotTop, 3, geometry_.plotHeight);
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
        if (geometry_.mode == MoveView && geometry_.dragging) {
            const double x0 = geometry_.xOffset;
            const double y0 = geometry_.yOffset;
            geometry_.panStep();
            if (geometry_.xOffset != x0 || geometry_.yOffset != y0) {
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
    if (selection_) {
        if (const auto cols = geometry_.selectionColumns(*selection_)) {
            p.fillRect(QRect(cols->first, kPlotTop, cols->second - cols->first + 1,
                             geometry_.plotHeight + 1),
                       QColor(40, 120, 220, 70));
        }
    }
    if (readoutShown_) {
        const QRect strip = readoutStrip();
        p.fillRect(strip, toQColor(scene_.colours.border));
        if (readoutIndex_ && *readoutIndex_ >= 0 && *readoutIndex_ < scene_.sampleCount) {
            // The cursor readout carries the over-range mark in every model.
            p.setPen(toQColor(readableTextColour(scene_.colours.border)));
            DrawReadout(static_cast<int>(*readoutIndex_), strip.top(), scene_.sampleInterval,
                        scene_.samples[*readoutIndex_], unitFactor(scene_.unitIndex),
                        scene_.startTime, width() - kPlotRight, p, true);
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
        p.fillRect(QRectF(*cursorX_ / ratio, kPlotTop, 1.0 / ratio, geometry_.plotHeight),
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
    geometry_.resize(event->size().width(), event->size().height());
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
    applyCursor(geometry_.press(pt.x(), pt.y()));
}

void CGraphics::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    const int x = pt.x();
    // The device column under the pointer's hot spot; the sample mapping stays logical.
    const int deviceX = static_cast<int>(std::floor(event->position().x() * devicePixelRatioF()));
    const MoveOutcome m = geometry_.move(x, pt.y());
    applyCursor(m.cursor);
    if (m.repaintAll) {
        refresh();
    }
    if (m.moveMeasure) {
        setSelection(geometry_.measureSelection(m.bandStart.x, m.newBandEnd.x, scene_.sampleCount));
    }
    if (m.moveRubberBand) {
        if (band_) {
            update(band_->adjusted(-1, -1, 1, 1));
        }
        band_ = bandRect(m.bandStart, m.newBandEnd);
        update(band_->adjusted(-1, -1, 1, 1));
    }
    readoutIndex_ = geometry_.readoutIndex(x);
    readoutShown_ = true;
    update(readoutStrip());
    if (m.drawCursorLine) {
        if (cursorX_) {
            update(cursorLineRect(*cursorX_));
        }
        cursorX_ = deviceX;
        update(cursorLineRect(deviceX));
    }
    geometry_.finishMove(x, pt.y());
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
    }
    QWidget::leaveEvent(event);
}

void CGraphics::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint pt = event->position().toPoint();
    const DataWindow before = geometry_.window();
    const ReleaseOutcome r = geometry_.release(pt.x(), pt.y());
    rememberWindow(before);
    if (!r.handled) {
        return;
    }
    applyCursor(r.cursor);
    if (r.endMeasure) {
        setSelection(geometry_.measureSelection(r.bandStart.x, r.bandEnd.x, scene_.sampleCount));
    }
    if (r.repaintAll) {
        refresh();
    }
}

} // namespace quillmark
