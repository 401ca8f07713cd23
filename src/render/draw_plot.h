#pragma once
// The plot drawing shared by the window, the printer, the colour preview and image export.
// It needs only a painter, a scene and a frame: no window.
//
//   QImage image = renderPlotImage(scene, screenFrame(1000, 520, geometry));
//   printPlot(scene, geometry, painter, pageWidthPx, pageHeightPx);
#include <QImage>
#include <QPainter>

#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// How the curve and dots are drawn: Full draws every segment and dot from the first visible
// sample on; Reduced draws the same pixels from one column summary per pixel.
enum class CurveDrawing { Reduced, Full };

// Draws grid, axes, alarm lines, curve, dots, margin bands, labels and statistics into the
// frame's rectangle of the painter. The caller fills the background. A left margin too narrow
// for the value labels on the painter's device is widened (fitValueLabels). A model code
// other than 86, 710 and 711 draws nothing.
void DrawPlot(const PlotScene& scene, const PlotFrame& frame, QPainter& painter,
              CurveDrawing curve = CurveDrawing::Reduced);

// The plot as the window shows it: an image of the frame's size filled with the background
// colour, then DrawPlot. At a device pixel ratio above 1 the image has that many pixels per
// frame unit (and says so in its devicePixelRatio), drawn on deviceFrame(frame, ratio).
QImage renderPlotImage(const PlotScene& scene, const PlotFrame& frame, double ratio = 1.0);

// Draws the data window of `screen` on a printer page of horzRes x vertRes device pixels
// (the upper half, white margins, no background fill).
void printPlot(const PlotScene& scene, const PlotGeometry& screen, QPainter& painter, int horzRes,
               int vertRes);

} // namespace quillmark
