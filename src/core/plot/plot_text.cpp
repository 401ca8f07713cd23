#include "core/plot/plot_text.h"

#include "core/common/model_units.h"
#include "core/data/recording.h"
#include "core/data/time_stamp.h"

namespace quillmark {

std::string unitLabel(std::int32_t model, std::int32_t unitIndex) {
    return std::string("Unit(") + unitName(model, unitIndex) + ")";
}

bool statisticsMarkOverRange(std::int32_t model) {
    return model == kModelVoltage;
}

std::string averageText(std::int32_t model, double average) {
    return statisticsMarkOverRange(model) ? convertedValueText(average) : formatFixed(average, 2);
}

std::string valueLabel(double value) {
    return formatFixed(value, 2);
}

} // namespace quillmark
