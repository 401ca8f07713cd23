#pragma once
// What DrawPlot draws besides the scales and the target: the data window's offsets, the
// samples with their statistics, the display flags and the colours. A plain record, so a
// window, the printer, an image export or the command line can fill one.
#include <cstdint>
#include <string>
#include <vector>

#include "core/common/model_units.h"
#include "core/plot/column_reduction.h"
#include "core/plot/compared_runs.h"
#include "core/plot/plot_colours.h"

namespace quillmark {

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
    std::int32_t model = kModelVoltage; // logger model code choosing the drawing variant
    // Visible compared runs, drawn under the curve; with any, a legend lists them after
    // `shownLabel`, the shown recording's line.
    std::vector<ComparedCurve> compared;
    std::string shownLabel;
};

} // namespace quillmark
