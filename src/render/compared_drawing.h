#pragma once
// Drawing of compared runs: their curves under the shown one and the legend that names them.
#include <QPainter>
#include <QPen>

#include "core/plot/column_reduction.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// The pen of a compared run's line.
QPen comparedPen(const QColor& c, int penWidth);

// Every visible compared run as a line `penWidth` pixels wide in its colour, without dots,
// clipped to the plot area. `reduced` draws one column summary per pixel column (the same
// pixels at width 1); otherwise every segment.
void drawComparedRuns(QPainter& p, const PlotScene& s, const CurveMapping& area, int penWidth,
                      bool reduced);

// The legend in the plot area's top-right corner: a swatch and a label for the shown
// recording and each visible run. Nothing without compared runs.
void drawComparedLegend(QPainter& p, const PlotScene& s, const CurveMapping& area, int fontHeight,
                        int penWidth);

} // namespace quillmark
