#pragma once
// The texts of the plot: the label font, the one-line readout of a sample and the axis
// labels and statistics around the plot area. The texts themselves come from the core.
#include <QFont>
#include <QPainter>
#include <QString>
#include <cstdint>

#include "core/plot/column_reduction.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// Font of the plot labels: Arial (or a metric-compatible sans), the given pixel height.
QFont plotFont(int height);

// Line height of a font as the labels are spaced: its height plus external leading.
int labelLineHeight(const QFontMetrics& fm);

// Text placed by its top-left corner.
void drawTextTopLeft(QPainter& painter, int x, int y, const QString& text);

// One readout line "NO. i  Value: v  Time: hh:mm:ss" placed right to left, ending 13 pixels
// before xr, text top at y, with the painter's current font. With overRange the value
// carries the over-range mark. Returns the width used.
int DrawReadout(int index, int y, float interval, std::uint16_t raw, double factor,
                std::int64_t start, int xr, QPainter& painter, bool overRange);

// The left margin a plot area needs so that none of its value labels is cut: leftMarginFor
// the widest label in the label font of fontHeight, as `device` measures it (null: the image
// renderPlotImage draws into). yOffset and yScale in the base unit.
int valueLabelMargin(const PlotScene& scene, double yOffset, double yScale, int plotHeight,
                     int fontHeight, const QPaintDevice* device = nullptr);

// The frame with a left margin wide enough for its value labels on `device`, the one that
// draws them: widened when they need more room, with the same data window (the plot area
// gives up columns on its left, its x scale grows to match). Otherwise the frame as it is.
PlotFrame fitValueLabels(const PlotScene& scene, const PlotFrame& frame,
                         const QPaintDevice* device);

// The labels around the plot area of `area` (its margins, size, scales and unit factor):
// value labels, unit label, time and date labels and, unless hidden, the statistics. Sets
// the label font of fontHeight and text of `textColour` (readableTextColour of the margin's
// colour) on the painter.
void drawPlotLabels(QPainter& painter, const PlotScene& scene, const CurveMapping& area,
                    int fontHeight, ColourRef textColour);

} // namespace quillmark
