#include "core/plot/plot_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace quillmark {

namespace {
// A window narrower than its margins still gets a one-pixel plot area, so no scale is ever
// divided by zero.
std::int32_t atLeastOne(std::int32_t v) {
    return v < 1 ? 1 : v;
}
} // namespace

void PlotGeometry::resetView(std::int32_t sampleCount) {
    xMax = sampleCount > 1 ? static_cast<double>(sampleCount) : 20.0;
    xMin = 0.0;
    yMax = 35.0;
    yMin = 0.0;
    xOffset = 0.0;
    yOffset = 0.0;
    xScale = (xMax - xMin) / atLeastOne(plotWidth);
    yScale = (yMax - yMin) / atLeastOne(plotHeight);
}

void PlotGeometry::resize(std::int32_t clientWidth, std::int32_t clientHeight) {
    const std::int32_t oldWidth = plotWidth;
    const std::int32_t oldHeight = plotHeight;
    plotHeight = atLeastOne(plotAreaHeight(clientHeight));
    plotWidth = atLeastOne(areaWidth(clientWidth));
    // Before the first size is known there is no old window to keep: show the whole range.
    xScale = oldWidth > 0 ? oldWidth * xScale / plotWidth : (xMax - xMin) / plotWidth;
    yScale = oldHeight > 0 ? oldHeight * yScale / plotHeight : (yMax - yMin) / plotHeight;
}

void PlotGeometry::setLeftMargin(std::int32_t margin) {
    if (margin == leftMargin) {
        return;
    }
    if (plotWidth <= 0) {
        leftMargin = margin;
        return;
    }
    const std::int32_t clientWidth = plotWidth + leftMargin + kPlotRight;
    const std::int32_t oldWidth = plotWidth;
    leftMargin = margin;
    plotWidth = atLeastOne(areaWidth(clientWidth));
    xScale = oldWidth * xScale / plotWidth;
}

bool PlotGeometry::insidePlotArea(std::int32_t x, std::int32_t y) const {
    return x > leftMargin && x < plotWidth + leftMargin && y > kPlotTop &&
           y < plotHeight + kPlotTop;
}

PlotCursor PlotGeometry::press(std::int32_t x, std::int32_t y) {
    if (!insidePlotArea(x, y)) {
        return PlotCursor::Unchanged;
    }
    dragStart = dragLast = {x, y};
    dragging = true;
    if (mode == ZoomIn) {
        return PlotCursor::Zoom;
    }
    if (mode == MoveView) {
        return PlotCursor::Hand;
    }
    if (mode == Measure) {
        return PlotCursor::Measure;
    }
    return PlotCursor::Unchanged;
}

MoveOutcome PlotGeometry::move(std::int32_t x, std::int32_t y) {
    MoveOutcome out;
    const std::int32_t right = plotWidth + leftMargin;
    const std::int32_t bottom = plotHeight + kPlotTop;
    PlotPoint clamped{x, y};
    if (mode == MoveView) {
        const bool outside = x < leftMargin || x > right || y < kPlotTop || y > bottom;
        if (outside && dragging) {
            dragging = false;
        }
    } else if (mode == ZoomIn) {
        const std::int32_t clientRight = plotWidth + leftMargin + kPlotRight;
        const std::int32_t clientBottom = plotHeight + kPlotTop + kPlotBottom;
        const bool nearEdge = x <= kEdgeBand || x >= clientRight - kEdgeBand || y <= kEdgeBand ||
                              y >= clientBottom - kEdgeBand;
        if (nearEdge) {
            dragging = false;
            out.repaintAll = true;
        }
        if (dragging) {
            dragLast.x = std::clamp(dragLast.x, leftMargin, right);
            dragLast.y = std::clamp(dragLast.y, kPlotTop, bottom);
            clamped.x = std::clamp(x, leftMargin, right);
            clamped.y = std::clamp(y, kPlotTop, bottom);
        }
    }

    if (mode == ZoomIn) {
        out.cursor = PlotCursor::Zoom;
        if (dragging && !(dragLast == PlotPoint{x, y})) {
            out.moveRubberBand = true;
            out.bandStart = dragStart;
            out.oldBandEnd = dragLast;
            out.newBandEnd = clamped;
        }
    } else if (mode == MoveView) {
        out.cursor = PlotCursor::Hand;
        if (dragging) {
            dragLast = {x, y};
            out.repaintAll = true;
        }
    } else if (mode == Measure) {
        out.cursor = PlotCursor::Measure;
        if (dragging) {
            out.moveMeasure = true;
            out.bandStart = dragStart;
            out.oldBandEnd = dragLast;
            out.newBandEnd = {std::clamp(x, leftMargin, right), std::clamp(y, kPlotTop, bottom)};
        }
    } else {
        out.cursor = PlotCursor::Saved;
    }
    mouseX = x;
    mouseY = y;
    out.drawCursorLine = !dragging;
    return out;
}

ReleaseOutcome PlotGeometry::release(std::int32_t x, std::int32_t y) {
    ReleaseOutcome out;
    if (mode == Measure) {
        // The drag ends wherever the button comes up; the far end stays in the plot area.
        if (!dragging) {
            return out;
        }
        out.handled = true;
        out.cursor = PlotCursor::Measure;
        out.endMeasure = true;
        out.bandStart = dragStart;
        out.bandEnd = {std::clamp(x, leftMargin, plotWidth + leftMargin),
                       std::clamp(y, kPlotTop, plotHeight + kPlotTop)};
        dragLast = dragStart;
        dragging = false;
        return out;
    }
    if (!insidePlotArea(x, y) && mode != ZoomIn) {
        return out;
    }
    out.handled = true;
    if (mode == MoveView) {
        out.cursor = PlotCursor::Hand;
        if (dragging) {
            dragStart = dragLast = {x, y};
            dragging = false;
        }
    } else if (mode == ZoomIn) {
        out.cursor = PlotCursor::Zoom;
        if (dragging) {
            const PlotPoint start = dragStart;
            dragLast = start;
            dragging = false;
            if (std::abs(x - start.x) >= kMinZoomPixels &&
                std::abs(y - start.y) >= kMinZoomPixels) {
                if (xScale > kMinZoomScale) {
                    const std::int32_t cx = std::clamp(x, leftMargin, plotWidth + leftMargin);
                    xOffset += (std::min(start.x, cx) - leftMargin) * xScale;
                    xScale = std::abs(cx - start.x) * xScale / plotWidth;
                }
                if (yScale > kMinZoomScale) {
                    const std::int32_t cy = std::clamp(y, kPlotTop, plotHeight + kPlotTop);
                    yOffset += (plotHeight + kPlotTop - std::max(start.y, cy)) * yScale;
                    yScale = std::abs(cy - start.y) * yScale / plotHeight;
                }
            }
            out.repaintAll = true;
        }
    }
    return out;
}

void PlotGeometry::panStep() {
    const PlotPoint s = dragStart;
    const PlotPoint l = dragLast;
    if (l.y < s.y) {
        if (yMin < yOffset) {
            yOffset -= (s.y - l.y) * yScale;
            if (yOffset < yMin) {
                yOffset = yMin;
            }
        } else {
            yOffset = yMin;
        }
    } else {
        const double span = plotHeight * yScale;
        if (yOffset + span < yMax) {
            yOffset += (l.y - s.y) * yScale;
            if (yOffset > yMax - span) {
                yOffset = yMax - span;
            }
        } else {
            yOffset = yMax - span;
        }
    }
    if (l.x > s.x) {
        if (xMin < xOffset) {
            xOffset -= (l.x - s.x) * xScale;
            if (xOffset < xMin) {
                xOffset = xMin;
            }
        } else {
            xOffset = xMin;
        }
    } else {
        const double span = plotWidth * xScale;
        if (xOffset + span < xMax) {
            xOffset += (s.x - l.x) * xScale;
            if (xOffset > xMax - span) {
                xOffset = xMax - span;
            }
        } else {
            xOffset = xMax - span;
        }
    }
    dragStart = l;
}

DataWindow PlotGeometry::window() const {
    return {xOffset, plotWidth * xScale, yOffset, plotHeight * yScale};
}

void PlotGeometry::setWindow(const DataWindow& w) {
    xOffset = w.xOffset;
    yOffset = w.yOffset;
    xScale = w.xSpan / atLeastOne(plotWidth);
    yScale = w.ySpan / atLeastOne(plotHeight);
}

bool PlotGeometry::wheelZoom(std::int32_t x, double factor) {
    if (!(factor > 0.0) || factor == 1.0) {
        return false;
    }
    const double range = xMax - xMin;
    double newScale = xScale * factor;
    if (factor < 1.0 && newScale <= kMinZoomScale) {
        newScale = std::min(xScale, kMinZoomScale);
    }
    if (newScale * plotWidth > range) {
        newScale = range / atLeastOne(plotWidth);
    }
    if (newScale == xScale) {
        return false;
    }
    const std::int32_t px = std::clamp(x, leftMargin, plotWidth + leftMargin);
    const double anchor = xOffset + (px - leftMargin) * xScale;
    double offset = anchor - (px - leftMargin) * newScale;
    offset = std::clamp(offset, xMin, std::max(xMin, xMax - newScale * plotWidth));
    xScale = newScale;
    xOffset = offset;
    return true;
}

std::int64_t PlotGeometry::readoutIndex(std::int32_t x) const {
    return truncToInt64(xOffset - xMin + (x - leftMargin) * xScale + 0.5);
}

std::optional<SampleSelection> PlotGeometry::measureSelection(std::int32_t x0, std::int32_t x1,
                                                              std::int64_t sampleCount) const {
    if (sampleCount < 1 || std::abs(x1 - x0) < kMinMeasurePixels) {
        return std::nullopt;
    }
    const auto clampIndex = [sampleCount](std::int64_t i) {
        return std::clamp<std::int64_t>(i, 0, sampleCount - 1);
    };
    const std::int64_t a = clampIndex(readoutIndex(std::min(x0, x1)));
    const std::int64_t b = clampIndex(readoutIndex(std::max(x0, x1)));
    return SampleSelection{a, b};
}

std::optional<std::pair<std::int32_t, std::int32_t>>
PlotGeometry::selectionColumns(const SampleSelection& s) const {
    if (!(xScale > 0.0)) {
        return std::nullopt;
    }
    const std::int64_t left = leftMargin;
    const std::int64_t right = leftMargin + plotWidth;
    const std::int64_t a =
        sampleToPixelX(static_cast<double>(s.first), xScale, xOffset, xMin, leftMargin);
    const std::int64_t b =
        sampleToPixelX(static_cast<double>(s.last), xScale, xOffset, xMin, leftMargin);
    if (b < left || a > right) {
        return std::nullopt;
    }
    return std::pair{static_cast<std::int32_t>(std::max(a, left)),
                     static_cast<std::int32_t>(std::min(b, right))};
}

} // namespace quillmark
