#pragma once
// The curve and its dots drawn from one column summary per pixel: the same pixels as the plain
// drawing, at a cost that depends on the plot's width rather than on the sample count.
#include <QColor>
#include <QPainter>

#include "core/plot/column_reduction.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

void drawCurveReduced(const PlotScene& s, const CurveMapping& m, QPainter& p, const QColor& colour);

// The same reduction drawn with pens `scale` times as wide, for a target of finer pixels (a
// high-density screen): one polyline through the column summaries and the merged rows of the
// dot runs, so the cost still depends on the width. The same pixels as the plain drawing.
void drawCurveReducedScaled(const PlotScene& s, const CurveMapping& m, QPainter& p,
                            const QColor& colour, double scale);

} // namespace quillmark
