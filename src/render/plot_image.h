#pragma once
// Saving the plot as an image file with the window's own drawing: PNG through
// renderPlotImage, SVG through DrawPlot on an SVG generator.
#include <string>

#include "core/plot/plot_layout.h"
#include "core/plot/plot_scene.h"

namespace quillmark {

// Writes the frame's picture to path; the type follows the name's ending (.png or .svg,
// any case). False with the reason in error when the type is unknown or writing failed.
bool savePlotImage(const PlotScene& scene, const PlotFrame& frame, const std::string& path,
                   std::string* error);

} // namespace quillmark
