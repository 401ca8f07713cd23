#include "gui/plot/cgraphics.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

#include "core/app/command_ids.h"
#include "core/app/logger_model.h"
#include "core/data/recording.h"

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

struct MenuItem {
    const char* text;
    int id;
};

constexpr std::array<MenuItem, 13> kMenu = {{
    {"View All", ID_VIEW_ALL},
    {"Move View", ID_MOVE_VIEW},
    {"Zoom In", ID_ZOOM_IN},
    {"ColorSetting", ID_COLOR_SETTING},
    {"Grid X", ID_GRID_X},
    {"Grid Y", ID_GRID_Y},
    {"MaskPoints", ID_MASK_POINTS},
    {"Alarm Line", ID_ALARM_LINE},
    {"Unit(m/s)", ID_UNIT_0},
    {"Unit(ft/min)", ID_UNIT_1},
    {"Unit(knots)", ID_UNIT_2},
    {"Unit(km/h)", ID_UNIT_3},
    {"Unit(MPH)", ID_UNIT_4},
}};

} // namespace

CGraphics::CGraphics(QWidget* parent) : QWidget(parent) {
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

void CGraphics::ResetView() {
    // A window not shown yet has had no resize event: take its size first.
    if (geometry_.plotWidth != std::max(1, width() - 100) ||
        geometry_.plotHeight != std::max(1, height() - 80)) {
        geometry_.resize(width(), height());
    }
    geometry_.resetView(scene_.sampleCount);
    refresh();
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
        const DataWindow before = geometry_.window();
        ResetView();
        rememberWindow(before);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CGraphics::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (geometry_.dragging) {
            geometry_.dragging = false; // drop the rubber band or pan
            refresh();
        } else {
            const DataWindow before = geometry_.window();
            ResetView();
            rememberWindow(before);
        }
        return;
    }
    if (event->key() == Qt::Key_Backspace || event->matches(QKeySequence::Undo)) {
        undoZoom();
        return;
    }
    QWidget::keyPressEvent(event);
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

void CGraphics::refresh() {
    cacheValid_ = false;
    cursorX_.reset();
    readoutShown_ = false;
    band_.reset();
    update();
}

QImage CGraphics::renderPlot() const {
    QImage img(size(), QImage::Format_RGB32);
    const ColourRef bg = scene_.colours.background;
    img.fill(QColor(redOf(bg), greenOf(bg), blueOf(bg)));
    QPainter p(&img);
    DrawPlot(*this, 16, false, 0, 0, width(), height(), geometry_.xScale, geometry_.yScale, p,
             kPlotLeft, kPlotTop);
    return img;
}

void CGraphics::renderCache() {
    cache_ = renderPlot();
}

QMenu* CGraphics::createContextMenu(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    const std::int32_t model = loggerModel();
    std::size_t items = 0;
    if (model == 86 || model == 711) {
        items = 13;
    } else if (model == 710) {
        items = 8;
    }
    const std::array<std::optional<bool>, 13> checks = {
        std::nullopt,          std::nullopt,          std::nullopt,          std::nullopt,
        scene_.showGridX,      scene_.showGridY,      scene_.showMaskPoints, scene_.showAlarmLines,
        scene_.unitIndex == 0, scene_.unitIndex == 1, scene_.unitIndex == 2, scene_.unitIndex == 3,
        scene_.unitIndex == 4,
    };
    for (std::size_t i = 0; i < items; ++i) {
        QAction* a = menu->addAction(QString::fromLatin1(kMenu[i].text));
        a->setData(kMenu[i].id);
        if (checks[i].has_value()) {
            a->setCheckable(true);
            a->setChecked(*checks[i]);
        }
    }
    return menu;
}

void CGraphics::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu(this);
    if (!menu->actions().isEmpty()) {
        if (QAction* chosen = menu->exec(event->globalPos())) {
            emit commandIssued(chosen->data().toInt());
        }
    }
    delete menu;
}

int CGraphics::readoutLineHeight() const {
    const QFontMetrics fm(font());
    return fm.height() + std::max(0, fm.leading());
}

QRect CGraphics::readoutStrip() const {
    const int lh = readoutLineHeight();
    return QRect(width() / 2, kPlotTop - lh, width() - width() / 2, lh);
}

QRect CGraphics::cursorLineRect(int x) const {
    return QRect(x, kPlotTop, 1, geometry_.plotHeight + 1);
}

QRect CGraphics::bandRect(PlotPoint a, PlotPoint b) const {
    return QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)),
                 QPoint(std::max(a.x, b.x), std::max(a.y, b.y)));
}

void CGraphics::paintEvent(QPaintEvent* event) {
    if (!cacheValid_ || cache_.size() != size()) {
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
            }
        }
    }
    QPainter p(this);
    p.drawImage(event->rect(), cache_, event->rect());
    if (readoutShown_) {
        const QRect strip = readoutStrip();
        const ColourRef bc = scene_.colours.border;
        p.fillRect(strip, QColor(redOf(bc), greenOf(bc), blueOf(bc)));
        if (readoutIndex_ && *readoutIndex_ >= 0 && *readoutIndex_ < scene_.sampleCount) {
            static constexpr std::array<double, 5> kFactors = {1.0, 196.87, 1.944, 3.6, 2.24};
            const std::int32_t u =
                scene_.unitIndex >= 0 && scene_.unitIndex < 5 ? scene_.unitIndex : 0;
            p.setPen(Qt::black);
            DrawReadout(static_cast<int>(*readoutIndex_), strip.top(), scene_.sampleInterval,
                        scene_.samples[*readoutIndex_], kFactors[static_cast<std::size_t>(u)],
                        scene_.startTime, width() - 50, p, true);
        }
    }
    if (cursorX_) {
        // Inverts what it crosses: each pixel becomes NOT (pixel XOR red).
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.drawLine(*cursorX_, kPlotTop, *cursorX_, geometry_.plotHeight + kPlotTop);
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
    const MoveOutcome m = geometry_.move(x, pt.y());
    applyCursor(m.cursor);
    if (m.repaintAll) {
        refresh();
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
        cursorX_ = x;
        update(cursorLineRect(x));
    }
    geometry_.finishMove(x, pt.y());
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
    if (r.repaintAll) {
        refresh();
    }
}

void DrawPlot(const CGraphics& plot, int fontHeight, bool printing, int left, int top, int right,
              int bottom, double xScale, double yScale, QPainter& painter, int leftMargin,
              int topMargin) {
    DrawPlot(plot.scene(), fontHeight, printing, left, top, right, bottom, xScale, yScale, painter,
             leftMargin, topMargin);
}

void printPlot(const CGraphics& plot, QPainter& painter, int horzRes, int vertRes) {
    const PrintLayout l = printLayout(horzRes, vertRes, plot.geometry());
    DrawPlot(plot.scene(), l.fontHeight, true, 0, 0, l.right, l.bottom, l.xScale, l.yScale, painter,
             l.leftMargin, l.topMargin);
}

} // namespace quillmark
