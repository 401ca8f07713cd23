#include "core/plot/plot_summary.h"

#include "core/data/sample_text.h"
#include "core/data/time_stamp.h"
#include "core/plot/plot_layout.h"
#include "core/plot/plot_text.h"

namespace quillmark {

PlotSummary plotSummary(const PlotScene& scene, double yBottom, double ySpan,
                        std::optional<std::int64_t> readoutIndex) {
    PlotSummary s;
    s.model = scene.model;
    s.samples = scene.sampleCount;
    s.unit = unitName(scene.model, scene.unitIndex);
    const double factor = unitFactor(scene.unitIndex);
    s.lowValue = valueLabel(yBottom * factor);
    s.highValue = valueLabel((yBottom + ySpan) * factor);
    if (readoutIndex && *readoutIndex >= 0 && *readoutIndex < scene.sampleCount && scene.samples) {
        const auto i = *readoutIndex;
        s.readout =
            ReadoutFigures{i, sampleValueText(scene.samples[i], factor, true),
                           clockText(scene.startTime + secondsAfter(i, scene.sampleInterval))};
    }
    return s;
}

} // namespace quillmark
