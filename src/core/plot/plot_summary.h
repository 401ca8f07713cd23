#pragma once
// What a plot shows, as figures rather than pixels: for a screen reader's description of the
// plot (the window words them in the user's language).
#include <cstdint>
#include <optional>
#include <string>

#include "core/plot/plot_scene.h"

namespace quillmark {

// The cursor readout's figures, as the readout line draws them.
struct ReadoutFigures {
    std::int64_t index = 0;
    std::string value; // "12.34", or "OL"
    std::string time;  // "hh:mm:ss"
};

struct PlotSummary {
    std::int32_t model = 0;
    std::int32_t samples = 0;
    std::string unit;
    // The value axis in view, bottom and top, in the display unit ("%.2f").
    std::string lowValue;
    std::string highValue;
    std::optional<ReadoutFigures> readout; // none while no sample is under the pointer
};

// `yBottom` and `ySpan` are the value window in the base unit; `readoutIndex` the sample
// under the pointer, if any.
PlotSummary plotSummary(const PlotScene& scene, double yBottom, double ySpan,
                        std::optional<std::int64_t> readoutIndex);

} // namespace quillmark
