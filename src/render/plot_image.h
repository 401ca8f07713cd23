#pragma once
// The plot written to an image file, as the window shows it without pointer overlays: PNG or
// SVG, chosen by the file name's extension. Needs a QGuiApplication (fonts), no widgets.
//
//   std::string error;
//   if (!savePlotImage(scene, screenFrame(1000, 520, geometry), "plot.svg", &error)) ...
#include <string>
#include <vector>

#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// Writes the whole frame to `path` through writeOutputFile (replacing it only once the image
// is complete, never onto one of `inputs`). False with a message naming the file and the
// reason in `error` (when not null) on failure, including a name that ends neither in .png
// nor in .svg. A PNG has `ratio` pixels per frame pixel, drawn at that resolution (and says
// so in its resolution); an SVG is vector and the same at every ratio.
bool savePlotImage(const PlotScene& scene, const PlotFrame& frame, const std::string& path,
                   std::string* error, const std::vector<std::string>& inputs = {},
                   double ratio = 1.0);

} // namespace quillmark
