#pragma once
// The plot window's data window and mouse modes without any window: which samples and
// values are visible, how they map to pixels, and what View All, resize, a rubber-band zoom
// and a pan drag do to them. The widget only delivers events and draws what this says.
#include <cstdint>
#include <optional>
#include <utility>

namespace quillmark {

// The mouse modes the view sets. Other values may be stored; they only restore the saved
// cursor on a mouse move.
enum PlotMode : std::int32_t {
    ZoomIn = 1,
    MoveView = 4,
    Measure = 8, // a drag selects a range of samples
};

// Screen margins of the plot area inside the plot window. The left margin is the least one:
// it grows when the value labels need more room (leftMarginFor in plot_layout.h).
inline constexpr int kPlotLeft = 50;
inline constexpr int kPlotTop = 40;
inline constexpr int kPlotRight = kPlotLeft;
inline constexpr int kPlotBottom = kPlotTop;
// Plot area size of a client area.
constexpr std::int32_t plotAreaWidth(std::int32_t clientWidth) {
    return clientWidth - kPlotLeft - kPlotRight;
}
constexpr std::int32_t plotAreaHeight(std::int32_t clientHeight) {
    return clientHeight - kPlotTop - kPlotBottom;
}
// A Zoom In drag is abandoned this close to the window edge.
inline constexpr int kEdgeBand = 3;
// Below this many samples (or values) per pixel an axis no longer zooms in.
inline constexpr double kMinZoomScale = 0.005;
// A rubber band narrower or lower than this is not a zoom.
inline constexpr int kMinZoomPixels = 5;
// A Measure drag shorter than this is a click.
inline constexpr int kMinMeasurePixels = 2;

struct PlotPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

// A visible data window in data terms, independent of the window size.
struct DataWindow {
    double xOffset = 0.0;
    double xSpan = 0.0;
    double yOffset = 0.0;
    double ySpan = 0.0;
    friend bool operator==(const DataWindow&, const DataWindow&) = default;
};

// Which cursor the widget should show after an event.
enum class PlotCursor { Unchanged, Zoom, Hand, Measure, Saved };

// What the widget must do after a mouse move.
struct MoveOutcome {
    PlotCursor cursor = PlotCursor::Unchanged;
    bool repaintAll = false; // invalidate the whole window (removes any rubber band)
    bool moveRubberBand = false;
    PlotPoint bandStart;         // anchor of the rubber band
    PlotPoint oldBandEnd;        // previous far corner (erase)
    PlotPoint newBandEnd;        // new far corner (draw)
    bool drawCursorLine = false; // false while dragging: the cursor line stays put
    bool moveMeasure = false;    // a Measure drag moved: the selection runs bandStart..newBandEnd
};

struct ReleaseOutcome {
    bool handled = false;
    PlotCursor cursor = PlotCursor::Unchanged;
    bool repaintAll = false;
    bool endMeasure = false; // a Measure drag ended between bandStart and bandEnd
    PlotPoint bandStart;
    PlotPoint bandEnd;
};

// Samples first..last, inclusive.
struct SampleSelection {
    std::int64_t first = 0;
    std::int64_t last = 0;
    friend bool operator==(const SampleSelection&, const SampleSelection&) = default;
};

class PlotGeometry {
public:
    // Data window. xMin and yMin stay 0; the spans are plotWidth * xScale and
    // plotHeight * yScale.
    double xScale = 0.0;
    double yScale = 0.0;
    double xMax = 20.0;
    double yMax = 35.0;
    double xMin = 0.0;
    double yMin = 0.0;
    std::int32_t plotWidth = 0;
    std::int32_t plotHeight = 0;
    double xOffset = 0.0;
    double yOffset = 0.0;
    // Left edge of the plot area in the window; every mapping of a pointer x uses it.
    std::int32_t leftMargin = kPlotLeft;

    bool dragging = false;
    PlotPoint dragStart;
    PlotPoint dragLast;
    std::int32_t mouseX = -1;
    std::int32_t mouseY = -1;
    PlotMode mode = ZoomIn;

    // View All over the given number of samples (fewer than 2 give a 0..20 sample axis).
    void resetView(std::int32_t sampleCount);
    // The client area changed; the same data window stays visible, stretched.
    void resize(std::int32_t clientWidth, std::int32_t clientHeight);
    void setMode(PlotMode m) { mode = m; }
    // Plot area width of a client area with this left margin.
    std::int32_t areaWidth(std::int32_t clientWidth) const {
        return clientWidth - leftMargin - kPlotRight;
    }
    // Moves the plot area's left edge in the same window; the same samples stay visible.
    void setLeftMargin(std::int32_t margin);

    bool insidePlotArea(std::int32_t x, std::int32_t y) const;

    // Left button pressed; returns the cursor to show, Unchanged when outside the plot area.
    PlotCursor press(std::int32_t x, std::int32_t y);
    // Geometry part of a mouse move (rubber band, drag abandon, pan request). Does not
    // yet record the point as the drag last point; call finishMove afterwards.
    MoveOutcome move(std::int32_t x, std::int32_t y);
    // The end of every mouse move: the drag last point becomes the unclamped pointer.
    void finishMove(std::int32_t x, std::int32_t y) { dragLast = {x, y}; }
    ReleaseOutcome release(std::int32_t x, std::int32_t y);
    // One pan step of a Move View drag, applied after a frame has been drawn.
    void panStep();

    DataWindow window() const;
    void setWindow(const DataWindow& w);
    // Zooms the sample axis by `factor` (below 1 zooms in) keeping the sample under pointer x
    // in place. Stops at the zoom floor and at the whole range; returns whether it changed.
    bool wheelZoom(std::int32_t x, double factor);

    // Sample index under a pointer x (rounded to the nearest sample right of sample 0).
    std::int64_t readoutIndex(std::int32_t x) const;
    // The samples a Measure drag between pointer xs x0 and x1 selects, in either direction,
    // kept inside 0..sampleCount-1. Nothing when there are no samples, or when the drag
    // moved less than kMinMeasurePixels (a click clears the selection instead).
    std::optional<SampleSelection> measureSelection(std::int32_t x0, std::int32_t x1,
                                                    std::int64_t sampleCount) const;
    // Pixel columns a selection covers in the plot area, left and right inclusive, cut to
    // the plot area; nothing when it lies wholly outside the data window.
    std::optional<std::pair<std::int32_t, std::int32_t>>
    selectionColumns(const SampleSelection& s) const;
};

// Truncation toward zero that stays defined for any double: NaN gives 0 and values beyond
// +-2^62 saturate (a degenerate scale must not make the conversion undefined).
inline std::int64_t truncToInt64(double v) {
    constexpr double kLimit = 4611686018427387904.0; // 2^62
    if (!(v == v)) {
        return 0;
    }
    if (v >= kLimit) {
        return static_cast<std::int64_t>(kLimit);
    }
    if (v <= -kLimit) {
        return -static_cast<std::int64_t>(kLimit);
    }
    return static_cast<std::int64_t>(v);
}

// Sample index to pixel x: the two truncations are taken separately. 64-bit because a deep
// zoom puts far samples billions of pixels away.
inline std::int64_t sampleToPixelX(double index, double xScale, double xOffset, double xMin,
                                   std::int32_t left) {
    return left + truncToInt64(index / xScale) - truncToInt64((xOffset - xMin) / xScale);
}

} // namespace quillmark
