#pragma once
// The plot drawing shared by the screen, the printer and the colour preview. The scales,
// margins and target rectangle are parameters, so the same data window can be drawn at any
// resolution.
#include <QFont>
#include <QPainter>
#include <cstdint>

#include "core/plot/column_reduction.h"
#include "core/plot/plot_colours.h"

namespace quillmark {

class CGraphics;
class PlotGeometry;

// Everything DrawPlot reads from a plot window besides the scales.
struct PlotScene {
    double xOffset = 0.0;
    double xMin = 0.0;
    double yOffset = 0.0;
    double yMin = 0.0;
    const std::uint16_t* samples = nullptr; // not owned
    std::int32_t sampleCount = 0;
    // Block summary of `samples` for fast dense drawing; built on the fly when null.
    const SampleSummary* summary = nullptr;
    std::int32_t unitIndex = 0;
    bool showGridX = true;
    bool showGridY = true;
    bool showMaskPoints = true;
    bool showAlarmLines = true;
    PlotColours colours;
    float alarmLow = 0.0f;
    float alarmHigh = 25.0f;
    float sampleInterval = 2.0f;
    std::int64_t startTime = 0;
    std::int32_t maxIndex = -1;
    std::int32_t minIndex = -1;
    double average = 0.0;
    bool hideStatistics = false;
    std::int32_t model = 710; // logger model code choosing the drawing variant
};

// How the curve and dots are drawn: Full draws every segment and dot from the first visible
// sample on; Reduced draws the same pixels from one column summary per pixel.
enum class CurveDrawing { Reduced, Full };

// Font of the plot labels: Arial (or a metric-compatible sans), the given pixel height.
QFont plotFont(int height);

// Draws grid, axes, alarm lines, curve, dots, margin bands, labels and statistics into the
// rectangle (left, top, right, bottom) of the painter. The caller fills the background.
// A model code other than 86, 710 and 711 draws nothing.
void DrawPlot(const PlotScene& scene, int fontHeight, bool printing, int left, int top, int right,
              int bottom, double xScale, double yScale, QPainter& painter, int leftMargin,
              int topMargin, CurveDrawing curve = CurveDrawing::Reduced);
// The same for a plot window (its current scene and model code).
void DrawPlot(const CGraphics& plot, int fontHeight, bool printing, int left, int top, int right,
              int bottom, double xScale, double yScale, QPainter& painter, int leftMargin,
              int topMargin);

// One readout line "NO. i  Value: v  Time: hh:mm:ss" placed right to left, ending 13 pixels
// before xr, text top at y, with the painter's current font. With overRange a value above
// 31.0 shows as "OL". Returns the width used.
int DrawReadout(int index, int y, float interval, std::uint16_t raw, double factor,
                std::int64_t start, int xr, QPainter& painter, bool overRange);

// Texts of the drawing, exposed so their rules can be checked without reading pixels.
// "%.2f" of raw * factor / 1000, or "OL" above 31.0 when overRange.
QString readoutValueText(std::uint16_t raw, double factor, bool overRange);
// "%.2d:%.2d:%.2d" of a local time ("-1:-1:-1" when it cannot be broken down).
QString clockText(std::int64_t t);
// "%.2d-%.2d-%d" day, month, year of a local time ("00-00-0" when it cannot be broken down).
QString dateText(std::int64_t t);
// The average after "Average:  ": base unit, "OL" above 31.0 for the voltage model only.
QString averageText(const PlotScene& scene);
// "Unit(%s)" with the model's name for the scene's display unit.
QString unitLabel(const PlotScene& scene);
// Sample index under time tick k (0..5) for a plot area W pixels wide at x scale xs.
std::int64_t timeTickSample(int k, int W, double xs, double xOffset);

// Parameters of a printed page: the upper half of the page, margins a tenth of the width
// and a twentieth of the height, scales chosen so the page shows the screen's data window.
struct PrintLayout {
    int fontHeight = 0;
    int right = 0;
    int bottom = 0;
    double xScale = 0.0;
    double yScale = 0.0;
    int leftMargin = 0;
    int topMargin = 0;
};
PrintLayout printLayout(int horzRes, int vertRes, const PlotGeometry& screen);

// Draws a plot window's data window on a printer page of horzRes x vertRes device pixels
// (white margins, no background fill).
void printPlot(const CGraphics& plot, QPainter& painter, int horzRes, int vertRes);

} // namespace quillmark
