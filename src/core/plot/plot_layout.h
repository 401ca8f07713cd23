#pragma once
// Where a plot is drawn: the target rectangle, its margins and scales, the label font height
// and whether it goes to paper; for the screen and for a printed page. Also the placement
// rules of the time ticks.
#include <cstdint>

#include "core/plot/plot_geometry.h"

namespace quillmark {

// Font height of the plot labels on screen (logical units).
inline constexpr int kScreenFontHeight = 16;

struct PlotFrame {
    // Target rectangle; right and bottom exclusive.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // The plot area lies this far inside the rectangle: leftMargin on the left, rightMargin
    // on the right, topMargin above and below.
    int leftMargin = kPlotLeft;
    int rightMargin = kPlotRight;
    int topMargin = kPlotTop;
    // Samples and base-unit value per pixel on this target.
    double xScale = 0.0;
    double yScale = 0.0;
    int fontHeight = kScreenFontHeight;
    // Paper: white margin bands, nothing outside the rectangle.
    bool printing = false;
    // Pen widths, dot sizes and dashes against the screen's: 1 on screen; on paper the
    // page's font against the screen font, so lines stay as heavy as on screen.
    double penScale = 1.0;

    int plotWidth() const { return right - left - leftMargin - rightMargin; }
    int plotHeight() const { return bottom - top - 2 * topMargin; }
};

// Value labels sit this far left of the axis, and keep at least this far from the window's
// left edge.
inline constexpr int kValueLabelGap = 2;
inline constexpr int kLabelEdgeGap = 2;
// The left margin for value labels up to `widestLabel` pixels wide: the screen's 50 pixels
// unless the labels need more (wide display units such as ft/min).
constexpr int leftMarginFor(int widestLabel) {
    const int needed = widestLabel + kValueLabelGap + kLabelEdgeGap;
    return needed > kPlotLeft ? needed : kPlotLeft;
}

// The plot window's whole client area with the window's margins and its own scales.
PlotFrame screenFrame(std::int32_t clientWidth, std::int32_t clientHeight, const PlotGeometry& g);

// The frame on a target with `ratio` device pixels per frame unit (a high-density screen,
// or an image drawn sharper): the rectangle, margins and font scaled and rounded to whole
// pixels, pens scaled by the ratio, and scales that keep the same data window. Ratio 1, or
// one that leaves no plot area, returns the frame unchanged.
PlotFrame deviceFrame(const PlotFrame& frame, double ratio);

// A printed page of horzRes x vertRes device pixels: the upper half of the page, margins a
// tenth of the width and a twentieth of the height, a font an eightieth of the height, and
// scales chosen so the page shows the screen's data window.
PlotFrame printLayout(int horzRes, int vertRes, const PlotGeometry& screen);

// Ticks: 10 equal intervals of the value axis, 5 of the time axis.
inline constexpr int kValueTickIntervals = 10;
inline constexpr int kTimeTickIntervals = 5;

// Sample index under time tick k (0..5) for a plot area plotWidth pixels wide at x scale
// xScale.
std::int64_t timeTickSample(int k, int plotWidth, double xScale, double xOffset);

// Whole seconds from sample 0 to sample index: trunc(index x interval).
std::int64_t secondsAfter(std::int64_t index, float interval);

} // namespace quillmark
