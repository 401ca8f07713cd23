#include "render/draw_plot.h"

#include <QLine>
#include <QPen>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/plot/column_reduction.h"
#include "render/compared_drawing.h"
#include "render/fast_paths.h"
#include "render/plot_labels.h"
#include "render/qt_colour.h"
#include "render/reduced_curve.h"

namespace quillmark {

namespace {

CurveMapping plotArea(const PlotScene& s, const PlotFrame& frame) {
    CurveMapping m;
    m.xScale = frame.xScale;
    m.xOffset = s.xOffset;
    m.xMin = s.xMin;
    m.yScale = frame.yScale;
    m.yOffset = s.yOffset;
    m.yMin = s.yMin;
    m.factor = unitFactor(s.unitIndex);
    m.left = frame.leftMargin;
    m.top = frame.topMargin;
    m.width = frame.plotWidth();
    m.height = frame.plotHeight();
    return m;
}

// A screen pen width on a target drawn `scale` times as fine (whole pixels, at least 1).
void drawGrid(QPainter& p, const PlotScene& s, const CurveMapping& m, double scale) {
    QVector<QLine> lines;
    if (s.showGridY) {
        for (int k = 0; k <= kValueTickIntervals; ++k) {
            const int y = m.top + m.height - (k * m.height) / kValueTickIntervals;
            lines.append(QLine(m.left, y, m.left + m.width, y));
        }
    }
    if (s.showGridX) {
        for (int k = 0; k <= kTimeTickIntervals; ++k) {
            const int x = static_cast<int>(k * m.width / double(kTimeTickIntervals) + m.left);
            lines.append(QLine(x, m.top, x, m.top + m.height));
        }
    }
    // The axes stay when the grid is off.
    lines.append(QLine(m.left, m.top, m.left, m.top + m.height));
    lines.append(QLine(m.left, m.top + m.height, m.left + m.width, m.top + m.height));
    drawAxisLines(
        p, QPen(toQColor(s.colours.grid), scaledWidth(1, scale), Qt::DotLine, Qt::FlatCap), lines);
}

void drawAlarmLines(QPainter& p, const PlotScene& s, const CurveMapping& m, double scale) {
    const double unitYOffset = m.yOffset * m.factor;
    const double unitYMin = m.yMin * m.factor;
    const double unitYScale = m.yScale * m.factor;
    QVector<QLine> lines;
    for (const float level : {s.alarmLow, s.alarmHigh}) {
        const std::int64_t y =
            m.top + truncToInt64(m.height + (unitYOffset - unitYMin) / unitYScale -
                                 (double(level) * m.factor - unitYMin) / unitYScale);
        lines.append(QLine(m.left, clampCoord(y), m.left + m.width, clampCoord(y)));
    }
    drawAxisLines(
        p, QPen(QColor(255, 0, 0), scaledWidth(1, scale), Qt::DashDotDotLine, Qt::FlatCap), lines);
}

void drawCurveFull(const PlotScene& s, const CurveMapping& m, QPainter& p, const QColor& colour,
                   double scale) {
    const std::int64_t n = s.sampleCount;
    // A data window starting left of sample 0 starts drawing at sample 0.
    const std::int64_t first = std::max<std::int64_t>(truncToInt64(s.xOffset), 0);
    if (n > 1) {
        QVector<QLine> lines;
        for (std::int64_t i = first; i < n - 1; ++i) {
            addSegment(lines, m.x(i), m.y(s.samples[i]), m.x(i + 1), m.y(s.samples[i + 1]));
        }
        QPen pen = curvePen(colour);
        pen.setWidth(scaledWidth(pen.width(), scale));
        p.setPen(pen);
        p.drawLines(lines);
    }
    if (s.showMaskPoints) {
        const int penWidth = scaledWidth(dotPen(colour).width(), scale);
        setDotInk(p, colour, penWidth);
        const int r = scaledWidth(1, scale);
        for (std::int64_t i = first; i < n; ++i) {
            const int x = clampCoord(m.x(i));
            const int y = clampCoord(m.y(s.samples[i]));
            if (scale == 1.0) {
                drawDot(p, x, y);
            } else {
                drawScaledDot(p, x, y, r, penWidth);
            }
        }
    }
}

// The margin bands cover what was drawn outside the plot area, except a 2-pixel strip right
// of and below it.
void drawMarginBands(QPainter& p, const PlotScene& s, const CurveMapping& m,
                     const PlotFrame& frame) {
    const QColor band = frame.printing ? QColor(255, 255, 255) : toQColor(s.colours.border);
    const auto fill = [&](int x1, int y1, int x2, int y2) {
        p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), band);
    };
    const int outerRight = m.left + m.width + frame.rightMargin;
    fill(0, 0, outerRight, m.top);
    fill(0, 0, m.left, m.height + m.left);
    fill(0, m.top + m.height + 2, outerRight, m.height + 2 * m.left);
    fill(m.left + m.width + 2, 0, outerRight, m.height + m.left);
}

} // namespace

void DrawPlot(const PlotScene& s, const PlotFrame& given, QPainter& p, CurveDrawing curve) {
    if (!isKnownModel(s.model)) {
        return;
    }
    // Measured on the device that draws the labels: the window's frame already fits them (its
    // mouse mapping uses the same margin); an image, a page or a command-line frame may not.
    const PlotFrame frame = fitValueLabels(s, given, p.device());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (frame.printing) {
        // Nothing may land in the lower half of the page.
        p.setClipRect(
            QRect(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top),
            Qt::IntersectClip);
    }
    const CurveMapping area = plotArea(s, frame);
    const double scale = frame.penScale > 0.0 ? frame.penScale : 1.0;
    const QColor lineColour = toQColor(s.colours.line);
    const bool shown = s.samples != nullptr && s.sampleCount > 0 && frame.xScale > 0.0;
    // With print's wider pens the dots stay circles: the reduced drawing fills them as rows of
    // pixels, which only suits a raster target.
    const bool full = curve == CurveDrawing::Full || (scale != 1.0 && frame.printing);
    // The compared runs lie beneath the curve: while they are drawn, another core reduces it.
    CurveAhead ahead;
    if (shown && !full && !s.compared.empty()) {
        const int gap = scale == 1.0 ? DotStamp(lineColour, p).runGap() : 1;
        ahead.start(s, reducedCurveMapping(area, lineColour, scale, gap));
    }
    drawGrid(p, s, area, scale);
    if (s.showAlarmLines) {
        drawAlarmLines(p, s, area, scale);
    }
    drawComparedRuns(p, s, area, scaledWidth(1, scale),
                     scale == 1.0 && curve != CurveDrawing::Full);
    if (shown) {
        if (full) {
            drawCurveFull(s, area, p, lineColour, scale);
        } else if (scale != 1.0) {
            drawCurveReducedScaled(s, area, p, lineColour, scale, &ahead);
        } else {
            drawCurveReduced(s, area, p, lineColour, &ahead);
        }
    }
    drawMarginBands(p, s, area, frame);
    // The labels sit on the margins: white paper in print, the border colour elsewhere.
    const ColourRef margin = frame.printing ? rgbColour(255, 255, 255) : s.colours.border;
    drawPlotLabels(p, s, area, frame.fontHeight, readableTextColour(margin));
    drawComparedLegend(p, s, area, frame.fontHeight, scaledWidth(1, scale));
    p.restore();
}

QImage renderPlotImage(const PlotScene& scene, const PlotFrame& frame, double ratio) {
    // Drawn on the device pixels themselves, not through a scaled painter: lines then start
    // on whole pixels at every ratio instead of being smeared over two.
    const PlotFrame device = deviceFrame(frame, ratio);
    QImage image(device.right - device.left, device.bottom - device.top, QImage::Format_RGB32);
    image.fill(toQColor(scene.colours.background));
    {
        QPainter painter(&image);
        DrawPlot(scene, device, painter);
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

void printPlot(const PlotScene& scene, const PlotGeometry& screen, QPainter& painter, int horzRes,
               int vertRes) {
    DrawPlot(scene, printLayout(horzRes, vertRes, screen), painter);
}

} // namespace quillmark
