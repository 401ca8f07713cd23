#pragma once
// The texts of the plot drawing that depend on the logger model: the unit label, the
// average and which statistics carry the over-range mark. Values, clocks and dates come from
// the data files' own text code (sample_text.h, time_stamp.h).
#include <cstdint>
#include <string>

namespace quillmark {

// "Unit(%s)" with the model's name for the display unit (the base unit outside 0..4).
std::string unitLabel(std::int32_t model, std::int32_t unitIndex);

// Whether the Max and Min readouts of the model show the over-range mark (the voltage model
// only; the cursor readout always does).
bool statisticsMarkOverRange(std::int32_t model);

// The average after "Average:  ": "%.2f" in the base unit (no unit factor), with the
// over-range mark for the models whose statistics carry it.
std::string averageText(std::int32_t model, double average);

// A value-axis label: "%.2f".
std::string valueLabel(double value);

} // namespace quillmark
